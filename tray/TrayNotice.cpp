#include "tray/TrayNotice.h"

#include "tray/TrayState.h"
#include "tray/TrayWindow.h"

#include <shellapi.h>

void QueueTrayNotice(CTrayState& state, const wchar_t* pszText)
{
    if (pszText == nullptr || pszText[0] == L'\0')
        return;
    if (!state.m_strPendingNotices.empty())
        state.m_strPendingNotices += L"\n";
    state.m_strPendingNotices += pszText;
    if (g_bIconAdded)
        ShowQueuedTrayNotices(state);
}

void ShowQueuedTrayNotices(CTrayState& state)
{
    if (state.m_strPendingNotices.empty() || !g_bIconAdded)
        return;
    // A copy: the balloon's flags must not stick to the data that adds the
    // icon again after the task bar restarted.
    NOTIFYICONDATAW nid = g_nid;
    nid.uFlags = NIF_INFO;
    nid.dwInfoFlags = NIIF_INFO;
    lstrcpynW(nid.szInfoTitle, L"Ambertille", ARRAYSIZE(nid.szInfoTitle));
    lstrcpynW(nid.szInfo, state.m_strPendingNotices.c_str(), ARRAYSIZE(nid.szInfo));
    Shell_NotifyIconW(NIM_MODIFY, &nid);
    state.m_strPendingNotices.clear();
}

std::wstring TakeQueuedTrayNotices(CTrayState& state)
{
    std::wstring notices;
    notices.swap(state.m_strPendingNotices);
    return notices;
}

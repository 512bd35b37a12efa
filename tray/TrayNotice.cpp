#include "tray/TrayNotice.h"

#include "tray/TrayWindow.h"

#include <shellapi.h>


namespace {

std::wstring s_pending;

} // namespace

void QueueTrayNotice(const wchar_t* pszText)
{
    if (pszText == nullptr || pszText[0] == L'\0')
        return;
    if (!s_pending.empty())
        s_pending += L"\n";
    s_pending += pszText;
    if (g_bIconAdded)
        ShowQueuedTrayNotices();
}

void ShowQueuedTrayNotices()
{
    if (s_pending.empty() || !g_bIconAdded)
        return;
    // A copy: the balloon's flags must not stick to the data that adds the
    // icon again after the task bar restarted.
    NOTIFYICONDATAW nid = g_nid;
    nid.uFlags = NIF_INFO;
    nid.dwInfoFlags = NIIF_INFO;
    lstrcpynW(nid.szInfoTitle, L"Ambertille", ARRAYSIZE(nid.szInfoTitle));
    lstrcpynW(nid.szInfo, s_pending.c_str(), ARRAYSIZE(nid.szInfo));
    Shell_NotifyIconW(NIM_MODIFY, &nid);
    s_pending.clear();
}

std::wstring TakeQueuedTrayNotices()
{
    std::wstring notices;
    notices.swap(s_pending);
    return notices;
}

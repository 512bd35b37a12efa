#include "tray/ElevationChord.h"

namespace {

// Menus run one at a time on the one thread, so one watch at a time.
CElevationChordWatch* s_pWatch = nullptr;

bool IsDown(int nKey)
{
    return (GetKeyState(nKey) & 0x8000) != 0;
}

} // namespace

bool IsElevationChordHeld()
{
    return IsDown(VK_CONTROL) && IsDown(VK_SHIFT);
}

CElevationChordWatch::CElevationChordWatch(HWND hOwner) : m_hOwner(hOwner), m_hHook(nullptr), m_bPressed(false)
{
    s_pWatch = this;
    m_hHook = SetWindowsHookExW(WH_MSGFILTER, FilterProc, nullptr, GetCurrentThreadId());
}

CElevationChordWatch::~CElevationChordWatch()
{
    if (m_hHook != nullptr)
        UnhookWindowsHookEx(m_hHook);
    s_pWatch = nullptr;
}

LRESULT CALLBACK CElevationChordWatch::FilterProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    const auto* pMsg = reinterpret_cast<const MSG*>(lParam);
    if (nCode != MSGF_MENU || s_pWatch == nullptr || pMsg == nullptr || pMsg->message != WM_KEYDOWN
        || pMsg->wParam != VK_RETURN || !IsElevationChordHeld())
        return CallNextHookEx(nullptr, nCode, wParam, lParam);
    s_pWatch->m_bPressed = true;
    PostMessageW(s_pWatch->m_hOwner, WM_CHAR, L'\r', 0);
    return TRUE;
}

#include "tray/EntryContextWatch.h"

#include <cwchar>

namespace {

// Menus run one at a time on the one thread, so one watch at a time.
CEntryContextWatch* s_pWatch = nullptr;

constexpr UINT MN_GETHMENU_MESSAGE = 0x01E1;

bool IsDown(int nKey)
{
    return (GetKeyState(nKey) & 0x8000) != 0;
}

bool IsContextKey(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    return msg.wParam == VK_APPS || (msg.wParam == VK_F10 && IsDown(VK_SHIFT));
}

// The menu shown by the popup menu window under the point, or null.
HMENU MenuAt(POINT pt)
{
    HWND hWnd = WindowFromPoint(pt);
    wchar_t szClass[16] = {};
    if (hWnd == nullptr || GetClassNameW(hWnd, szClass, 16) == 0 || std::wcscmp(szClass, L"#32768") != 0)
        return nullptr;
    return reinterpret_cast<HMENU>(SendMessageW(hWnd, MN_GETHMENU_MESSAGE, 0, 0));
}

// The position of the entry with the id in the menu, or -1.
int PositionOf(HMENU hMenu, UINT nId)
{
    const int nCount = GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; ++i) {
        if (GetMenuItemID(hMenu, i) == nId)
            return i;
    }
    return -1;
}

} // namespace

CEntryContextWatch::CEntryContextWatch(HWND hOwner, UINT nMessage)
    : m_hOwner(hOwner), m_nMessage(nMessage), m_hHook(nullptr), m_bPaused(false), m_hSelectedMenu(nullptr),
      m_nSelectedPosition(-1), m_ptRequest{ 0, 0 }
{
    s_pWatch = this;
    m_hHook = SetWindowsHookExW(WH_MSGFILTER, FilterProc, nullptr, GetCurrentThreadId());
}

CEntryContextWatch::~CEntryContextWatch()
{
    if (m_hHook != nullptr)
        UnhookWindowsHookEx(m_hHook);
    s_pWatch = nullptr;
}

CEntryContextWatch* CEntryContextWatch::Current()
{
    return s_pWatch;
}

void CEntryContextWatch::OnMenuSelect(WPARAM wParam, LPARAM lParam)
{
    if (m_bPaused)
        return;
    m_hSelectedMenu = reinterpret_cast<HMENU>(lParam);
    const UINT nFlags = HIWORD(wParam);
    const UINT nItem = LOWORD(wParam);
    if (m_hSelectedMenu == nullptr || nFlags == 0xFFFF)
        m_nSelectedPosition = -1;
    else
        m_nSelectedPosition = (nFlags & MF_POPUP) != 0 ? static_cast<int>(nItem) : PositionOf(m_hSelectedMenu, nItem);
}

bool CEntryContextWatch::TakeClick(POINT pt)
{
    HMENU hMenu = MenuAt(pt);
    const int nPosition = hMenu != nullptr ? MenuItemFromPoint(nullptr, hMenu, pt) : -1;
    if (nPosition < 0)
        return false;
    m_ptRequest = pt;
    PostMessageW(m_hOwner, m_nMessage, static_cast<WPARAM>(nPosition), reinterpret_cast<LPARAM>(hMenu));
    return true;
}

// The menu opens below the selected entry, as Explorer's does.
bool CEntryContextWatch::TakeKey()
{
    if (m_hSelectedMenu == nullptr || m_nSelectedPosition < 0)
        return false;
    RECT rc = {};
    GetMenuItemRect(nullptr, m_hSelectedMenu, static_cast<UINT>(m_nSelectedPosition), &rc);
    m_ptRequest = { rc.left, rc.bottom };
    PostMessageW(m_hOwner, m_nMessage, static_cast<WPARAM>(m_nSelectedPosition),
                 reinterpret_cast<LPARAM>(m_hSelectedMenu));
    return true;
}

LRESULT CALLBACK CEntryContextWatch::FilterProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    const auto* pMsg = reinterpret_cast<const MSG*>(lParam);
    if (nCode != MSGF_MENU || s_pWatch == nullptr || pMsg == nullptr || s_pWatch->m_bPaused)
        return CallNextHookEx(nullptr, nCode, wParam, lParam);
    if (pMsg->message == WM_RBUTTONUP && s_pWatch->TakeClick(pMsg->pt))
        return TRUE;
    if (IsContextKey(*pMsg) && s_pWatch->TakeKey())
        return TRUE;
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

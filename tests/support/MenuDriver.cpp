#include "support/MenuDriver.h"

#include "support/DialogAutomation.h"
#include "support/UserInput.h"
#include "support/Wait.h"

#include <oleacc.h>

namespace testsupport {

namespace {

// The hook and the timer have no user parameter; one driver per thread.
thread_local CMenuDriver* t_pActive = nullptr;

constexpr UINT kTickMs = 30;
// How long a menu may stay open after the script ran.
constexpr DWORD kLingerMs = 2000;

ULONG_PTR ItemDataOf(HMENU hMenu, UINT nItem, BOOL bByPosition)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    if (!GetMenuItemInfoW(hMenu, nItem, bByPosition, &info))
        return 0;
    return info.dwItemData;
}

std::wstring NameIn(ULONG_PTR nItemData)
{
    const auto* pInfo = reinterpret_cast<const MSAAMENUINFO*>(nItemData);
    if (pInfo == nullptr || pInfo->dwMSAASignature != static_cast<DWORD>(MSAA_MENU_SIG) || pInfo->pszWText == nullptr)
        return L"";
    return std::wstring(pInfo->pszWText, pInfo->cchWText);
}

} // namespace

std::wstring DescribeMenu(HMENU hMenu)
{
    std::wstring text;
    const int nCount = GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        GetMenuItemInfoW(hMenu, static_cast<UINT>(i), TRUE, &info);
        if (!text.empty())
            text += L"|";
        if ((info.fType & MFT_SEPARATOR) != 0) {
            text += L"-";
            continue;
        }
        if (info.hSubMenu == nullptr || info.wID != 0)
            text += std::to_wstring(info.wID) + L" ";
        if ((info.fType & MFT_OWNERDRAW) != 0)
            text += NameIn(ItemDataOf(hMenu, static_cast<UINT>(i), TRUE));
        if (info.hSubMenu != nullptr)
            text += L"[" + DescribeMenu(info.hSubMenu) + L"]";
    }
    return text;
}

std::wstring AccessibleName(HMENU hMenu, UINT nCommand)
{
    return NameIn(MenuItemDataOf(hMenu, nCommand));
}

ULONG_PTR MenuItemDataOf(HMENU hMenu, UINT nCommand)
{
    return ItemDataOf(hMenu, nCommand, FALSE);
}

HWND FindThreadMenuWindow()
{
    HWND hFound = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) {
            if (ClassName(hWnd) != L"#32768" || !IsWindowVisible(hWnd))
                return TRUE;
            *reinterpret_cast<HWND*>(lParam) = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&hFound));
    return hFound;
}

CMenuDriver::CMenuDriver(std::vector<UINT> keys, std::function<void()> whileOpen)
    : m_keys(std::move(keys)), m_whileOpen(std::move(whileOpen))
{
    t_pActive = this;
    m_hHook = SetWindowsHookExW(WH_CALLWNDPROC, HookProc, nullptr, GetCurrentThreadId());
    m_nTimer = SetTimer(nullptr, 0, kTickMs, TimerProc);
}

CMenuDriver::~CMenuDriver()
{
    KillTimer(nullptr, m_nTimer);
    UnhookWindowsHookEx(m_hHook);
    t_pActive = nullptr;
}

LRESULT CALLBACK CMenuDriver::HookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    const auto* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    CMenuDriver* self = t_pActive;
    if (nCode == HC_ACTION && self != nullptr) {
        if (pMsg->message == WM_INITMENUPOPUP) {
            self->m_hMenu = reinterpret_cast<HMENU>(pMsg->wParam);
            self->m_opened.push_back(DescribeMenu(self->m_hMenu));
        }
        if (self->m_watchSent)
            self->m_watchSent(*pMsg);
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void CALLBACK CMenuDriver::TimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    HWND hMenuWnd = FindThreadMenuWindow();
    if (t_pActive != nullptr && hMenuWnd != nullptr)
        t_pActive->OnTick(hMenuWnd);
}

void CMenuDriver::OnTick(HWND hMenuWnd)
{
    if (!m_bActed) {
        m_bActed = true;
        m_nActedAt = GetTickCount();
        if (m_whileOpen)
            m_whileOpen();
        if (m_keys.empty() && !m_closeWhen) {
            EndMenu();
            return;
        }
    }
    if (m_nNextKey < m_keys.size() || m_selected.size() == m_keys.size()) {
        m_selected.push_back(SelectedPosition());
        m_nActedAt = GetTickCount();
    }
    if (m_nNextKey < m_keys.size()) {
        PostInput(hMenuWnd, m_keys[m_nNextKey++]);
        return;
    }
    const DWORD nLinger = m_closeWhen ? kStepMs : kLingerMs;
    if ((m_closeWhen && m_closeWhen()) || GetTickCount() - m_nActedAt > nLinger)
        EndMenu();
}

int CMenuDriver::SelectedPosition() const
{
    const int nCount = GetMenuItemCount(m_hMenu);
    for (int i = 0; i < nCount; ++i) {
        if ((GetMenuState(m_hMenu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) != 0)
            return i;
    }
    return -1;
}

void CMenuDriver::PostInput(HWND hMenuWnd, UINT nKey) const
{
    if (nKey == kElevatedEnter || nKey == kElevatedClick) {
        RECT rc = {};
        GetMenuItemRect(nullptr, m_hMenu, 0, &rc);
        const POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
        const bool bEnter = nKey == kElevatedEnter;
        SendInputs({ KeyInput(VK_CONTROL, false), KeyInput(VK_SHIFT, false),
                     bEnter ? KeyInput(VK_RETURN, false) : MouseInput(MOUSEEVENTF_LEFTDOWN, pt),
                     bEnter ? KeyInput(VK_RETURN, true) : MouseInput(MOUSEEVENTF_LEFTUP, pt),
                     KeyInput(VK_SHIFT, true), KeyInput(VK_CONTROL, true) });
        return;
    }
    if ((nKey & kTypedFlag) != 0) {
        PostMessageW(hMenuWnd, WM_CHAR, nKey & 0xFFFF, 1);
        return;
    }
    PostKeys(hMenuWnd, { nKey });
}

} // namespace testsupport

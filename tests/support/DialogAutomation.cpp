#include "support/DialogAutomation.h"

#include <vector>

namespace testsupport {

namespace {

// The hook procedure has no user parameter; one automation per thread.
thread_local CDialogAutomation* t_pActive = nullptr;
thread_local std::vector<HWND>* t_pSeen = nullptr;

constexpr UINT_PTR kAutomationTimer = 0x7A11;

BOOL CALLBACK CloseThreadWindow(HWND hWnd, LPARAM)
{
    if (IsWindowVisible(hWnd))
        PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    return TRUE;
}

} // namespace

CDialogAutomation::CDialogAutomation(Handler handler, DWORD nTimeoutMs)
    : m_handler(std::move(handler)), m_hHook(nullptr), m_nThreadId(GetCurrentThreadId()),
      m_nTimeoutMs(nTimeoutMs), m_hStop(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hWatchdog(nullptr), m_bTimedOut(0), m_nCount(0)
{
    t_pActive = this;
    t_pSeen = new std::vector<HWND>();
    m_hHook = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, m_nThreadId);
    m_hWatchdog = CreateThread(nullptr, 0, WatchdogThread, this, 0, nullptr);
}

CDialogAutomation::~CDialogAutomation()
{
    SetEvent(m_hStop);
    if (m_hWatchdog != nullptr) {
        WaitForSingleObject(m_hWatchdog, INFINITE);
        CloseHandle(m_hWatchdog);
    }
    CloseHandle(m_hStop);
    if (m_hHook != nullptr)
        UnhookWindowsHookEx(m_hHook);
    delete t_pSeen;
    t_pSeen = nullptr;
    t_pActive = nullptr;
}

bool CDialogAutomation::TimedOut() const
{
    return m_bTimedOut != 0;
}

LRESULT CALLBACK CDialogAutomation::CbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_ACTIVATE && t_pActive != nullptr && t_pSeen != nullptr) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        bool bSeen = false;
        for (HWND h : *t_pSeen)
            bSeen = bSeen || h == hWnd;
        if (!bSeen) {
            t_pSeen->push_back(hWnd);
            SetTimer(hWnd, kAutomationTimer, 0, TimerProc);
        }
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void CALLBACK CDialogAutomation::TimerProc(HWND hWnd, UINT, UINT_PTR idEvent, DWORD)
{
    KillTimer(hWnd, idEvent);
    if (t_pActive == nullptr || !IsWindow(hWnd))
        return;
    ++t_pActive->m_nCount;
    t_pActive->m_handler(hWnd);
}

DWORD WINAPI CDialogAutomation::WatchdogThread(void* pParam)
{
    auto* self = static_cast<CDialogAutomation*>(pParam);
    while (WaitForSingleObject(self->m_hStop, self->m_nTimeoutMs) == WAIT_TIMEOUT) {
        InterlockedExchange(&self->m_bTimedOut, 1);
        EnumThreadWindows(self->m_nThreadId, CloseThreadWindow, 0);
    }
    return 0;
}

void ClickButton(HWND hDlg, int nId)
{
    SendMessageW(GetDlgItem(hDlg, nId), BM_CLICK, 0, 0);
}

void PressKey(HWND hWnd, UINT nVirtualKey)
{
    // Posted to the focused control, so the modal loop's dialog manager sees
    // the key exactly as it would see a typed one.
    HWND hTarget = GetFocus();
    if (hTarget == nullptr || (hTarget != hWnd && !IsChild(hWnd, hTarget)))
        hTarget = hWnd;
    const UINT nScan = MapVirtualKeyW(nVirtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(hTarget, WM_KEYDOWN, nVirtualKey, 1 | (nScan << 16));
    PostMessageW(hTarget, WM_KEYUP, nVirtualKey, 1 | (nScan << 16) | 0xC0000000u);
}

std::wstring WindowText(HWND hWnd)
{
    const int nLength = GetWindowTextLengthW(hWnd);
    std::wstring text(static_cast<size_t>(nLength) + 1, L'\0');
    GetWindowTextW(hWnd, &text[0], nLength + 1);
    text.resize(wcslen(text.c_str()));
    return text;
}

std::wstring ControlText(HWND hDlg, int nId)
{
    return WindowText(GetDlgItem(hDlg, nId));
}

std::wstring ClassName(HWND hWnd)
{
    wchar_t name[256] = {};
    GetClassNameW(hWnd, name, 255);
    return name;
}

std::wstring MessageBoxText(HWND hBox)
{
    return ControlText(hBox, 0xFFFF);
}

bool IsMessageBox(HWND hWnd)
{
    return ClassName(hWnd) == L"#32770" && GetDlgItem(hWnd, 0xFFFF) != nullptr;
}

} // namespace testsupport

#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testsupport {

// Drives modal windows (dialogs and message boxes) that the code under test
// opens on this thread. Every top-level window of the thread that becomes
// active for the first time is handed to the handler from inside the
// modal loop (a zero-delay timer after activation), so the handler sees the
// fully initialised window and can act on it like a user: click buttons,
// press keys, read texts. A watchdog thread closes whatever is still open
// after the timeout, so a test that fails to close a dialog fails instead
// of hanging.
class CDialogAutomation
{
public:
    using Handler = std::function<void(HWND hWnd)>;

    explicit CDialogAutomation(Handler handler, DWORD nTimeoutMs = 30000);
    CDialogAutomation(const CDialogAutomation&) = delete;
    CDialogAutomation& operator=(const CDialogAutomation&) = delete;
    virtual ~CDialogAutomation();

    // How many windows were handed to the handler so far.
    int Count() const { return m_nCount; }
    // True when the watchdog had to close windows.
    bool TimedOut() const;

private:
    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND hWnd, UINT, UINT_PTR idEvent, DWORD);
    static DWORD WINAPI WatchdogThread(void* pParam);

    Handler m_handler;
    HHOOK m_hHook;
    DWORD m_nThreadId;
    DWORD m_nTimeoutMs;
    HANDLE m_hStop;
    HANDLE m_hWatchdog;
    volatile LONG m_bTimedOut;
    int m_nCount;
};

// Acting like a user on a live window.
void ClickButton(HWND hDlg, int nId);                 // BM_CLICK on the control
void PressKey(HWND hWnd, UINT nVirtualKey);           // key down and up, through the dialog manager
std::wstring WindowText(HWND hWnd);
std::wstring ControlText(HWND hDlg, int nId);
std::wstring ClassName(HWND hWnd);
// The text of a standard message box (its static has the id 0xFFFF).
std::wstring MessageBoxText(HWND hBox);
bool IsMessageBox(HWND hWnd);

} // namespace testsupport

#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A program started by a test, with its own command line, working folder
// and environment variables set or replaced. (Wine's own settings such as
// WINEDLLOVERRIDES are not among them: its loader reads the Unix
// environment; see CWineDllOrder.) Ended by force if still running when the
// object goes, so a failing test leaves nothing behind.
class CChildProcess
{
public:
    using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

    CChildProcess(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder = L"",
                  const Environment& environment = {});
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;
    virtual ~CChildProcess();

    bool Started() const { return m_info.hProcess != nullptr; }
    DWORD Id() const { return m_info.dwProcessId; }
    // Waits for the end while keeping this thread's windows responsive;
    // false on timeout.
    bool Wait(DWORD nTimeoutMs, DWORD* pExitCode = nullptr);

private:
    PROCESS_INFORMATION m_info;
};

// Runs the thread's pending messages (windows that the test created).
void PumpMessages();
// Pumps for a while, so other processes can act on our windows.
void PumpFor(DWORD nMs);

// A visible top-level window of that class and title (null: any title)
// that belongs to the process; null when there is none.
HWND FindProcessWindow(DWORD nProcessId, const wchar_t* pszClass, const wchar_t* pszTitle);
// The same, waited for up to the timeout; null when none came.
HWND WaitForProcessWindow(DWORD nProcessId, const wchar_t* pszClass, const wchar_t* pszTitle, DWORD nTimeoutMs);
// The text of a window of another process (WM_GETTEXT across processes).
std::wstring RemoteWindowText(HWND hWnd);

} // namespace testsupport

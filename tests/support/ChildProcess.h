#pragma once

#include "support/Wait.h"

#include <windows.h>

#include <gtest/gtest.h>

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
    // Why CreateProcess refused, when it did.
    DWORD StartError() const { return m_nStartError; }
    DWORD Id() const { return m_info.dwProcessId; }
    bool IsRunning() const;
    // Waits for the end while keeping this thread's windows responsive;
    // the failure names the program.
    testing::AssertionResult Wait(DWORD nTimeoutMs = kStepMs, DWORD* pExitCode = nullptr);

private:
    std::wstring m_program;
    PROCESS_INFORMATION m_info;
    DWORD m_nStartError = ERROR_SUCCESS;
};

// A visible top-level window of that class and title (null: any title)
// that belongs to the process; null when there is none.
HWND FindProcessWindow(DWORD nProcessId, const wchar_t* pszClass, const wchar_t* pszTitle);
// The same, waited for; the failure names the kind of window ("#32768" is
// a popup menu, "#32770" a dialog or message box) and its title.
testing::AssertionResult WaitForProcessWindow(DWORD nProcessId, const wchar_t* pszClass, const wchar_t* pszTitle,
                                              HWND* phWnd, DWORD nTimeoutMs = kStepMs);
// Until the process shows no such window any more.
testing::AssertionResult WaitForNoProcessWindow(DWORD nProcessId, const wchar_t* pszClass,
                                                DWORD nTimeoutMs = kStepMs);
// The text of a window of another process (WM_GETTEXT across processes).
std::wstring RemoteWindowText(HWND hWnd);

} // namespace testsupport

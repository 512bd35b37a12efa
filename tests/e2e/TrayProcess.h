#pragma once

#include "support/TempDir.h"

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// Polls the condition until it holds or the time is up.
template <class TCondition>
bool WaitUntil(DWORD nTimeoutMs, TCondition condition)
{
    const DWORD nStart = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - nStart >= nTimeoutMs)
            return false;
        Sleep(25);
    }
}

// The built program copied into a fresh folder with its own settings file,
// started and driven from outside like the shell and a user would.
class CTrayProcess
{
public:
    // The settings lines are written with CR LF beside the copied program.
    explicit CTrayProcess(const std::string& settings);
    CTrayProcess(const CTrayProcess&) = delete;
    CTrayProcess& operator=(const CTrayProcess&) = delete;
    // Ends a program still running: politely first, then by force.
    virtual ~CTrayProcess();

    const testsupport::CTempDir& Folder() const { return m_dir; }

    // Starts the copy with this command line; a second start makes a
    // second process of the same copy.
    bool Start(const wchar_t* pszArguments = L"-run");
    HANDLE Process() const { return m_processes.empty() ? nullptr : m_processes.back(); }
    DWORD ProcessId(size_t nIndex = 0) const { return m_ids.at(nIndex); }

    // The hidden window of the first process, waited for.
    HWND WaitForWindow(DWORD nTimeoutMs = 10000);
    HWND Window() const { return m_hWnd; }
    // Whether the shell holds the program's icon (uID 0 of its window).
    bool IconShown() const;
    bool WaitForIcon(bool bShown, DWORD nTimeoutMs = 10000) const;
    // Starts the program with "-run" and waits for its window and icon.
    bool StartWithIcon(DWORD nTimeoutMs = 10000);

    void Notify(UINT nMouseMessage) const;

    bool WaitForExit(size_t nIndex, DWORD nTimeoutMs, DWORD* pExitCode = nullptr) const;
    bool IsRunning(size_t nIndex = 0) const;

private:
    testsupport::CTempDir m_dir;
    std::wstring m_exePath;
    std::vector<HANDLE> m_processes;
    std::vector<DWORD> m_ids;
    HWND m_hWnd = nullptr;
};

// A visible top-level window of the process with this class ("#32768" for
// a popup menu, "#32770" for a message box), waited for; null on timeout.
HWND WaitForProcessWindow(DWORD nProcessId, const wchar_t* pszClass, DWORD nTimeoutMs);
bool WaitForNoProcessWindow(DWORD nProcessId, const wchar_t* pszClass, DWORD nTimeoutMs);
// A balloon of the notification area: a tooltip of the shell's, taller
// than the one-line tip that a pointer resting on an icon brings up.
bool BalloonShown();
// Keys as a user types them into an open menu.
void SendKeys(HWND hWnd, const std::vector<UINT>& keys);

} // namespace e2e

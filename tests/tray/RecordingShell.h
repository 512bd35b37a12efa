#pragma once

#include "tray/TrayState.h"

#include <windows.h>

#include <string>

namespace traytest {

// What reached the shell at the last start, and what the shell answers.
struct SShellCall
{
    int nCalls = 0;
    std::wstring verb;
    std::wstring file;
    std::wstring parameters;
    std::wstring directory;
    ULONG fMask = 0;
    BOOL bResult = TRUE;
    DWORD nError = ERROR_SUCCESS;
    INT_PTR nInstApp = 42;
};

// Stands in for the shell's start call of the tray state in force while it
// lives (and for LaunchTool called with Hook()): nothing is started, every
// call is noted in the shared record and answered as it says.
class CRecordingShell
{
public:
    CRecordingShell();
    CRecordingShell(const CRecordingShell&) = delete;
    CRecordingShell& operator=(const CRecordingShell&) = delete;
    virtual ~CRecordingShell();

    static SShellCall& Call();
    static ShellExecuteHook Hook();

private:
    CTrayState* m_pState;
    ShellExecuteHook m_pfnPrevious;
};

} // namespace traytest

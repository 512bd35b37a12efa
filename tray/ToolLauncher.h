#pragma once

#include <windows.h>
#include <shellapi.h>

// Reads tool n afresh from the settings file and starts it through the
// shell, with administrator rights ("runas") when asked or when the tool
// always wants them; a failure is shown with the tool's name and the
// system's reason, a declined elevation prompt shows nothing. A tool
// without a path is never handed to the shell.
void LaunchTool(HWND hOwner, ULONG nTool, bool bElevate = false);

// The shell's start call, replaced by tests that look at what reaches it.
using ShellExecuteHook = BOOL(WINAPI*)(SHELLEXECUTEINFOW* pInfo);
void SetShellExecuteHook(ShellExecuteHook pfnHook);

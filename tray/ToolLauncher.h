#pragma once

#include <windows.h>
#include <shellapi.h>

// The shell's start call; tests pass one that records what reaches it.
using ShellExecuteHook = BOOL(WINAPI*)(SHELLEXECUTEINFOW* pInfo);

// Reads tool n afresh from the settings file and starts it through the
// shell, with administrator rights ("runas") when asked or when the tool
// always wants them; a failure is shown with the tool's name and the
// system's reason, a declined elevation prompt shows nothing. A tool
// without a path is never handed to the shell.
void LaunchTool(HWND hOwner, ULONG nTool, bool bElevate = false, ShellExecuteHook pfnShellExecute = ShellExecuteExW);

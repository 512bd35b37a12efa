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

// Starts a file of a live folder, or opens a folder, through the shell,
// with the file's folder as the working folder; a failure is shown as for a
// tool, under the name the menu gave it.
void LaunchFile(HWND hOwner, const wchar_t* pszName, const wchar_t* pszPath, bool bElevate,
                ShellExecuteHook pfnShellExecute = ShellExecuteExW);

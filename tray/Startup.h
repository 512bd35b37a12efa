#pragma once

#include "foundation/CString.h"

#include <windows.h>

// The process from start to end: prepare the globals, perform the one
// action that the command line asks for, tear everything down again.

// Each option must be the whole command line, blanks and tabs around it
// ignored, ASCII case ignored.
bool IsHelpOption(const tessvald::string::CString& strCommandLine);   // also an empty line
bool IsHelpFileOption(const tessvald::string::CString& strCommandLine);
// "-install" with an optional ":all" (blanks allowed around both parts);
// hRoot becomes HKEY_LOCAL_MACHINE for ":all", else HKEY_CURRENT_USER.
bool IsInstallOption(const tessvald::string::CString& strCommandLine, HKEY& hRoot);
bool IsRemoveOption(const tessvald::string::CString& strCommandLine);
bool IsRunOption(const tessvald::string::CString& strCommandLine);

// Before the tray's first menu, with the settings file named: brings back a
// lost settings file from its backup or, on the very first start in this
// folder, writes one with the options alone (no tools). The start's notice that tells the
// user about it; empty when there is nothing to tell.
tessvald::string::CString PrepareSettingsFile();

// Safe DLL search, COM, the instance, the module path and the program icon.
void StartUp(HINSTANCE hInstance);
// Help screen, help file, autostart, or the tray; refuses all but the two
// help actions while the tray application is already running.
void PerformAction(const tessvald::string::CString& strCommandLine);
// Undoes StartUp and whatever the action left, also when it never ran.
void TearDown();

// The whole run; returns the process exit code. A worker left behind then
// is the caller's to end with the process (EndProcessIfWorkAbandoned):
// tests run the program in their own process.
int RunProgram(HINSTANCE hInstance, const wchar_t* pszCommandLine);

#pragma once

#include <windows.h>

// True when the path names an existing file that can be opened.
bool FileExists(const wchar_t* pszPath);

// Enables the tools menu's entry of every tool whose file exists and greys
// the others; "Programme bearbeiten" stays as it is.
void EnableToolEntries();

// Reads tool n afresh from the settings file and starts it through the
// shell; a failure is shown with the tool's name and the system's reason.
void LaunchTool(HWND hOwner, ULONG nTool);

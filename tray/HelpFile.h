#pragma once

#include "foundation/CString.h"

#include <windows.h>

// The HTML help file beside the program (its path with ".chm").

// True while a help window opened from one of our windows may be open.
extern bool g_bHelpShown;

// The program's path with the extension ".chm", unquoted.
tessvald::string::CString GetHelpFilePath();

// Without an owner the shell opens the file; with one, the HTML Help viewer.
// A missing file is named in an error box with the folder it belongs in.
void ShowHelpFile(HWND hOwner);
// Closes the help windows that ShowHelpFile opened from a window.
void CloseHelpFile();

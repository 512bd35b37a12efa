#pragma once

#include <windows.h>

// The HTML help file beside the program (its path with ".chm").

// True while a help window opened from one of our windows may be open.
extern bool g_bHelpShown;

// Without an owner the shell opens the file; with one, the HTML Help viewer.
void ShowHelpFile(HWND hOwner);
// Closes the help windows that ShowHelpFile opened from a window.
void CloseHelpFile();

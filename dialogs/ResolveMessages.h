#pragma once

#include <windows.h>

class CRecord;

// Turns a file the user chose or dropped into an entry (ResolveData); when
// it gives none, tells the user which file and why, in a box owned by
// hOwner. The record comes freshly reset.
bool ResolveWithMessage(HWND hOwner, const wchar_t* pszPath, CRecord& record);

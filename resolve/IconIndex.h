#pragma once

#include <windows.h>

// Turns a negative icon index (the shell's way to name an icon group by its
// resource number) into the group's position in the file. False, with
// nIndex untouched, for a non-negative id or a group that is not there.
bool FindIconIndex(const wchar_t* pszPath, LONG nId, LONG& nIndex);

#pragma once

#include <windows.h>

// Turns a negative icon index (the shell's way to name an icon group by its
// resource number) into the group's position in the file. False, with
// nIndex untouched, for a non-negative id or a group that is not there.
bool FindIconIndex(const wchar_t* pszPath, LONG nId, LONG& nIndex);

// The same in a module already loaded: the position that CResourceLocator
// would give the group, found in one pass over the groups.
bool FindIconPosition(HMODULE hModule, LONG nId, LONG& nPosition);

// The name of the group that a negative index names, for LoadImageW; null
// for an index that is no resource number (not negative, or beyond the 16
// bits that resource numbers have).
LPCWSTR IconGroupName(LONG nId);

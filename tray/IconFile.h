#pragma once

#include <windows.h>

// The picture of a menu entry: the icon group at a position of a module, or,
// when the file is no module or has no such group, the file itself read as
// an icon file. Null when nothing can be loaded. Safe on any thread: it
// touches no window, menu or shared state.
HICON LoadIconFromFile(const wchar_t* pszFile, LONG nIndex, int nWidth, int nHeight);

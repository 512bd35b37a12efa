#pragma once

#include <windows.h>

// An icon file (.ico, .cur) loaded as LoadImageW with LR_LOADFROMFILE
// loads it, once its directory and every image it lists have been found to
// lie within the file. Wine's loader follows the directory unchecked where
// it matters: an image whose width or height makes its size overflow is
// read far beyond the file, and the fault ends the program. Animated
// cursors (RIFF files), whose chunk sizes it follows the same way, give no
// icon. nullptr for a file refused or not loaded.
HICON LoadIconFile(const wchar_t* pszPath, int nWidth, int nHeight, UINT nFlags);

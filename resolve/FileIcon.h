#pragma once

#include "foundation/CString.h"

#include <windows.h>

// The icon that an icon file and an index name: the module's icon group at
// that position (a negative index: with that resource number), or, when the
// file is no module or has no such group, the file itself read as an icon
// file. A size of 0 is the system's icon size. Null when nothing can be
// loaded. Safe on any thread. pGroupName, when given, receives the group's
// name as a user reads it (the number of a numbered one), and stays empty
// for an icon file.
HICON LoadIconFromFile(const wchar_t* pszFile, LONG nIndex, int nWidth, int nHeight,
                       tessvald::string::CString* pGroupName = nullptr);

#pragma once

#include <windows.h>

namespace tessvald {

// Loads a system library by its bare name from the system folder only, so
// a file of that name beside the program (a Downloads folder, a stick) is
// never run. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* pszName);

} // namespace tessvald

#pragma once

#include "foundation/CString.h"

#include <windows.h>

// Process-wide state set up at start-up.
extern HINSTANCE g_hInstance;                       // the program's module
extern tessvald::string::CString g_strModulePath;  // full path of the program file
extern HICON g_hAppIcon;                            // icon 101 at the default size; may be null

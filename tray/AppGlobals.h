#pragma once

#include "foundation/CString.h"

#include <windows.h>

// The program's name: the caption of its boxes, the name of its window
// and the tip of its icon.
constexpr wchar_t kProgramName[] = L"Ambertille";

// Process-wide state set up at start-up.
extern HINSTANCE g_hInstance;                       // the program's module
extern tessvald::string::CString g_strModulePath;  // full path of the program file
extern HICON g_hAppIcon;                            // icon 101 at the default size; may be null

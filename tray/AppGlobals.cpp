#include "tray/AppGlobals.h"

HINSTANCE g_hInstance = nullptr;
tessvald::string::CString g_strModulePath;
HICON g_hAppIcon = nullptr;

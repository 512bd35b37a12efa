#include "settings/DisplayOptions.h"

bool g_bLargeIcons = false;
bool g_bShortPath = false;
bool g_bSystemFont = true;
UINT g_nHotkeyModifiers = 0;
UINT g_nHotkeyKey = 0;
LOGFONTW g_logFont = {
    -11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"
};

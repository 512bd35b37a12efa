#pragma once

#include <windows.h>

// The tray menu's display options, loaded from the settings file at every
// menu build and changed in memory by the options dialog.
extern bool g_bLargeIcons;  // system large icon size instead of the small one
extern bool g_bShortPath;   // stored and shown only
extern bool g_bSystemFont;  // the system's menu font instead of g_logFont
extern LOGFONTW g_logFont;  // the chosen menu font; height in device pixels
// The global shortcut that opens the tools menu: MOD_* flags and a
// virtual key; key 0 means none, the default.
extern UINT g_nHotkeyModifiers;
extern UINT g_nHotkeyKey;

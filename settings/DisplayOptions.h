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

// The same options as one value, for a dialog that edits them: the caller
// fills it from the globals, and applies what the dialog hands back.
struct SDisplayOptions
{
    bool bLargeIcons;
    bool bShortPath;
    bool bSystemFont;
    LOGFONTW logFont;
    UINT nHotkeyModifiers;
    UINT nHotkeyKey;
};

SDisplayOptions GetDisplayOptions();
void SetDisplayOptions(const SDisplayOptions& options);

// The menu font's size before the settings file names one.
constexpr LONG kDefaultFontPoints = 8;

// The settings file and the options dialog speak points, g_logFont device
// pixels. A size in points survives the way there and back at any
// resolution of 72 dots per inch or more.
LONG FontHeightFromPoints(LONG nPoints, int nDpi);
LONG FontPointsFromHeight(LONG nHeight, int nDpi);
// The screen's vertical resolution; 96 when it cannot be read.
int GetScreenDpi();
// The initial menu font for a screen of that resolution.
LOGFONTW DefaultLogFont(int nDpi);

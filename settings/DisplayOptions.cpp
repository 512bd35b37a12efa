#include "settings/DisplayOptions.h"

#include "foundation/ScopedDC.h"

namespace {

constexpr int kPointsPerInch = 72;
constexpr int kDefaultDpi = 96;

} // namespace

LONG FontHeightFromPoints(LONG nPoints, int nDpi)
{
    return -MulDiv(nPoints, nDpi > 0 ? nDpi : kDefaultDpi, kPointsPerInch);
}

LONG FontPointsFromHeight(LONG nHeight, int nDpi)
{
    return -MulDiv(nHeight, kPointsPerInch, nDpi > 0 ? nDpi : kDefaultDpi);
}

int GetScreenDpi()
{
    tessvald::CClientDC dc(GetDesktopWindow());
    const int nDpi = dc ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 0;
    return nDpi > 0 ? nDpi : kDefaultDpi;
}

// A fixed -11 pixels is 8 points only at 96 dots per inch; at 144 it would
// show and be saved as 6. The initial size is 8 points on the screen the
// program runs on.
LOGFONTW DefaultLogFont(int nDpi)
{
    LOGFONTW logFont = {
        0, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"
    };
    logFont.lfHeight = FontHeightFromPoints(kDefaultFontPoints, nDpi);
    return logFont;
}

bool g_bLargeIcons = false;
bool g_bShortPath = false;
bool g_bSystemFont = true;
UINT g_nHotkeyModifiers = 0;
UINT g_nHotkeyKey = 0;
LOGFONTW g_logFont = DefaultLogFont(GetScreenDpi());

SDisplayOptions GetDisplayOptions()
{
    return { g_bLargeIcons, g_bShortPath, g_bSystemFont, g_logFont, g_nHotkeyModifiers, g_nHotkeyKey };
}

void SetDisplayOptions(const SDisplayOptions& options)
{
    g_bLargeIcons = options.bLargeIcons;
    g_bShortPath = options.bShortPath;
    g_bSystemFont = options.bSystemFont;
    g_logFont = options.logFont;
    g_nHotkeyModifiers = options.nHotkeyModifiers;
    g_nHotkeyKey = options.nHotkeyKey;
}

#pragma once

#include "foundation/ScopedHandle.h"

#include <windows.h>

// The colours both menus are drawn in. They follow the task bar: light or
// dark as its colour mode says, and the system's own colours while high
// contrast is on, whatever the mode.
struct SMenuColours
{
    COLORREF nBackground;
    COLORREF nText;
    COLORREF nGreyText;       // entries that cannot be chosen
    COLORREF nSelection;      // the background of the selected entry
    COLORREF nSelectionText;
    COLORREF nSeparator;
};

enum class EColourMode { Light, Dark };

// The program's own colours for each mode (one table, checked by a test
// against the contrast ratios readers need).
const SMenuColours& ModeColours(EColourMode eMode);
// The task bar's colour mode as the user set it; light where the system
// has none (before Windows 10 1903).
EColourMode ReadTaskbarMode();
bool IsHighContrastOn();
// High contrast wins: the system's colours unchanged.
SMenuColours ChooseMenuColours(bool bHighContrast, EColourMode eMode);

// Whether a WM_SETTINGCHANGE or WM_SYSCOLORCHANGE may change the menus'
// colours: the colour mode ("ImmersiveColorSet"), high contrast, or the
// system's colours themselves.
bool IsColourChange(UINT nMsg, WPARAM wParam, LPARAM lParam);

// The colours in force and the brush of the menus' background. They are
// read when first needed and again after a change was announced, at the
// next build or showing of a menu: never while a menu is on screen.
class CMenuPalette
{
public:
    CMenuPalette();
    CMenuPalette(const CMenuPalette&) = delete;
    CMenuPalette& operator=(const CMenuPalette&) = delete;
    virtual ~CMenuPalette();

    const SMenuColours& Colours() const { return m_colours; }
    HBRUSH Background() const { return static_cast<HBRUSH>(m_hBackground.Get()); }

    void Invalidate() { m_bStale = true; }
    // Reads the colours when they may have changed; true when the
    // background brush was made anew (the menus must take it at once: the
    // one they held is gone).
    bool Refresh();

private:
    SMenuColours m_colours;
    tessvald::CGdiObjectHandle m_hBackground;
    bool m_bStale;
};

#pragma once

#include "foundation/ScopedHandle.h"

#include <windows.h>

// The font of one menu build: made once when the display options are read
// and shared by the measuring and drawing of all its entries, released
// with the menu. It is made for the DPI of the monitor the menu opens on.
class CMenuFont
{
public:
    CMenuFont();
    CMenuFont(CMenuFont&& other) noexcept = default;
    CMenuFont& operator=(CMenuFont&& other) noexcept = default;
    CMenuFont(const CMenuFont&) = delete;
    CMenuFont& operator=(const CMenuFont&) = delete;
    virtual ~CMenuFont();

    // The system's menu font with g_bSystemFont (the chosen one when the
    // system does not tell), otherwise g_logFont, both given at the system's
    // DPI and scaled to nDpi. False when no font could be made; the entries
    // are then drawn in the context's own font.
    bool Create(UINT nDpi);
    void Release();

    HFONT Get() const { return m_hFont.Get(); }
    const LOGFONTW& GetLogFont() const { return m_logFont; }
    UINT Dpi() const { return m_nDpi; }

private:
    LOGFONTW m_logFont;
    tessvald::CFontHandle m_hFont;
    UINT m_nDpi;
};

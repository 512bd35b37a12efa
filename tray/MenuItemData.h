#pragma once

#include "tray/IconCache.h"

#include <windows.h>
#include <oleacc.h>

#include <cstddef>
#include <type_traits>

class CRecord;

// The data of one owner-drawn menu entry. A plain structure that begins with
// the MSAAMENUINFO of the entry's name: screen readers (and our own
// type-ahead) read the names of owner-drawn entries through it, casting the
// item data to MSAAMENUINFO once the signature matches. The menu owns it
// and deletes it when it is destroyed; the text belongs to it, the font to
// the menu and the picture to the icon cache.
struct MenuItemData
{
    MenuItemData();
    MenuItemData(const MenuItemData&) = delete;
    MenuItemData& operator=(const MenuItemData&) = delete;
    ~MenuItemData();

    MSAAMENUINFO m_msaa;          // the entry's full text, also when drawn cut short
    HFONT m_hFont;                // the menu's font; null: the context's font
    CIconCache::CIcon* m_pIcon;   // null without an icon file: the entry keeps the icon's space
    CIconCache* m_pCache;         // where the icon is released
    // An entry of a live folder shows the shell's icon instead: its place in
    // the system's image list, once known.
    HANDLE m_hShellImages;        // the image list (an HIMAGELIST), shared, never destroyed
    int m_nShellIcon;             // kShellIconNone, kShellIconPending or the place
    UINT m_nDpi;                  // of the monitor the menu was built for
    int m_nIconWidth;
    int m_nIconHeight;
    int m_nMargin;
    int m_nTextWidth;             // measured once per build; -1 until then
    int m_nTextHeight;
    bool m_bSeparator;            // a line between entries, no text
    bool m_bOpensSubmenu;         // drawn with an arrow
};

static_assert(std::is_standard_layout<MenuItemData>::value, "accessibility tools read the item data's start");
static_assert(offsetof(MenuItemData, m_msaa) == 0, "the MSAAMENUINFO must come first");

constexpr int kShellIconNone = -1;
constexpr int kShellIconPending = -2;

// Made from the record's name, icon file and icon index with the icon size
// in force at the DPI given, drawn in the menu's font (made for that DPI),
// its icon shared through the cache (the tray's, when none is given; none
// without a tray); null only when memory runs out. The icon is not loaded
// here but when first needed.
MenuItemData* CreateMenuItemData(const CRecord& record, HFONT hFont, UINT nDpi, CIconCache* pCache = nullptr);

// An entry with a text alone, its icon the shell's (pending until it is
// given) or none; null only when memory runs out.
MenuItemData* CreateShellItemData(const wchar_t* pszText, HFONT hFont, UINT nDpi, bool bWithIcon);

// A separator drawn by the program, so that it takes the menu's colours;
// false when it could not be appended.
bool AppendSeparator(HMENU hMenu, UINT nDpi);

// An entry that opens the submenu, appended with its data and command id
// (0 for none); the data is freed when it cannot be appended, the submenu
// stays the caller's then.
bool AppendSubmenuEntry(HMENU hMenu, HMENU hSubmenu, UINT nCommand, MenuItemData* pData);

// The entry's text, never null.
const wchar_t* TextOf(const MenuItemData& data);

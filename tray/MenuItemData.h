#pragma once

#include "foundation/CString.h"
#include "foundation/ScopedHandle.h"

#include <windows.h>

class CRecord;

// The drawing data of one owner-drawn menu entry: its text, font and
// picture. The menu owns it as the entry's item data and deletes it, with
// its icon, when the menu is destroyed.
class MenuItemData
{
public:
    MenuItemData();
    MenuItemData(const MenuItemData&) = delete;
    MenuItemData& operator=(const MenuItemData&) = delete;
    virtual ~MenuItemData();

    tessvald::string::CString m_strText;
    LOGFONTW m_logFont;
    tessvald::CIconHandle m_hIcon; // may be empty: the entry keeps the icon's space
    int m_nIconWidth;
    int m_nIconHeight;
    int m_nMargin;
};

// Made from the record's name, icon file and icon index with the display
// options in force; null only when memory runs out.
MenuItemData* CreateMenuItemData(const CRecord& record);

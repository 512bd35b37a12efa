#pragma once

#include "support/TempDir.h"

#include <windows.h>

#include <string>

class MenuItemData;

namespace traytest {

// Points the program at a settings file in a fresh folder (the file itself
// is written only when a test asks) and puts back afterwards what the tray
// code changes: the display options, both menus, the file state last seen.
class CTraySettings
{
public:
    CTraySettings();
    CTraySettings(const CTraySettings&) = delete;
    CTraySettings& operator=(const CTraySettings&) = delete;
    virtual ~CTraySettings();

    // Lines separated by '\n'; written as the bytes given, with CR LF.
    void Write(const std::string& lines) const;
    const std::wstring& IniPath() const { return m_iniPath; }
    std::wstring File(const std::wstring& name) const { return m_dir.File(name); }
    const std::wstring& Folder() const { return m_dir.Path(); }
    // Puts the file's last-write time back, as an editor that keeps it would.
    void SetWriteTime(const FILETIME& time) const;

private:
    testsupport::CTempDir m_dir;
    std::wstring m_iniPath;
    LOGFONTW m_savedFont;
};

// A menu as text: "2025 One|-|2027 Three|-|2024 Programme bearbeiten",
// "-" for a separator; owner-drawn entries show their MenuItemData text.
std::wstring DescribeMenu(HMENU hMenu);
// The drawing data of the entry with this command, or null.
const MenuItemData* ItemData(HMENU hMenu, UINT nCommand);

// The colour at the middle of the icon drawn on white at the given size.
COLORREF IconCentreColour(HICON hIcon, int nSize);

} // namespace traytest

#pragma once

#include "support/MenuDriver.h"
#include "support/RegistryGuard.h"
#include "support/TempDir.h"
#include "tray/MenuColours.h"
#include "tray/MenuFont.h"
#include "tray/MenuItemData.h"
#include "tray/TrayState.h"

#include <windows.h>

#include <memory>
#include <string>

namespace traytest {

// Points the program at a settings file in a fresh folder (the file itself
// is written only when a test asks) and puts back afterwards what the tray
// code changes: the display options, both menus, the file state last seen.
// Its tray state stands in for the tray window's while no such window lives
// (the menus, their fonts and icons, the greying).
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
    CTrayState m_state;
    testsupport::CTempDir m_dir;
    std::wstring m_iniPath;
    LOGFONTW m_savedFont;
};

// The tray state in force: the newest test window's, else the settings'.
CTrayState& State();

// The task bar's colour mode for the length of a test; the prefix's own
// setting comes back afterwards.
class CTaskbarMode
{
public:
    CTaskbarMode();
    CTaskbarMode(const CTaskbarMode&) = delete;
    CTaskbarMode& operator=(const CTaskbarMode&) = delete;
    virtual ~CTaskbarMode() = default;

    // Writes the value a mode gives (a DWORD of 0 or 1).
    void Set(EColourMode eMode) const;
    void SetRaw(DWORD nType, const void* pData, DWORD nSize) const;
    // No value at all, as before Windows 10 1903.
    void Remove() const;
    // The tray state's colours are read again now.
    static void Apply();

private:
    testsupport::CRegistryValueGuard m_guard;
};

// An entry's data made as a menu build makes it, with a font of its own,
// for the DPI given (0: the system's).
class CTestMenuEntry
{
public:
    CTestMenuEntry(const wchar_t* pszName, const std::wstring& iconFile, LONG nIconIndex, UINT nDpi = 0);
    CTestMenuEntry(const CTestMenuEntry&) = delete;
    CTestMenuEntry& operator=(const CTestMenuEntry&) = delete;
    virtual ~CTestMenuEntry();

    MenuItemData* get() const { return m_pData.get(); }
    MenuItemData* operator->() const { return m_pData.get(); }

private:
    CMenuFont m_font;
    std::unique_ptr<MenuItemData> m_pData;
};

using testsupport::AccessibleName;
using testsupport::DescribeMenu;
// The drawing data of the entry with this command, or null.
const MenuItemData* ItemData(HMENU hMenu, UINT nCommand);
// The entry's icon, loaded now if it was not yet; null when it has none.
HICON LoadedIcon(const MenuItemData* pData);
// The font the entry is measured and drawn with.
LOGFONTW FontOf(const MenuItemData* pData);

// A 32-bit top-down bitmap selected into a memory DC, its pixels readable;
// black where nothing was drawn.
class CPixelCanvas
{
public:
    CPixelCanvas(int nWidth, int nHeight);
    CPixelCanvas(const CPixelCanvas&) = delete;
    CPixelCanvas& operator=(const CPixelCanvas&) = delete;
    virtual ~CPixelCanvas();

    HDC DC() const { return m_hDC; }
    COLORREF At(int x, int y) const;
    // Whether any pixel of the rectangle has exactly this colour.
    bool Holds(const RECT& rc, COLORREF nColour) const;

private:
    int m_nWidth;
    HDC m_hDC;
    HBITMAP m_hBitmap;
    const DWORD* m_pPixels;
    HGDIOBJ m_hOld;
};

// Draws the entry as the menu would, on a canvas at (0, 0) with the
// measured size.
void DrawEntry(const MenuItemData* pData, const CPixelCanvas& canvas, const RECT& rcItem, UINT nState = 0);

// A hidden window run by the program's window procedure, as "-run" makes
// it: its creation builds the menus and starts the icon loader, its
// destruction stops the loader and releases the menus.
class CMainTestWindow
{
public:
    CMainTestWindow();
    CMainTestWindow(const CMainTestWindow&) = delete;
    CMainTestWindow& operator=(const CMainTestWindow&) = delete;
    virtual ~CMainTestWindow();

    HWND Get() const { return m_hWnd; }
    // What the shell sends for a mouse message on the icon, handled to its
    // end (a menu's loop and the dialogs it opens included).
    void Click(UINT nMouseMessage) const;

private:
    HWND m_hWnd;
};

// The colour at the middle of the icon drawn on white at the given size.
COLORREF IconCentreColour(HICON hIcon, int nSize);

} // namespace traytest

#pragma once

#include "foundation/ScopedHandle.h"
#include "tray/EntryContextMenu.h"
#include "tray/IconCache.h"
#include "tray/IconLoader.h"
#include "tray/LiveFolders.h"
#include "tray/MenuColours.h"
#include "tray/MenuFont.h"
#include "tray/NotifyIconEvents.h"
#include "tray/ToolAvailability.h"
#include "tray/ToolLauncher.h"

#include <windows.h>

#include <string>

// What the tray's hidden window needs for its life, in one place: made
// when the window is created and attached to it, gone at WM_DESTROY. The
// program-wide globals (the menus, the notification icon's data, the
// display options) stay beside the code that owns them; everything else
// the tray keeps lives here.
// Workers it started are told to stop when it goes, and are waited for,
// with a bound, once the window is gone (foundation/BackgroundWork).
class CShellContextMenu;

class CTrayState
{
public:
    CTrayState();
    CTrayState(const CTrayState&) = delete;
    CTrayState& operator=(const CTrayState&) = delete;
    virtual ~CTrayState();

    // The state of the tray window that lives now (the newest, while a test
    // makes a second one); null without one.
    static CTrayState* Current();
    // At the window's creation and destruction.
    void Attach(HWND hWnd);
    void Detach();
    HWND Window() const { return m_hWnd; }

    struct SHotkey
    {
        UINT nModifiers;
        UINT nKey;
        bool operator==(const SHotkey& other) const { return nModifiers == other.nModifiers && nKey == other.nKey; }
        bool operator!=(const SHotkey& other) const { return !(*this == other); }
    };

    CNotifyIconDecoder m_notifyDecoder;
    // The session ended while a click was being handled.
    bool m_bQuitAfterClick;
    // The menus' fonts, and one context that measures the entries of both
    // while they live: a window's context for each entry costs far more
    // than the measuring itself (under Wine a server round trip each).
    CMenuFont m_toolsFont;
    CMenuFont m_programFont;
    tessvald::CMemoryDCHandle m_measureDC;
    // The DPI both menus are built for: the system's at first, then the
    // one of the monitor the last menu opened on.
    UINT m_nMenuDpi;
    CMenuPalette m_palette;
    CIconCache m_iconCache;
    CIconLoader m_iconLoader;
    CToolAvailability m_toolAvailability;
    CLiveFolders m_liveFolders;
    // The first command id above the tools of the menu built last: the
    // live folders' entries take theirs from here.
    UINT m_nFirstFreeId;
    // The global shortcut in force, and the last one found taken (told
    // once, not at every rebuild).
    SHotkey m_registeredHotkey;
    SHotkey m_reportedHotkey;
    // The notification area's picture (g_nid's), and the task bar's mode
    // it was chosen for.
    tessvald::CIconHandle m_notifyIcon;
    EColourMode m_eNotifyIconMode;
    // Notices waiting for the icon, a line each.
    std::wstring m_strPendingNotices;
    // How tools are started; a test records instead.
    ShellExecuteHook m_pfnShellExecute;
    // The shell's part of an entry's context menu while it is open.
    CShellContextMenu* m_pShellMenu;
    // A choice in an entry's context menu, carried out once the tools menu
    // has closed.
    EEntryAction m_ePendingAction;
    SMenuEntry m_pendingEntry;

private:
    HWND m_hWnd;
    CTrayState* m_pPrevious;
};

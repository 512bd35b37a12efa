#include "tray/EntryContextMenu.h"

#include "foundation/CString.h"
#include "foundation/ScopedHandle.h"
#include "resolve/EntryResolver.h"
#include "resources/resource.h"
#include "settings/CConfig.h"
#include "settings/CRecord.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLayout.h"
#include "tray/MenuItemData.h"
#include "tray/ShellContextMenu.h"
#include "tray/TrayState.h"

using tessvald::string::CString;

namespace {

enum : UINT
{
    kEditCommand = 1,
    kOpenLocationCommand,
    kRunAsCommand,
    kFirstShellCommand = 0x100,
    kLastShellCommand = 0x7FFF,
};

std::wstring EntryName(HMENU hMenu, int nPosition)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    if (!GetMenuItemInfoW(hMenu, static_cast<UINT>(nPosition), TRUE, &info) || (info.fType & MFT_OWNERDRAW) == 0)
        return std::wstring();
    return TextOf(*reinterpret_cast<const MenuItemData*>(info.dwItemData));
}

std::wstring StoredPath(ULONG nTool)
{
    CRecord record;
    SetToolSection(record, nTool);
    ReadRecord(&record);
    CString strExpanded;
    if (!ExpandEnvironment(record.m_strPath.GetData(), strExpanded))
        return record.m_strPath.GetText();
    return strExpanded.GetText();
}

// While the shell's part of the menu is open, the tray window hands it the
// menu messages of its own entries.
class CActiveShellMenu
{
public:
    CActiveShellMenu(CTrayState& state, CShellContextMenu& menu) : m_state(state) { m_state.m_pShellMenu = &menu; }
    CActiveShellMenu(const CActiveShellMenu&) = delete;
    CActiveShellMenu& operator=(const CActiveShellMenu&) = delete;
    virtual ~CActiveShellMenu() { m_state.m_pShellMenu = nullptr; }

private:
    CTrayState& m_state;
};

} // namespace

bool FindMenuEntry(CTrayState& state, HMENU hMenu, int nPosition, SMenuEntry& entry)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_SUBMENU;
    if (hMenu == nullptr || !GetMenuItemInfoW(hMenu, static_cast<UINT>(nPosition), TRUE, &info))
        return false;
    entry.strName = EntryName(hMenu, nPosition);
    entry.nTool = 0;
    SLiveCommand live;
    std::wstring folder;
    if (info.wID > IDM_EDIT_TOOLS && info.wID < state.m_nFirstFreeId) {
        entry.eKind = SMenuEntry::EKind::Tool;
        entry.nTool = info.wID - IDM_EDIT_TOOLS;
        entry.strPath = StoredPath(entry.nTool);
        entry.bPresent = state.m_toolAvailability.IsKnownAvailable(entry.nTool);
        return !entry.strPath.empty();
    }
    if (state.m_liveFolders.FindCommand(info.wID, live) && !live.bOpenFolder) {
        entry.eKind = SMenuEntry::EKind::LiveFile;
        entry.strPath = live.strPath;
        entry.bPresent = true;
        return true;
    }
    if (info.hSubMenu != nullptr && state.m_liveFolders.FolderOf(info.hSubMenu, folder)) {
        entry.eKind = SMenuEntry::EKind::LiveFolder;
        entry.strPath = folder;
        entry.bPresent = true;
        return true;
    }
    return false;
}

EEntryAction ShowEntryContextMenu(HWND hOwner, CTrayState& state, const SMenuEntry& entry, POINT pt)
{
    const tessvald::CMenuHandle menu(CreatePopupMenu());
    if (!menu)
        return EEntryAction::None;
    const UINT nGreyedWhenMissing = entry.bPresent ? 0 : MF_GRAYED;
    if (entry.eKind == SMenuEntry::EKind::Tool)
        AppendMenuW(menu.Get(), MF_STRING, kEditCommand, L"Eintrag &bearbeiten \u2026");
    AppendMenuW(menu.Get(), MF_STRING | nGreyedWhenMissing, kOpenLocationCommand, L"&Speicherort \u00F6ffnen");
    if (entry.eKind != SMenuEntry::EKind::LiveFolder)
        AppendMenuW(menu.Get(), MF_STRING | nGreyedWhenMissing, kRunAsCommand, L"Als &Administrator ausf\u00FChren");
    CShellContextMenu shell;
    if (entry.bPresent && shell.Load(hOwner, entry.strPath.c_str())) {
        AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
        if (!shell.AddTo(menu.Get(), static_cast<UINT>(GetMenuItemCount(menu.Get())), kFirstShellCommand,
                         kLastShellCommand))
            DeleteMenu(menu.Get(), static_cast<UINT>(GetMenuItemCount(menu.Get()) - 1), MF_BYPOSITION);
    }
    UINT nCommand = 0;
    {
        const CActiveShellMenu active(state, shell);
        nCommand = static_cast<UINT>(TrackPopupMenuEx(menu.Get(), TPM_RECURSE | TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                      pt.x, pt.y, hOwner, nullptr));
    }
    switch (nCommand) {
    case kEditCommand:
        return EEntryAction::Edit;
    case kOpenLocationCommand:
        return EEntryAction::OpenLocation;
    case kRunAsCommand:
        return EEntryAction::RunAsAdministrator;
    default:
        return shell.Invoke(hOwner, nCommand, pt) ? EEntryAction::ShellCommand : EEntryAction::None;
    }
}

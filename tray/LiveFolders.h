#pragma once

#include "tray/FolderListing.h"

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CMenuFont;
struct MenuItemData;

// Posted to the tray window when a folder's listing, or its entries' icons,
// arrived from the worker.
constexpr UINT WM_FOLDERLISTED = WM_APP + 0x43;

// The most entries a live folder's submenu shows.
constexpr std::size_t kLiveFolderCap = 1000;

// What choosing an entry of a live folder does.
struct SLiveCommand
{
    std::wstring strName;  // as the entry shows it
    std::wstring strPath;  // the file to start, or the folder to open
    bool bOpenFolder;
};

// The submenus of live folders: a folder's content, read when its submenu
// opens, never while the tools menu is built. The reading runs on a worker
// with a deadline: the submenu waits a moment for it, shows "(wird gelesen
// …)" meanwhile and is filled when the listing arrives (reopened, as a
// menu on screen cannot grow), or shows "(nicht erreichbar)" after the
// deadline. Subfolders are live submenus again. Everything a submenu holds
// is freed when it closes. The entries' icons are the shell's, from the
// system's image list, found on the worker after the names.
class CLiveFolders
{
public:
    CLiveFolders();
    CLiveFolders(const CLiveFolders&) = delete;
    CLiveFolders& operator=(const CLiveFolders&) = delete;
    virtual ~CLiveFolders();

    // Where the worker's results are posted (WM_FOLDERLISTED) and whose
    // timer watches the deadlines.
    void SetWindow(HWND hWnd);
    // A submenu for a live folder, made at a menu build.
    void Register(HMENU hSubmenu, const std::wstring& folder);
    // The menus are built anew: every registration goes.
    void Clear();
    // Around one showing of the tools menu: its entries' commands take the
    // ids from nFirstId up, drawn in the tools menu's font (and for its
    // DPI); what the submenus still hold is freed after.
    void BeginShowing(UINT nFirstId, const CMenuFont& font);
    void EndShowing();

    // WM_INITMENUPOPUP and WM_UNINITMENUPOPUP; false for other menus.
    bool OnInitMenuPopup(HMENU hMenu);
    bool OnUninitMenuPopup(HMENU hMenu);
    // WM_FOLDERLISTED and the deadline's timer.
    void OnListed();
    void OnTimer(UINT_PTR nTimerId);

    // The folder a live submenu shows; false for other menus.
    bool FolderOf(HMENU hMenu, std::wstring& folder) const;
    bool IsLiveCommand(UINT nId) const;
    bool FindCommand(UINT nId, SLiveCommand& command) const;

    struct CJob;

private:
    struct CFolderMenu
    {
        std::wstring m_strFolder;
        bool m_bOpen;
        bool m_bPlaceholder;      // shows "(wird gelesen …)"
        std::shared_ptr<CJob> m_pJob;
        std::vector<MenuItemData*> m_entryData;  // one per listed entry, for the icons
        UINT m_nFirstId;
        UINT m_nIdCount;
    };

    CFolderMenu* Find(HMENU hMenu);
    std::shared_ptr<CJob> StartJob(const std::wstring& folder);
    void Fill(HMENU hMenu, CFolderMenu& menu);
    void FillListing(HMENU hMenu, CFolderMenu& menu, const SFolderListing& listing);
    void ShowNotice(HMENU hMenu, const wchar_t* pszText);
    void Empty(HMENU hMenu);
    bool AllocateIds(CFolderMenu& menu, UINT nWanted, UINT& nGranted);
    UINT AddCommand(CFolderMenu& menu, UINT nIndex, SLiveCommand command);
    void AppendEntry(HMENU hMenu, const wchar_t* pszText, UINT nId, UINT nFlags, bool bWithIcon,
                     MenuItemData** ppData = nullptr);
    void AppendSubfolder(HMENU hMenu, const SFolderEntry& entry, MenuItemData** ppData);
    void TakeIcons(CFolderMenu& menu);
    void ReopenIfWaiting(HMENU hMenu, CFolderMenu& menu);
    void WatchDeadlines();

    HWND m_hWnd;
    HFONT m_hFont;
    UINT m_nDpi;
    std::unordered_map<HMENU, CFolderMenu> m_menus;
    // Each showing reads a folder once; a reopened submenu takes its listing.
    std::unordered_map<std::wstring, std::shared_ptr<CJob>> m_jobs;
    std::vector<SLiveCommand> m_commands;  // by id, from m_nFirstId
    UINT m_nFirstId;
    UINT m_nNextId;
    bool m_bTimer;
};

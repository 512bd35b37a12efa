#include "tray/LiveFolders.h"

#include "foundation/AsciiCase.h"
#include "foundation/BackgroundWork.h"
#include "foundation/ComApartment.h"
#include "foundation/Dpi.h"
#include "foundation/ScopedHandle.h"
#include "settings/DisplayOptions.h"
#include "tray/MenuFont.h"
#include "tray/MenuIcons.h"
#include "tray/MenuItemData.h"

#include <shellapi.h>

#include <algorithm>

namespace {

// A folder on a local disk is read long before this; the submenu then opens
// with its entries at once.
constexpr DWORD kInlineWaitMs = 300;
// A folder that has not answered by then is taken for unreachable.
constexpr DWORD kListingDeadlineMs = 3000;
constexpr UINT_PTR kDeadlineTimerId = 0x4C46;
constexpr UINT kDeadlineTickMs = 250;
constexpr UINT kLastMenuId = 0xFFFF;

bool IsSet(volatile LONG& nFlag)
{
    return InterlockedCompareExchange(&nFlag, 0, 0) != 0;
}

std::wstring FolderKey(const std::wstring& folder)
{
    return tessvald::string::AsciiLower(folder);
}

// A subfolder's submenu, made when its parent opens, has the parent's
// background.
void TakeBackgroundOf(HMENU hParent, HMENU hSubmenu)
{
    MENUINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND;
    if (GetMenuInfo(hParent, &info))
        SetMenuInfo(hSubmenu, &info);
}

} // namespace

struct CLiveFolders::CJob
{
    std::wstring m_strFolder;
    SFolderView m_view;
    bool m_bLargeIcons;
    HWND m_hNotify;
    DWORD m_nStartedAt;
    SFolderListing m_listing;       // the worker's until m_nListed
    std::vector<int> m_icons;       // the worker's until m_nIconsFound
    HANDLE m_hImages;
    volatile LONG m_nListed;
    volatile LONG m_nIconsFound;
    tessvald::CKernelHandle m_hListed;

    bool IsListed() { return IsSet(m_nListed); }
    bool HasIcons() { return IsSet(m_nIconsFound); }
    bool IsRunning() { return !HasIcons() && !(IsListed() && !m_listing.bReachable); }
    bool IsOverdue() const { return GetTickCount() - m_nStartedAt >= kListingDeadlineMs; }

    void FindIcons()
    {
        EnterComApartment();
        const UINT nSize = m_bLargeIcons ? SHGFI_LARGEICON : SHGFI_SMALLICON;
        m_icons.assign(m_listing.entries.size(), kShellIconNone);
        for (std::size_t i = 0; i < m_listing.entries.size(); ++i) {
            SHFILEINFOW info = {};
            const auto hImages = reinterpret_cast<HANDLE>(
                SHGetFileInfoW(m_listing.entries[i].strPath.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | nSize));
            if (hImages == nullptr)
                continue;
            m_hImages = hImages;
            m_icons[i] = info.iIcon;
        }
        LeaveComApartment();
    }
};

namespace {

VOID CALLBACK RunListing(PTP_CALLBACK_INSTANCE, PVOID pContext)
{
    using CJob = CLiveFolders::CJob;
    std::unique_ptr<std::shared_ptr<CJob>> pShare(static_cast<std::shared_ptr<CJob>*>(pContext));
    CJob& job = **pShare;
    job.m_listing = ListFolder(job.m_strFolder, job.m_view, kLiveFolderCap);
    InterlockedExchange(&job.m_nListed, 1);
    SetEvent(job.m_hListed.Get());
    PostMessageW(job.m_hNotify, WM_FOLDERLISTED, 0, 0);
    if (job.m_listing.bReachable) {
        job.FindIcons();
        InterlockedExchange(&job.m_nIconsFound, 1);
        PostMessageW(job.m_hNotify, WM_FOLDERLISTED, 0, 0);
    }
    pShare.reset();
    EndBackgroundWork();
}

} // namespace

CLiveFolders::CLiveFolders()
    : m_hWnd(nullptr), m_hFont(nullptr), m_nDpi(tessvald::kBaseDpi), m_nFirstId(0), m_nNextId(0), m_bTimer(false)
{
}

CLiveFolders::~CLiveFolders()
{
    if (m_bTimer)
        KillTimer(m_hWnd, kDeadlineTimerId);
}

void CLiveFolders::SetWindow(HWND hWnd)
{
    m_hWnd = hWnd;
}

void CLiveFolders::Register(HMENU hSubmenu, const std::wstring& folder)
{
    m_menus[hSubmenu] = CFolderMenu{ folder, false, false, nullptr, {}, 0, 0 };
}

// The menus' own destruction frees their entries.
void CLiveFolders::Clear()
{
    m_menus.clear();
}

// A folder read at an earlier showing is read again; one still being read
// (a share that does not answer) is not asked twice.
void CLiveFolders::BeginShowing(UINT nFirstId, const CMenuFont& font)
{
    m_hFont = font.Get();
    m_nDpi = font.Dpi();
    m_nFirstId = nFirstId;
    m_nNextId = nFirstId;
    m_commands.clear();
    for (auto it = m_jobs.begin(); it != m_jobs.end();)
        it = it->second->IsRunning() ? std::next(it) : m_jobs.erase(it);
}

void CLiveFolders::EndShowing()
{
    std::vector<HMENU> filled;
    for (const auto& entry : m_menus)
        filled.push_back(entry.first);
    for (HMENU hMenu : filled)
        OnUninitMenuPopup(hMenu);
    m_commands.clear();
}

CLiveFolders::CFolderMenu* CLiveFolders::Find(HMENU hMenu)
{
    const auto found = m_menus.find(hMenu);
    return found == m_menus.end() ? nullptr : &found->second;
}

bool CLiveFolders::OnInitMenuPopup(HMENU hMenu)
{
    CFolderMenu* pMenu = Find(hMenu);
    if (pMenu == nullptr)
        return false;
    pMenu->m_bOpen = true;
    if (!pMenu->m_pJob) {
        const auto found = m_jobs.find(FolderKey(pMenu->m_strFolder));
        pMenu->m_pJob = found != m_jobs.end() ? found->second : StartJob(pMenu->m_strFolder);
    }
    if (pMenu->m_pJob && !pMenu->m_pJob->IsListed() && !pMenu->m_pJob->IsOverdue())
        WaitForSingleObject(pMenu->m_pJob->m_hListed.Get(), kInlineWaitMs);
    Fill(hMenu, *pMenu);
    return true;
}

bool CLiveFolders::OnUninitMenuPopup(HMENU hMenu)
{
    CFolderMenu* pMenu = Find(hMenu);
    if (pMenu == nullptr)
        return false;
    Empty(hMenu);
    // Submenus close in the reverse order of their opening, so the ids of
    // the last one can be handed out again.
    if (pMenu->m_nIdCount > 0 && pMenu->m_nFirstId + pMenu->m_nIdCount == m_nNextId)
        m_nNextId = pMenu->m_nFirstId;
    pMenu->m_nIdCount = 0;
    pMenu->m_bOpen = false;
    pMenu->m_bPlaceholder = false;
    pMenu->m_pJob.reset();
    return true;
}

void CLiveFolders::OnListed()
{
    bool bChanged = false;
    for (auto& entry : m_menus) {
        CFolderMenu& menu = entry.second;
        if (!menu.m_bOpen || !menu.m_pJob || !menu.m_pJob->IsListed())
            continue;
        if (menu.m_bPlaceholder) {
            ReopenIfWaiting(entry.first, menu);
            continue;
        }
        TakeIcons(menu);
        bChanged = true;
    }
    if (bChanged)
        RepaintOpenMenus();
}

void CLiveFolders::OnTimer(UINT_PTR nTimerId)
{
    if (nTimerId != kDeadlineTimerId)
        return;
    bool bWaiting = false;
    for (auto& entry : m_menus) {
        CFolderMenu& menu = entry.second;
        if (!menu.m_bOpen || !menu.m_bPlaceholder || !menu.m_pJob)
            continue;
        if (!menu.m_pJob->IsOverdue()) {
            bWaiting = true;
            continue;
        }
        menu.m_bPlaceholder = false;
        ShowNotice(entry.first, L"(nicht erreichbar)");
        RepaintOpenMenus();
    }
    if (!bWaiting) {
        KillTimer(m_hWnd, kDeadlineTimerId);
        m_bTimer = false;
    }
}

bool CLiveFolders::FolderOf(HMENU hMenu, std::wstring& folder) const
{
    const auto found = m_menus.find(hMenu);
    if (found == m_menus.end())
        return false;
    folder = found->second.m_strFolder;
    return true;
}

bool CLiveFolders::IsLiveCommand(UINT nId) const
{
    return nId >= m_nFirstId && nId - m_nFirstId < m_commands.size();
}

bool CLiveFolders::FindCommand(UINT nId, SLiveCommand& command) const
{
    if (!IsLiveCommand(nId) || m_commands[nId - m_nFirstId].strPath.empty())
        return false;
    command = m_commands[nId - m_nFirstId];
    return true;
}

std::shared_ptr<CLiveFolders::CJob> CLiveFolders::StartJob(const std::wstring& folder)
{
    auto pJob = std::make_shared<CJob>();
    pJob->m_strFolder = folder;
    pJob->m_view = ReadExplorerView();
    // The larger of the shell's lists where the entries' icons are larger
    // than its small ones (at a higher DPI): scaled down, not up.
    pJob->m_bLargeIcons =
        tessvald::MetricForDpi(g_bLargeIcons ? SM_CXICON : SM_CXSMICON, m_nDpi) > GetSystemMetrics(SM_CXSMICON);
    pJob->m_hNotify = m_hWnd;
    pJob->m_nStartedAt = GetTickCount();
    pJob->m_hImages = nullptr;
    pJob->m_nListed = 0;
    pJob->m_nIconsFound = 0;
    pJob->m_hListed.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto* pShare = new std::shared_ptr<CJob>(pJob);
    BeginBackgroundWork();
    if (!pJob->m_hListed || !TrySubmitThreadpoolCallback(RunListing, pShare, nullptr)) {
        EndBackgroundWork();
        delete pShare;
        return nullptr;
    }
    m_jobs[FolderKey(folder)] = pJob;
    return pJob;
}

void CLiveFolders::Fill(HMENU hMenu, CFolderMenu& menu)
{
    Empty(hMenu);
    menu.m_bPlaceholder = false;
    if (!menu.m_pJob || (!menu.m_pJob->IsListed() && menu.m_pJob->IsOverdue())) {
        ShowNotice(hMenu, L"(nicht erreichbar)");
        return;
    }
    if (!menu.m_pJob->IsListed()) {
        ShowNotice(hMenu, L"(wird gelesen \u2026)");
        menu.m_bPlaceholder = true;
        WatchDeadlines();
        return;
    }
    FillListing(hMenu, menu, menu.m_pJob->m_listing);
}

// "Ordner öffnen", the subfolders, the files; "(leer)" for an empty folder,
// and "Weitere Einträge im Ordner öffnen …" past the cap (or when the
// menu's ids run out).
void CLiveFolders::FillListing(HMENU hMenu, CFolderMenu& menu, const SFolderListing& listing)
{
    if (!listing.bReachable) {
        ShowNotice(hMenu, L"(nicht erreichbar)");
        return;
    }
    const auto nFiles = static_cast<UINT>(
        std::count_if(listing.entries.begin(), listing.entries.end(), [](const SFolderEntry& e) { return !e.bFolder; }));
    UINT nGranted = 0;
    const bool bAllIds = AllocateIds(menu, nFiles + 2, nGranted);
    const bool bMore = listing.bMore || !bAllIds;
    const UINT nFileIds = nGranted >= 2 ? nGranted - 2 : 0;
    const std::wstring& folder = menu.m_strFolder;
    UINT nIndex = 0;
    if (nGranted > 0)
        AppendEntry(hMenu, L"Ordner \u00F6ffnen", AddCommand(menu, nIndex++, { L"", folder, true }), 0, false);
    AppendSeparator(hMenu, m_nDpi);
    menu.m_entryData.assign(listing.entries.size(), nullptr);
    for (std::size_t i = 0; i < listing.entries.size(); ++i) {
        const SFolderEntry& entry = listing.entries[i];
        if (entry.bFolder) {
            AppendSubfolder(hMenu, entry, &menu.m_entryData[i]);
            continue;
        }
        if (nIndex > nFileIds)
            break;
        const UINT nId = AddCommand(menu, nIndex++, { entry.strName, entry.strPath, false });
        AppendEntry(hMenu, entry.strName.c_str(), nId, 0, true, &menu.m_entryData[i]);
    }
    if (listing.entries.empty())
        AppendEntry(hMenu, L"(leer)", 0, MF_GRAYED, false);
    if (bMore && nGranted >= 2)
        AppendEntry(hMenu, L"Weitere Eintr\u00E4ge im Ordner \u00F6ffnen \u2026",
                    AddCommand(menu, nGranted - 1, { L"", folder, true }), 0, false);
    TakeIcons(menu);
}

void CLiveFolders::ShowNotice(HMENU hMenu, const wchar_t* pszText)
{
    Empty(hMenu);
    AppendEntry(hMenu, pszText, 0, MF_GRAYED, false);
}

// Frees every entry and the submenus of the subfolders, which are empty by
// now: a submenu closes before its parent.
void CLiveFolders::Empty(HMENU hMenu)
{
    for (int nCount = GetMenuItemCount(hMenu); nCount > 0; --nCount) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(hMenu, 0, TRUE, &info) || !RemoveMenu(hMenu, 0, MF_BYPOSITION))
            break;
        if ((info.fType & MFT_OWNERDRAW) != 0)
            delete reinterpret_cast<MenuItemData*>(info.dwItemData);
        if (info.hSubMenu == nullptr)
            continue;
        Empty(info.hSubMenu);
        m_menus.erase(info.hSubMenu);
        DestroyMenu(info.hSubMenu);
    }
    if (CFolderMenu* pMenu = Find(hMenu))
        pMenu->m_entryData.clear();
}

bool CLiveFolders::AllocateIds(CFolderMenu& menu, UINT nWanted, UINT& nGranted)
{
    const UINT nAvailable = m_nNextId <= kLastMenuId ? kLastMenuId - m_nNextId + 1 : 0;
    nGranted = std::min(nWanted, nAvailable);
    menu.m_nFirstId = m_nNextId;
    menu.m_nIdCount = nGranted;
    m_nNextId += nGranted;
    return nGranted == nWanted;
}

UINT CLiveFolders::AddCommand(CFolderMenu& menu, UINT nIndex, SLiveCommand command)
{
    const UINT nId = menu.m_nFirstId + nIndex;
    const std::size_t nSlot = nId - m_nFirstId;
    if (m_commands.size() <= nSlot)
        m_commands.resize(nSlot + 1);
    m_commands[nSlot] = std::move(command);
    return nId;
}

void CLiveFolders::AppendEntry(HMENU hMenu, const wchar_t* pszText, UINT nId, UINT nFlags, bool bWithIcon,
                               MenuItemData** ppData)
{
    MenuItemData* pData = CreateShellItemData(pszText, m_hFont, m_nDpi, bWithIcon);
    if (pData == nullptr || !AppendMenuW(hMenu, MF_OWNERDRAW | nFlags, nId, reinterpret_cast<LPCWSTR>(pData))) {
        delete pData;
        return;
    }
    if (ppData != nullptr)
        *ppData = pData;
}

void CLiveFolders::AppendSubfolder(HMENU hMenu, const SFolderEntry& entry, MenuItemData** ppData)
{
    HMENU hSubmenu = CreatePopupMenu();
    MenuItemData* pData =
        hSubmenu != nullptr ? CreateShellItemData(entry.strName.c_str(), m_hFont, m_nDpi, true) : nullptr;
    if (!AppendSubmenuEntry(hMenu, hSubmenu, 0, pData)) {
        if (hSubmenu != nullptr)
            DestroyMenu(hSubmenu);
        return;
    }
    TakeBackgroundOf(hMenu, hSubmenu);
    Register(hSubmenu, entry.strPath);
    *ppData = pData;
}

void CLiveFolders::TakeIcons(CFolderMenu& menu)
{
    if (!menu.m_pJob || !menu.m_pJob->HasIcons())
        return;
    const CJob& job = *menu.m_pJob;
    for (std::size_t i = 0; i < menu.m_entryData.size() && i < job.m_icons.size(); ++i) {
        MenuItemData* pData = menu.m_entryData[i];
        if (pData == nullptr)
            continue;
        pData->m_hShellImages = job.m_hImages;
        pData->m_nShellIcon = job.m_icons[i] >= 0 ? job.m_icons[i] : kShellIconNone;
    }
}

// A menu on screen does not grow: the submenu that waited is closed and
// opened again from the keyboard, and fills itself at its opening. It is
// the deepest one open, as a notice has no submenu.
void CLiveFolders::ReopenIfWaiting(HMENU, CFolderMenu& menu)
{
    menu.m_bPlaceholder = false;
    PostMessageW(m_hWnd, WM_KEYDOWN, VK_LEFT, 0);
    PostMessageW(m_hWnd, WM_KEYDOWN, VK_RIGHT, 0);
}

void CLiveFolders::WatchDeadlines()
{
    if (m_bTimer || m_hWnd == nullptr)
        return;
    m_bTimer = SetTimer(m_hWnd, kDeadlineTimerId, kDeadlineTickMs, nullptr) != 0;
}

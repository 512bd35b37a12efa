#include "tray/TrayMenus.h"

#include "foundation/Dpi.h"
#include "foundation/ScopedDC.h"
#include "resolve/EntryResolver.h"
#include "resolve/IconIndex.h"
#include "resources/resource.h"
#include "settings/CConfig.h"
#include "settings/CRecord.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLayout.h"
#include "tray/AppGlobals.h"
#include "tray/MenuColours.h"
#include "tray/MenuFont.h"
#include "tray/MenuIcons.h"
#include "tray/MenuItemData.h"
#include "tray/ToolAvailability.h"
#include "tray/ToolGroups.h"
#include "tray/TrayState.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

using tessvald::CClientDC;
using tessvald::CSelectObject;
using tessvald::string::CString;
using EIconState = CIconCache::CIcon::EState;

HMENU g_hToolsMenu = nullptr;
HMENU g_hProgramMenu = nullptr;

namespace {

// Names such as "Tom & Jerry" show every character: measuring and drawing
// must not read "&" as a mnemonic prefix.
constexpr UINT kMeasureFlags = DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE;
constexpr UINT kDrawFlags = DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE;
// Half of the narrowest screen anyone runs: an entry narrower than this
// needs no look at the monitor's work area.
constexpr int kNarrowestHalfScreen = 320;
// At 96 dpi: the room of a submenu's arrow at the right of its entry, the
// arrow's width (it is twice as high, less one), a separator's height.
constexpr int kArrowArea = 16;
constexpr int kArrowWidth = 4;
constexpr int kSeparatorHeight = 9;

// What every entry of one menu build shares: its font, made for the DPI of
// the monitor the menu is built for.
struct SBuildLook
{
    HFONT hFont;
    UINT nDpi;
};

SBuildLook LookOf(const CMenuFont& font)
{
    return SBuildLook{ font.Get(), font.Dpi() };
}

// The menu takes the data over; when the entry cannot be appended the data
// has no owner and goes at once.
void AppendOwnerDrawn(HMENU hMenu, UINT nCommand, const CRecord& record, const SBuildLook& look)
{
    MenuItemData* pData = CreateMenuItemData(record, look.hFont, look.nDpi);
    if (!AppendMenuW(hMenu, MF_OWNERDRAW, nCommand, reinterpret_cast<LPCWSTR>(pData)))
        delete pData;
}

// One of the program's own entries, pictured with one of its icon groups.
// The position carries over from the previous entry when a group is not
// found, so a missing picture repeats the one before it.
void AppendProgramEntry(HMENU hMenu, UINT nCommand, const wchar_t* pszText, LONG nIconId, LONG& nPosition,
                        CRecord& record, const SBuildLook& look)
{
    record.SetName(pszText);
    record.SetIconFile(g_strModulePath.GetData());
    FindIconIndex(g_strModulePath.GetData(), -nIconId, nPosition);
    record.SetIconIndex(nPosition);
    AppendOwnerDrawn(hMenu, nCommand, record, look);
}

// An entry that opens a submenu; it carries the command id too, so that
// the greying of a live folder finds it. The submenu goes with the entry
// when it cannot be appended.
bool AppendPopup(HMENU hMenu, HMENU hSubmenu, UINT nCommand, const CRecord& record, const SBuildLook& look)
{
    return AppendSubmenuEntry(hMenu, hSubmenu, nCommand, CreateMenuItemData(record, look.hFont, look.nDpi));
}

// A group's entry: the shell's folder icon and the group's name.
bool AppendGroupEntry(HMENU hParent, HMENU hSubmenu, const std::wstring& name, const SBuildLook& look)
{
    CRecord record;
    record.SetName(name.c_str());
    record.SetIconFile(kFolderIconFile);
    record.SetIconIndex(kFolderIconId);
    return AppendPopup(hParent, hSubmenu, 0, record, look);
}

// A live folder's entry opens an empty submenu, filled when it opens.
void AppendLiveFolder(HMENU hMenu, UINT nCommand, const CRecord& record, const SBuildLook& look,
                      CLiveFolders& liveFolders)
{
    HMENU hSubmenu = CreatePopupMenu();
    if (hSubmenu == nullptr)
        return;
    if (!AppendPopup(hMenu, hSubmenu, nCommand, record, look)) {
        DestroyMenu(hSubmenu);
        return;
    }
    CString strFolder;
    liveFolders.Register(hSubmenu, ExpandEnvironment(record.m_strPath.GetData(), strFolder) ? strFolder.GetText()
                                                                                          : record.m_strPath.GetText());
}

// Appends tools 1 to count, each into its group's submenu; true when at
// least one was a real entry.
bool AppendTools(HMENU hMenu, CRecord& record, const SBuildLook& look, CTrayState& state)
{
    ULONG nCount = 0;
    if (!ReadToolCount(nCount))
        return false;
    CGroupMenus groups(hMenu, [&look](HMENU hParent, HMENU hSubmenu, const std::wstring& name) {
        return AppendGroupEntry(hParent, hSubmenu, name, look);
    });
    bool bToolAdded = false;
    for (ULONG n = 1; n <= nCount; ++n) {
        record.Reset();
        SetToolSection(record, n);
        ReadRecord(&record);
        HMENU hTarget = groups.MenuFor(record.m_strGroup.GetData());
        if (record.IsSeparator()) {
            AppendSeparator(hTarget, look.nDpi);
            continue;
        }
        if (record.m_bSubmenu)
            AppendLiveFolder(hTarget, IDM_EDIT_TOOLS + n, record, look, state.m_liveFolders);
        else
            AppendOwnerDrawn(hTarget, IDM_EDIT_TOOLS + n, record, look);
        state.m_toolAvailability.Add(n, record.m_strPath.GetData(), record.m_bSubmenu);
        state.m_nFirstFreeId = IDM_EDIT_TOOLS + n + 1;
        bToolAdded = true;
    }
    return bToolAdded;
}

// Frees the entries' data in the menu and its submenus.
void FreeItemData(HMENU hMenu)
{
    const int nCount = GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(hMenu, static_cast<UINT>(i), TRUE, &info))
            continue;
        if (info.hSubMenu != nullptr)
            FreeItemData(info.hSubMenu);
        if ((info.fType & MFT_OWNERDRAW) != 0)
            delete reinterpret_cast<MenuItemData*>(info.dwItemData);
    }
}

void DestroyOwnedMenu(HMENU& hMenu, CMenuFont& font)
{
    if (hMenu == nullptr)
        return;
    FreeItemData(hMenu);
    DestroyMenu(hMenu);
    hMenu = nullptr;
    font.Release();
}

// The menu's own background (around and between the entries), for its
// submenus too: groups, live folders and the folders inside them.
void SetMenuBackground(HMENU hMenu, HBRUSH hBrush)
{
    if (hMenu == nullptr)
        return;
    MENUINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
    info.hbrBack = hBrush;
    SetMenuInfo(hMenu, &info);
}

// Colours that changed are read anew; both menus take the new background
// before they are shown again.
void RefreshColours(CTrayState& state)
{
    if (!state.m_palette.Refresh())
        return;
    SetMenuBackground(g_hToolsMenu, state.m_palette.Background());
    SetMenuBackground(g_hProgramMenu, state.m_palette.Background());
}

// The old menu goes only once the new one holds its icons, so the icons
// both show stay loaded.
void ReplaceMenu(CTrayState& state, HMENU& hMenu, CMenuFont& font, HMENU hNewMenu, CMenuFont&& newFont)
{
    RefreshColours(state);
    SetMenuBackground(hNewMenu, state.m_palette.Background());
    DestroyOwnedMenu(hMenu, font);
    hMenu = hNewMenu;
    font = std::move(newFont);
    QueueMenuIcons(state);
}

MenuItemData* MenuData(UINT nCtlType, ULONG_PTR nItemData)
{
    if (nCtlType != ODT_MENU)
        return nullptr;
    return reinterpret_cast<MenuItemData*>(nItemData);
}

HDC MeasuringDC()
{
    CTrayState* pState = CTrayState::Current();
    if (pState == nullptr)
        return nullptr;
    if (!pState->m_measureDC)
        pState->m_measureDC.Reset(CreateCompatibleDC(nullptr));
    return pState->m_measureDC.Get();
}

void ReleaseMeasuringDCWithoutMenus(CTrayState& state)
{
    if (g_hToolsMenu == nullptr && g_hProgramMenu == nullptr)
        state.m_measureDC.Reset();
}

void MeasureTextIn(HDC hDC, MenuItemData& data)
{
    RECT rcText = {};
    CSelectObject selectFont(hDC, data.m_hFont);
    DrawTextW(hDC, TextOf(data), -1, &rcText, kMeasureFlags);
    data.m_nTextWidth = rcText.right - rcText.left;
    data.m_nTextHeight = rcText.bottom - rcText.top;
}

// The text's size in the menu's font, taken once per build: the system may
// ask at every showing of the menu.
void MeasureText(HWND hWnd, MenuItemData& data)
{
    if (data.m_nTextWidth >= 0)
        return;
    if (HDC hDC = MeasuringDC()) {
        MeasureTextIn(hDC, data);
        return;
    }
    CClientDC dc(hWnd);
    MeasureTextIn(dc.Get(), data);
}

// A long name must not make the menu wider than the screen it opens on:
// the menu appears at the cursor.
int HalfWorkAreaWidth()
{
    POINT pt = {};
    GetCursorPos(&pt);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromPoint(pt, MONITOR_DEFAULTTOPRIMARY), &info))
        return kNarrowestHalfScreen;
    return (info.rcWork.right - info.rcWork.left) / 2;
}

// The room right of the text: the arrow's for an entry that opens a
// submenu, a margin for the others.
int RightSpace(const MenuItemData& data)
{
    return data.m_bOpensSubmenu ? tessvald::ScaleForDpi(kArrowArea, data.m_nDpi) : data.m_nMargin;
}

// Without a tray there are no colours of its own: the light ones.
const SMenuColours& CurrentColours()
{
    CTrayState* pState = CTrayState::Current();
    return pState != nullptr ? pState->m_palette.Colours() : ModeColours(EColourMode::Light);
}

// Fills with a colour without making a brush; the context's background
// colour is put back.
void FillSolid(HDC hDC, const RECT& rc, COLORREF nColour)
{
    const COLORREF nOld = SetBkColor(hDC, nColour);
    ExtTextOutW(hDC, rc.left, rc.top, ETO_OPAQUE, &rc, L"", 0, nullptr);
    SetBkColor(hDC, nOld);
}

void DrawSeparator(HDC hDC, const RECT& rcItem, const MenuItemData& data, const SMenuColours& colours)
{
    FillSolid(hDC, rcItem, colours.nBackground);
    const int nThickness = tessvald::ScaleForDpi(1, data.m_nDpi);
    const int nTop = rcItem.top + (rcItem.bottom - rcItem.top - nThickness) / 2;
    FillSolid(hDC, RECT{ rcItem.left + data.m_nMargin, nTop, rcItem.right - data.m_nMargin, nTop + nThickness },
              colours.nSeparator);
}

// A triangle pointing right, one row of pixels at a time: crisp at every
// DPI and exactly in the text's colour.
void DrawSubmenuArrow(HDC hDC, const RECT& rcItem, const MenuItemData& data, COLORREF nColour)
{
    const int nArea = tessvald::ScaleForDpi(kArrowArea, data.m_nDpi);
    const int nWidth = tessvald::ScaleForDpi(kArrowWidth, data.m_nDpi);
    const int nLeft = rcItem.right - nArea + (nArea - nWidth) / 2;
    const int nTop = rcItem.top + (rcItem.bottom - rcItem.top) / 2 - (nWidth - 1);
    for (int nRow = 0; nRow < 2 * nWidth - 1; ++nRow) {
        const int nLength = nWidth - std::abs(nRow - (nWidth - 1));
        FillSolid(hDC, RECT{ nLeft, nTop + nRow, nLeft + nLength, nTop + nRow + 1 }, nColour);
    }
}

// A neutral square where the icon will be, until it has been loaded.
void DrawPlaceholder(HDC hDC, int x, int y, const MenuItemData& data, COLORREF nColour)
{
    const int nInset = std::max(1, data.m_nIconWidth / 8);
    const int nLine = tessvald::ScaleForDpi(1, data.m_nDpi);
    const RECT rc = { x + nInset, y + nInset, x + data.m_nIconWidth - nInset, y + data.m_nIconHeight - nInset };
    FillSolid(hDC, RECT{ rc.left, rc.top, rc.right, rc.top + nLine }, nColour);
    FillSolid(hDC, RECT{ rc.left, rc.bottom - nLine, rc.right, rc.bottom }, nColour);
    FillSolid(hDC, RECT{ rc.left, rc.top, rc.left + nLine, rc.bottom }, nColour);
    FillSolid(hDC, RECT{ rc.right - nLine, rc.top, rc.right, rc.bottom }, nColour);
}

// The system's image list holds the shell's icons at the system's sizes
// only; at another DPI the nearest is scaled to the entry's size.
void DrawShellImage(HDC hDC, int x, int y, const MenuItemData& data)
{
    const auto hImages = static_cast<HIMAGELIST>(data.m_hShellImages);
    int nWidth = 0;
    int nHeight = 0;
    if (ImageList_GetIconSize(hImages, &nWidth, &nHeight) && nWidth == data.m_nIconWidth) {
        ImageList_Draw(hImages, data.m_nShellIcon, hDC, x, y, ILD_TRANSPARENT);
        return;
    }
    tessvald::CIconHandle icon(ImageList_GetIcon(hImages, data.m_nShellIcon, ILD_TRANSPARENT));
    if (icon)
        DrawIconEx(hDC, x, y, icon.Get(), data.m_nIconWidth, data.m_nIconHeight, 0, nullptr, DI_NORMAL);
}

// An entry of a live folder: the shell's icon once it is known.
void DrawShellIcon(HDC hDC, int x, int y, const MenuItemData& data, COLORREF nPlaceholder)
{
    if (data.m_nShellIcon == kShellIconPending)
        DrawPlaceholder(hDC, x, y, data, nPlaceholder);
    else if (data.m_nShellIcon >= 0 && data.m_hShellImages != nullptr)
        DrawShellImage(hDC, x, y, data);
}

void DrawIcon(HDC hDC, int x, int y, const MenuItemData& data, COLORREF nPlaceholder)
{
    if (data.m_pIcon == nullptr) {
        DrawShellIcon(hDC, x, y, data, nPlaceholder);
        return;
    }
    switch (PrepareIconForDrawing(*data.m_pIcon)) {
    case EIconState::Loaded:
        DrawIconEx(hDC, x, y, data.m_pIcon->m_hIcon.Get(), data.m_nIconWidth, data.m_nIconHeight, 0, nullptr,
                   DI_NORMAL);
        break;
    case EIconState::Pending:
        DrawPlaceholder(hDC, x, y, data, nPlaceholder);
        break;
    case EIconState::Failed:
        break;
    }
}

void DrawEntryText(HDC hDC, const RECT& rcItem, const MenuItemData& data, COLORREF nColour)
{
    const wchar_t* pszText = TextOf(data);
    CSelectObject selectFont(hDC, data.m_hFont);
    RECT rcText = rcItem;
    int nTextHeight = data.m_nTextHeight;
    if (nTextHeight < 0) {
        DrawTextW(hDC, pszText, -1, &rcText, kMeasureFlags);
        nTextHeight = rcText.bottom - rcText.top;
    }
    const int nOldMode = SetBkMode(hDC, TRANSPARENT);
    const COLORREF nOldColour = SetTextColor(hDC, nColour);
    rcText.left = rcItem.left + 3 * data.m_nMargin + data.m_nIconWidth;
    rcText.top = rcItem.top + (rcItem.bottom - rcItem.top - nTextHeight) / 2;
    rcText.right = rcItem.right - RightSpace(data);
    rcText.bottom = rcText.top + nTextHeight;
    // A name cut by the width limit ends in "…"; screen readers still get
    // the whole of it.
    DrawTextW(hDC, pszText, -1, &rcText, kDrawFlags);
    SetTextColor(hDC, nOldColour);
    SetBkMode(hDC, nOldMode);
}

} // namespace

void BuildToolsMenu()
{
    CTrayState* pState = CTrayState::Current();
    HMENU hMenu = pState != nullptr ? CreatePopupMenu() : nullptr;
    if (hMenu == nullptr) {
        DestroyToolsMenu();
        return;
    }
    // One look at the file serves the whole build.
    CConfigReadBatch batch(g_config);
    // The options read here govern both menus, the program menu being built
    // right after this one.
    LoadIconOptions();
    LoadFontOptions();
    CMenuFont font;
    font.Create(pState->m_nMenuDpi);
    const SBuildLook look = LookOf(font);

    pState->m_toolAvailability.Clear();
    pState->m_liveFolders.Clear();
    pState->m_nFirstFreeId = IDM_EDIT_TOOLS + 1;
    CRecord record;
    if (AppendTools(hMenu, record, look, *pState))
        AppendSeparator(hMenu, look.nDpi);

    LONG nPosition = 0;
    AppendProgramEntry(hMenu, IDM_EDIT_TOOLS, L"Programme bearbeiten", IDI_APP, nPosition, record, look);
    ReplaceMenu(*pState, g_hToolsMenu, pState->m_toolsFont, hMenu, std::move(font));
}

void BuildProgramMenu()
{
    CTrayState* pState = CTrayState::Current();
    HMENU hMenu = pState != nullptr ? CreatePopupMenu() : nullptr;
    if (hMenu == nullptr) {
        DestroyProgramMenu();
        return;
    }
    CMenuFont font;
    font.Create(pState->m_nMenuDpi);
    const SBuildLook look = LookOf(font);
    CRecord record;
    LONG nPosition = 0;
    AppendProgramEntry(hMenu, IDM_ABOUT, L"\u00DCber ...", IDI_APP, nPosition, record, look);
    AppendSeparator(hMenu, look.nDpi);
    AppendProgramEntry(hMenu, IDM_UNINSTALL, L"Deinstallieren", IDI_UNINSTALL, nPosition, record, look);
    AppendProgramEntry(hMenu, IDM_EXIT, L"Beenden", IDI_EXIT, nPosition, record, look);
    ReplaceMenu(*pState, g_hProgramMenu, pState->m_programFont, hMenu, std::move(font));
}

// Without a tray state there is nothing the menus could own.
void DestroyToolsMenu()
{
    CTrayState* pState = CTrayState::Current();
    CMenuFont none;
    DestroyOwnedMenu(g_hToolsMenu, pState != nullptr ? pState->m_toolsFont : none);
    if (pState == nullptr)
        return;
    pState->m_toolAvailability.Clear();
    pState->m_liveFolders.Clear();
    ReleaseMeasuringDCWithoutMenus(*pState);
}

void DestroyProgramMenu()
{
    CTrayState* pState = CTrayState::Current();
    CMenuFont none;
    DestroyOwnedMenu(g_hProgramMenu, pState != nullptr ? pState->m_programFont : none);
    if (pState != nullptr)
        ReleaseMeasuringDCWithoutMenus(*pState);
}

void PrepareMenusAt(POINT pt)
{
    PrepareMenusFor(tessvald::MonitorDpiAt(pt));
}

// A settings file that another program holds locked for a moment gives no
// list: the menus built for the other DPI stay, and the next showing tries
// again.
void PrepareMenusFor(UINT nDpi)
{
    CTrayState* pState = CTrayState::Current();
    if (pState == nullptr)
        return;
    RefreshColours(*pState);
    if (nDpi == pState->m_nMenuDpi)
        return;
    CConfigReadBatch batch(g_config);
    if (!g_config.IsReadable())
        return;
    pState->m_nMenuDpi = nDpi;
    BuildToolsMenu();
    BuildProgramMenu();
}

void MeasureMenuItem(HWND hWnd, MEASUREITEMSTRUCT* pMeasure)
{
    if (pMeasure == nullptr)
        return;
    MenuItemData* pData = MenuData(pMeasure->CtlType, pMeasure->itemData);
    if (pData == nullptr)
        return;
    if (pData->m_bSeparator) {
        pMeasure->itemWidth = static_cast<UINT>(2 * pData->m_nMargin);
        pMeasure->itemHeight = static_cast<UINT>(tessvald::ScaleForDpi(kSeparatorHeight, pData->m_nDpi));
        return;
    }
    MeasureText(hWnd, *pData);
    int nWidth = 3 * pData->m_nMargin + pData->m_nIconWidth + pData->m_nTextWidth + RightSpace(*pData);
    if (nWidth > kNarrowestHalfScreen)
        nWidth = std::min(nWidth, HalfWorkAreaWidth());
    pMeasure->itemWidth = static_cast<UINT>(nWidth);
    pMeasure->itemHeight =
        static_cast<UINT>(std::max(pData->m_nTextHeight, pData->m_nIconHeight) + 2 * pData->m_nMargin);
}

void DrawMenuItem(const DRAWITEMSTRUCT* pDraw)
{
    if (pDraw == nullptr)
        return;
    const MenuItemData* pData = MenuData(pDraw->CtlType, pDraw->itemData);
    if (pData == nullptr)
        return;
    HDC hDC = pDraw->hDC;
    const RECT& rcItem = pDraw->rcItem;
    // A long menu is painted whole; entries scrolled out of sight cost
    // nothing, and their icons do not jump the loader's queue.
    if (!RectVisible(hDC, &rcItem))
        return;
    const SMenuColours& colours = CurrentColours();
    if (pData->m_bSeparator) {
        DrawSeparator(hDC, rcItem, *pData, colours);
        return;
    }
    // A selected entry shows the selection even when it is disabled.
    const bool bSelected = (pDraw->itemState & ODS_SELECTED) != 0;
    const bool bDisabled = (pDraw->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const COLORREF nText = bSelected ? colours.nSelectionText : (bDisabled ? colours.nGreyText : colours.nText);
    FillSolid(hDC, rcItem, bSelected ? colours.nSelection : colours.nBackground);
    DrawEntryText(hDC, rcItem, *pData, nText);
    const int nItemHeight = rcItem.bottom - rcItem.top;
    DrawIcon(hDC, rcItem.left + pData->m_nMargin, rcItem.top + (nItemHeight - pData->m_nIconHeight) / 2, *pData,
             colours.nGreyText);
    if (!pData->m_bOpensSubmenu)
        return;
    DrawSubmenuArrow(hDC, rcItem, *pData, nText);
    // The system draws its own arrow over the entry once we are done, black
    // whatever the colours (and on a box of its menu colour under Wine):
    // the entry is taken out of what may still be painted.
    ExcludeClipRect(hDC, rcItem.left, rcItem.top, rcItem.right, rcItem.bottom);
}

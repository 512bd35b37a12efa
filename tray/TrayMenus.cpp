#include "tray/TrayMenus.h"

#include "foundation/ScopedDC.h"
#include "foundation/ScopedHandle.h"
#include "resolve/IconIndex.h"
#include "resources/resource.h"
#include "settings/CConfig.h"
#include "settings/CRecord.h"
#include "settings/SettingsFile.h"
#include "tray/AppGlobals.h"
#include "tray/MenuItemData.h"

#include <algorithm>
#include <cwchar>

using tessvald::CClientDC;
using tessvald::CFontHandle;
using tessvald::CSelectObject;

HMENU g_hToolsMenu = nullptr;
HMENU g_hProgramMenu = nullptr;

namespace {

// Names such as "Tom & Jerry" are drawn with TextOutW, which shows every
// character: measuring must not read "&" as a mnemonic prefix, or the
// entry comes out too narrow and its text is cut.
constexpr UINT kMeasureFlags = DT_CALCRECT | DT_NOPREFIX;

const wchar_t* TextOf(const MenuItemData& data)
{
    const wchar_t* pszText = data.m_strText.GetData();
    return pszText != nullptr ? pszText : L"";
}

// The menu takes the data over; when the entry cannot be appended the data
// has no owner and goes at once.
void AppendOwnerDrawn(HMENU hMenu, UINT nCommand, const CRecord& record)
{
    MenuItemData* pData = CreateMenuItemData(record);
    if (!AppendMenuW(hMenu, MF_OWNERDRAW, nCommand, reinterpret_cast<LPCWSTR>(pData)))
        delete pData;
}

// One of the program's own entries, pictured with one of its icon groups.
// The position carries over from the previous entry when a group is not
// found, so a missing picture repeats the one before it.
void AppendProgramEntry(HMENU hMenu, UINT nCommand, const wchar_t* pszText, LONG nIconId, LONG& nPosition,
                        CRecord& record)
{
    record.SetName(pszText);
    record.SetIconFile(g_strModulePath.GetData());
    FindIconIndex(g_strModulePath.GetData(), -nIconId, nPosition);
    record.SetIconIndex(nPosition);
    AppendOwnerDrawn(hMenu, nCommand, record);
}

// Appends tools 1 to count; true when at least one was a real entry.
bool AppendTools(HMENU hMenu, CRecord& record)
{
    ULONG nCount = 0;
    if (!ReadToolCount(nCount))
        return false;
    bool bToolAdded = false;
    for (ULONG n = 1; n <= nCount; ++n) {
        record.Reset();
        record.SetSection(L"tool%lu", n);
        ReadRecord(&record);
        if (record.IsSeparator()) {
            AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        AppendOwnerDrawn(hMenu, IDM_EDIT_TOOLS + n, record);
        bToolAdded = true;
    }
    return bToolAdded;
}

void DestroyOwnedMenu(HMENU& hMenu)
{
    if (hMenu == nullptr)
        return;
    const int nCount = GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        if (GetMenuItemInfoW(hMenu, static_cast<UINT>(i), TRUE, &info) && (info.fType & MFT_OWNERDRAW) != 0)
            delete reinterpret_cast<MenuItemData*>(info.dwItemData);
    }
    DestroyMenu(hMenu);
    hMenu = nullptr;
}

const MenuItemData* MenuData(UINT nCtlType, ULONG_PTR nItemData)
{
    if (nCtlType != ODT_MENU)
        return nullptr;
    return reinterpret_cast<const MenuItemData*>(nItemData);
}

} // namespace

void BuildToolsMenu()
{
    DestroyToolsMenu();
    g_hToolsMenu = CreatePopupMenu();
    if (g_hToolsMenu == nullptr)
        return;
    // One look at the file serves the whole build.
    CConfigReadBatch batch(g_config);
    // The options read here govern both menus, the program menu being built
    // right after this one.
    LoadIconOptions();
    LoadFontOptions();

    CRecord record;
    if (AppendTools(g_hToolsMenu, record))
        AppendMenuW(g_hToolsMenu, MF_SEPARATOR, 0, nullptr);

    LONG nPosition = 0;
    AppendProgramEntry(g_hToolsMenu, IDM_EDIT_TOOLS, L"Programme bearbeiten", IDI_APP, nPosition, record);
}

void BuildProgramMenu()
{
    DestroyProgramMenu();
    g_hProgramMenu = CreatePopupMenu();
    if (g_hProgramMenu == nullptr)
        return;
    CRecord record;
    LONG nPosition = 0;
    AppendProgramEntry(g_hProgramMenu, IDM_ABOUT, L"\u00DCber ...", IDI_APP, nPosition, record);
    AppendMenuW(g_hProgramMenu, MF_SEPARATOR, 0, nullptr);
    AppendProgramEntry(g_hProgramMenu, IDM_UNINSTALL, L"Deinstallieren", IDI_UNINSTALL, nPosition, record);
    AppendProgramEntry(g_hProgramMenu, IDM_EXIT, L"Beenden", IDI_EXIT, nPosition, record);
}

void DestroyToolsMenu()
{
    DestroyOwnedMenu(g_hToolsMenu);
}

void DestroyProgramMenu()
{
    DestroyOwnedMenu(g_hProgramMenu);
}

void MeasureMenuItem(HWND hWnd, MEASUREITEMSTRUCT* pMeasure)
{
    if (pMeasure == nullptr)
        return;
    const MenuItemData* pData = MenuData(pMeasure->CtlType, pMeasure->itemData);
    if (pData == nullptr)
        return;
    RECT rcText = {};
    {
        CClientDC dc(hWnd);
        CFontHandle font(CreateFontIndirectW(&pData->m_logFont));
        CSelectObject selectFont(dc.Get(), font.Get());
        DrawTextW(dc.Get(), TextOf(*pData), -1, &rcText, kMeasureFlags);
    }
    const int nTextWidth = rcText.right - rcText.left;
    const int nTextHeight = rcText.bottom - rcText.top;
    pMeasure->itemWidth = static_cast<UINT>(3 * pData->m_nMargin + pData->m_nIconWidth + nTextWidth);
    pMeasure->itemHeight = static_cast<UINT>(std::max(nTextHeight, pData->m_nIconHeight) + 2 * pData->m_nMargin);
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
    const wchar_t* pszText = TextOf(*pData);

    CFontHandle font(CreateFontIndirectW(&pData->m_logFont));
    CSelectObject selectFont(hDC, font.Get());
    RECT rcText = rcItem;
    DrawTextW(hDC, pszText, -1, &rcText, kMeasureFlags);

    // A selected entry shows the selection even when it is disabled.
    const bool bSelected = (pDraw->itemState & ODS_SELECTED) != 0;
    const bool bDisabled = (pDraw->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    HBRUSH hBackground = GetSysColorBrush(bSelected ? COLOR_HIGHLIGHT : COLOR_MENU);
    const COLORREF nTextColour =
        GetSysColor(bSelected ? COLOR_HIGHLIGHTTEXT : (bDisabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT));

    const int nOldMode = SetBkMode(hDC, TRANSPARENT);
    const COLORREF nOldColour = SetTextColor(hDC, nTextColour);
    FillRect(hDC, &rcItem, hBackground);
    const int nItemHeight = rcItem.bottom - rcItem.top;
    const int nTextHeight = rcText.bottom - rcText.top;
    TextOutW(hDC, rcItem.left + 3 * pData->m_nMargin + pData->m_nIconWidth, rcItem.top + (nItemHeight - nTextHeight) / 2,
             pszText, static_cast<int>(std::wcslen(pszText)));
    SetTextColor(hDC, nOldColour);
    SetBkMode(hDC, nOldMode);

    if (pData->m_hIcon)
        DrawIconEx(hDC, rcItem.left + pData->m_nMargin, rcItem.top + (nItemHeight - pData->m_nIconHeight) / 2,
                   pData->m_hIcon.Get(), pData->m_nIconWidth, pData->m_nIconHeight, 0, nullptr, DI_NORMAL);
}

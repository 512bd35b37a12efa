#include "tray/MenuItemData.h"

#include "foundation/Dpi.h"
#include "settings/CRecord.h"
#include "settings/DisplayOptions.h"
#include "tray/TrayState.h"

#include <cwchar>
#include <new>

namespace {

constexpr int kMargin = 4;

bool SetText(MSAAMENUINFO& msaa, const wchar_t* pszText)
{
    const std::size_t nLength = pszText != nullptr ? std::wcslen(pszText) : 0;
    msaa.pszWText = new (std::nothrow) wchar_t[nLength + 1];
    if (msaa.pszWText == nullptr)
        return false;
    std::wmemcpy(msaa.pszWText, pszText != nullptr ? pszText : L"", nLength);
    msaa.pszWText[nLength] = L'\0';
    msaa.cchWText = static_cast<DWORD>(nLength);
    return true;
}

// The icon size in force (small or large) at the DPI; the margin with it.
void SetMetrics(MenuItemData& data, UINT nDpi)
{
    data.m_nDpi = nDpi;
    data.m_nIconWidth = tessvald::MetricForDpi(g_bLargeIcons ? SM_CXICON : SM_CXSMICON, nDpi);
    data.m_nIconHeight = tessvald::MetricForDpi(g_bLargeIcons ? SM_CYICON : SM_CYSMICON, nDpi);
    data.m_nMargin = tessvald::ScaleForDpi(kMargin, nDpi);
}

} // namespace

MenuItemData::MenuItemData()
    : m_msaa(), m_hFont(nullptr), m_pIcon(nullptr), m_pCache(nullptr), m_hShellImages(nullptr),
      m_nShellIcon(kShellIconNone), m_nDpi(tessvald::kBaseDpi), m_nIconWidth(0), m_nIconHeight(0),
      m_nMargin(kMargin), m_nTextWidth(-1), m_nTextHeight(-1), m_bSeparator(false), m_bOpensSubmenu(false)
{
    m_msaa.dwMSAASignature = static_cast<DWORD>(MSAA_MENU_SIG);
}

MenuItemData::~MenuItemData()
{
    delete[] m_msaa.pszWText;
    if (m_pCache != nullptr)
        m_pCache->Release(m_pIcon);
}

MenuItemData* CreateMenuItemData(const CRecord& record, HFONT hFont, UINT nDpi, CIconCache* pCache)
{
    if (pCache == nullptr && CTrayState::Current() != nullptr)
        pCache = &CTrayState::Current()->m_iconCache;
    auto* pData = new (std::nothrow) MenuItemData();
    if (pData == nullptr)
        return nullptr;
    if (!SetText(pData->m_msaa, record.m_strName.GetData())) {
        delete pData;
        return nullptr;
    }
    pData->m_hFont = hFont;
    SetMetrics(*pData, nDpi);
    if (pCache == nullptr)
        return pData;
    pData->m_pCache = pCache;
    pData->m_pIcon = pCache->Acquire(record.m_strIconFile.GetData(), record.m_nIconIndex, record.m_strPath.GetData(),
                                     pData->m_nIconWidth, pData->m_nIconHeight);
    return pData;
}

MenuItemData* CreateShellItemData(const wchar_t* pszText, HFONT hFont, UINT nDpi, bool bWithIcon)
{
    auto* pData = new (std::nothrow) MenuItemData();
    if (pData == nullptr)
        return nullptr;
    if (!SetText(pData->m_msaa, pszText)) {
        delete pData;
        return nullptr;
    }
    pData->m_hFont = hFont;
    SetMetrics(*pData, nDpi);
    pData->m_nShellIcon = bWithIcon ? kShellIconPending : kShellIconNone;
    return pData;
}

// The menu owns the data once the separator is in, as it owns every
// owner-drawn entry's; screen readers skip separators whatever they carry.
bool AppendSeparator(HMENU hMenu, UINT nDpi)
{
    auto* pData = new (std::nothrow) MenuItemData();
    if (pData == nullptr)
        return false;
    pData->m_nDpi = nDpi;
    pData->m_nMargin = tessvald::ScaleForDpi(kMargin, nDpi);
    pData->m_bSeparator = true;
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    info.fType = MFT_SEPARATOR | MFT_OWNERDRAW;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(pData);
    if (InsertMenuItemW(hMenu, static_cast<UINT>(GetMenuItemCount(hMenu)), TRUE, &info))
        return true;
    delete pData;
    return false;
}

bool AppendSubmenuEntry(HMENU hMenu, HMENU hSubmenu, UINT nCommand, MenuItemData* pData)
{
    if (pData == nullptr)
        return false;
    pData->m_bOpensSubmenu = true;
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_DATA | MIIM_ID;
    info.fType = MFT_OWNERDRAW;
    info.hSubMenu = hSubmenu;
    info.wID = nCommand;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(pData);
    if (InsertMenuItemW(hMenu, static_cast<UINT>(GetMenuItemCount(hMenu)), TRUE, &info))
        return true;
    delete pData;
    return false;
}

const wchar_t* TextOf(const MenuItemData& data)
{
    return data.m_msaa.pszWText != nullptr ? data.m_msaa.pszWText : L"";
}

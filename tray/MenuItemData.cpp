#include "tray/MenuItemData.h"

#include "resolve/CResourceLocator.h"
#include "resolve/ResourceModule.h"
#include "settings/CRecord.h"
#include "settings/DisplayOptions.h"

#include <new>

using tessvald::CIconHandle;
using tessvald::CModuleHandle;
using tessvald::resources::CResourceLocator;

namespace {

constexpr int kMargin = 4;

// The form of NONCLIENTMETRICSW without iPaddedBorderWidth, which every
// system version accepts.
constexpr UINT kClassicMetricsSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);

LOGFONTW ChooseMenuFont()
{
    if (!g_bSystemFont)
        return g_logFont;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = kClassicMetricsSize;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kClassicMetricsSize, &metrics, 0))
        return g_logFont;
    return metrics.lfMenuFont;
}

// The icon group at the stored position of a module, or, when the file is
// no module or has no such group, the file itself read as an icon file.
HICON LoadRecordIcon(const CRecord& record, int nWidth, int nHeight)
{
    const wchar_t* pszFile = record.m_strIconFile.GetData();
    CModuleHandle module = LoadResourceModule(pszFile);
    CResourceLocator locator;
    if (locator.Locate(module.Get(), RT_GROUP_ICON, record.m_nIconIndex))
        return static_cast<HICON>(
            LoadImageW(module.Get(), locator.GetName(), IMAGE_ICON, nWidth, nHeight, LR_DEFAULTCOLOR));
    return static_cast<HICON>(LoadImageW(nullptr, pszFile, IMAGE_ICON, nWidth, nHeight, LR_LOADFROMFILE));
}

} // namespace

MenuItemData::MenuItemData() : m_logFont(), m_nIconWidth(0), m_nIconHeight(0), m_nMargin(kMargin)
{
}

MenuItemData::~MenuItemData() = default;

MenuItemData* CreateMenuItemData(const CRecord& record)
{
    auto* pData = new (std::nothrow) MenuItemData();
    if (pData == nullptr)
        return nullptr;
    pData->m_strText.Assign(record.m_strName);
    pData->m_nIconWidth = GetSystemMetrics(g_bLargeIcons ? SM_CXICON : SM_CXSMICON);
    pData->m_nIconHeight = GetSystemMetrics(g_bLargeIcons ? SM_CYICON : SM_CYSMICON);
    pData->m_logFont = ChooseMenuFont();
    if (!record.m_strIconFile.IsEmpty())
        pData->m_hIcon.Reset(LoadRecordIcon(record, pData->m_nIconWidth, pData->m_nIconHeight));
    return pData;
}

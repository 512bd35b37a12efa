#include "TrayTestSupport.h"

#include "settings/CConfig.h"
#include "settings/DisplayOptions.h"
#include "tray/AppGlobals.h"
#include "settings/CRecord.h"
#include "tray/ConfigFileWatch.h"
#include "tray/MenuIcons.h"
#include "tray/TrayMenus.h"

#include <vector>

namespace traytest {

namespace {

std::wstring ExePath()
{
    wchar_t szPath[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    return szPath;
}

} // namespace

CTraySettings::CTraySettings() : m_iniPath(m_dir.File(L"ambertille.ini")), m_savedFont(g_logFont)
{
    g_strModulePath.Assign(ExePath().c_str());
    g_config.SetFileName(m_iniPath.c_str());
    g_configFileInfo = {};
    g_bLargeIcons = false;
    g_bSystemFont = true;
}

CTraySettings::~CTraySettings()
{
    DestroyToolsMenu();
    DestroyProgramMenu();
    g_configFileInfo = {};
    g_bLargeIcons = false;
    g_bSystemFont = true;
    g_logFont = m_savedFont;
}

void CTraySettings::Write(const std::string& lines) const
{
    std::string bytes;
    for (char ch : lines) {
        if (ch == '\n')
            bytes += '\r';
        bytes += ch;
    }
    testsupport::WriteFileBytes(m_iniPath, bytes);
}

void CTraySettings::SetWriteTime(const FILETIME& time) const
{
    HANDLE hFile = CreateFileW(m_iniPath.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    SetFileTime(hFile, nullptr, nullptr, &time);
    CloseHandle(hFile);
}

CTestMenuEntry::CTestMenuEntry(const wchar_t* pszName, const std::wstring& iconFile, LONG nIconIndex)
{
    CRecord record;
    record.SetName(pszName);
    record.SetIconFile(iconFile.c_str());
    record.SetIconIndex(nIconIndex);
    m_font.Create();
    m_pData.reset(CreateMenuItemData(record, m_font.Get()));
}

CTestMenuEntry::~CTestMenuEntry() = default;

namespace {

ULONG_PTR ItemDataOf(HMENU hMenu, UINT nItem, BOOL bByPosition)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    if (!GetMenuItemInfoW(hMenu, nItem, bByPosition, &info))
        return 0;
    return info.dwItemData;
}

std::wstring NameIn(ULONG_PTR nItemData)
{
    const auto* pInfo = reinterpret_cast<const MSAAMENUINFO*>(nItemData);
    if (pInfo == nullptr || pInfo->dwMSAASignature != static_cast<DWORD>(MSAA_MENU_SIG) || pInfo->pszWText == nullptr)
        return L"";
    return std::wstring(pInfo->pszWText, pInfo->cchWText);
}

} // namespace

std::wstring DescribeMenu(HMENU hMenu)
{
    std::wstring text;
    const int nCount = GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID;
        GetMenuItemInfoW(hMenu, static_cast<UINT>(i), TRUE, &info);
        if (!text.empty())
            text += L"|";
        if ((info.fType & MFT_SEPARATOR) != 0) {
            text += L"-";
            continue;
        }
        text += std::to_wstring(info.wID);
        if ((info.fType & MFT_OWNERDRAW) != 0)
            text += L" " + NameIn(ItemDataOf(hMenu, static_cast<UINT>(i), TRUE));
    }
    return text;
}

std::wstring AccessibleName(HMENU hMenu, UINT nCommand)
{
    return NameIn(ItemDataOf(hMenu, nCommand, FALSE));
}

const MenuItemData* ItemData(HMENU hMenu, UINT nCommand)
{
    return reinterpret_cast<const MenuItemData*>(ItemDataOf(hMenu, nCommand, FALSE));
}

HICON LoadedIcon(const MenuItemData* pData)
{
    if (pData == nullptr || pData->m_pIcon == nullptr)
        return nullptr;
    g_iconCache.LoadNow(*pData->m_pIcon);
    return pData->m_pIcon->m_hIcon.Get();
}

LOGFONTW FontOf(const MenuItemData* pData)
{
    LOGFONTW font = {};
    GetObjectW(pData->m_hFont, sizeof(font), &font);
    return font;
}

COLORREF IconCentreColour(HICON hIcon, int nSize)
{
    HDC hScreen = GetDC(nullptr);
    HDC hDC = CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, nSize, nSize);
    HGDIOBJ hOld = SelectObject(hDC, hBitmap);
    RECT rc = { 0, 0, nSize, nSize };
    FillRect(hDC, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(hDC, 0, 0, hIcon, nSize, nSize, 0, nullptr, DI_NORMAL);
    const COLORREF nColour = GetPixel(hDC, nSize / 2, nSize / 2);
    SelectObject(hDC, hOld);
    DeleteObject(hBitmap);
    DeleteDC(hDC);
    ReleaseDC(nullptr, hScreen);
    return nColour;
}

} // namespace traytest

#include "TrayTestSupport.h"

#include "foundation/Dpi.h"
#include "support/MenuDriver.h"

#include "settings/CConfig.h"
#include "settings/DisplayOptions.h"
#include "tray/AppGlobals.h"
#include "settings/CRecord.h"
#include "tray/ConfigFileWatch.h"
#include "tray/MenuIcons.h"
#include "tray/TrayMenus.h"
#include "tray/TrayWindow.h"

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
    m_state.Attach(nullptr);
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

CTrayState& State()
{
    return *CTrayState::Current();
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

namespace {

constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kTaskbarLightValue[] = L"SystemUsesLightTheme";

} // namespace

CTaskbarMode::CTaskbarMode() : m_guard(HKEY_CURRENT_USER, kPersonalizeKey, kTaskbarLightValue)
{
}

void CTaskbarMode::Set(EColourMode eMode) const
{
    const DWORD nLight = eMode == EColourMode::Light ? 1 : 0;
    SetRaw(REG_DWORD, &nLight, sizeof(nLight));
}

void CTaskbarMode::SetRaw(DWORD nType, const void* pData, DWORD nSize) const
{
    RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, kTaskbarLightValue, nType, pData, nSize);
}

void CTaskbarMode::Remove() const
{
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, kTaskbarLightValue);
}

void CTaskbarMode::Apply()
{
    State().m_palette.Invalidate();
    State().m_palette.Refresh();
}

CTestMenuEntry::CTestMenuEntry(const wchar_t* pszName, const std::wstring& iconFile, LONG nIconIndex, UINT nDpi)
{
    CRecord record;
    record.SetName(pszName);
    record.SetIconFile(iconFile.c_str());
    record.SetIconIndex(nIconIndex);
    m_font.Create(nDpi != 0 ? nDpi : tessvald::SystemDpi());
    m_pData.reset(CreateMenuItemData(record, m_font.Get(), m_font.Dpi()));
}

CTestMenuEntry::~CTestMenuEntry() = default;

const MenuItemData* ItemData(HMENU hMenu, UINT nCommand)
{
    return reinterpret_cast<const MenuItemData*>(testsupport::MenuItemDataOf(hMenu, nCommand));
}

HICON LoadedIcon(const MenuItemData* pData)
{
    if (pData == nullptr || pData->m_pIcon == nullptr)
        return nullptr;
    if (pData->m_pCache != nullptr)
        pData->m_pCache->LoadNow(*pData->m_pIcon);
    return pData->m_pIcon->m_hIcon.Get();
}

LOGFONTW FontOf(const MenuItemData* pData)
{
    LOGFONTW font = {};
    GetObjectW(pData->m_hFont, sizeof(font), &font);
    return font;
}

CPixelCanvas::CPixelCanvas(int nWidth, int nHeight) : m_nWidth(nWidth), m_hDC(CreateCompatibleDC(nullptr))
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = -nHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    m_hBitmap = CreateDIBSection(m_hDC, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    m_pPixels = static_cast<const DWORD*>(pBits);
    m_hOld = SelectObject(m_hDC, m_hBitmap);
    RECT rc = { 0, 0, nWidth, nHeight };
    FillRect(m_hDC, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

CPixelCanvas::~CPixelCanvas()
{
    SelectObject(m_hDC, m_hOld);
    DeleteObject(m_hBitmap);
    DeleteDC(m_hDC);
}

COLORREF CPixelCanvas::At(int x, int y) const
{
    GdiFlush();
    const DWORD nPixel = m_pPixels[y * m_nWidth + x];
    return RGB((nPixel >> 16) & 0xFF, (nPixel >> 8) & 0xFF, nPixel & 0xFF);
}

bool CPixelCanvas::Holds(const RECT& rc, COLORREF nColour) const
{
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            if (At(x, y) == nColour)
                return true;
    return false;
}

void DrawEntry(const MenuItemData* pData, const CPixelCanvas& canvas, const RECT& rcItem, UINT nState)
{
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemState = nState;
    draw.hDC = canvas.DC();
    draw.rcItem = rcItem;
    draw.itemData = reinterpret_cast<ULONG_PTR>(pData);
    DrawMenuItem(&draw);
}

CMainTestWindow::CMainTestWindow()
{
    g_hInstance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = g_hInstance;
    wc.lpszClassName = L"AmbertilleMenuTestWindow";
    RegisterClassExW(&wc);
    m_hWnd = CreateWindowExW(0, wc.lpszClassName, L"Ambertille menu test", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr,
                             nullptr, g_hInstance, nullptr);
}

CMainTestWindow::~CMainTestWindow()
{
    if (IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
    // The window's end posts the quit message, which must not end the next
    // test's loops.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    g_bMenuActive = false;
}

void CMainTestWindow::Click(UINT nMouseMessage) const
{
    SendMessageW(m_hWnd, WM_TRAYNOTIFY, 0, nMouseMessage);
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

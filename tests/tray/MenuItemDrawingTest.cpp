#include "TrayTestSupport.h"

#include "foundation/ScopedHandle.h"
#include "settings/CRecord.h"
#include "settings/DisplayOptions.h"
#include "tray/MenuItemData.h"
#include "tray/TrayMenus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using testsupport::ExeFolder;
using traytest::CPixelCanvas;
using traytest::CTestMenuEntry;
using traytest::CTraySettings;
using traytest::FontOf;
using traytest::IconCentreColour;
using traytest::LoadedIcon;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kLime = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

CTestMenuEntry MakeData(const wchar_t* pszName, const std::wstring& iconFile, LONG nIconIndex)
{
    return CTestMenuEntry(pszName, iconFile, nIconIndex);
}

std::wstring IconModule()
{
    return ExeFolder() + L"\\icongroups.dll";
}

void AppendLittleEndian(std::string& bytes, unsigned nValue, int nBytes)
{
    for (int i = 0; i < nBytes; ++i)
        bytes += static_cast<char>((nValue >> (8 * i)) & 0xFF);
}

// An .ico file with one plain 32-bit image per size, each in its colour.
std::string MakeIcoFile(const std::pair<int, COLORREF> (&images)[2])
{
    std::string header;
    std::string body;
    AppendLittleEndian(header, 0, 2);
    AppendLittleEndian(header, 1, 2);
    AppendLittleEndian(header, 2, 2);
    const unsigned nFirstOffset = 6 + 16 * 2;
    for (const auto& image : images) {
        const unsigned nSize = static_cast<unsigned>(image.first);
        const unsigned nMaskRow = ((nSize + 31) / 32) * 4;
        std::string bitmap;
        AppendLittleEndian(bitmap, 40, 4);
        AppendLittleEndian(bitmap, nSize, 4);
        AppendLittleEndian(bitmap, nSize * 2, 4);
        AppendLittleEndian(bitmap, 1, 2);
        AppendLittleEndian(bitmap, 32, 2);
        bitmap.append(24, '\0');
        for (unsigned i = 0; i < nSize * nSize; ++i) {
            bitmap += static_cast<char>(GetBValue(image.second));
            bitmap += static_cast<char>(GetGValue(image.second));
            bitmap += static_cast<char>(GetRValue(image.second));
            bitmap += static_cast<char>(0xFF);
        }
        bitmap.append(nMaskRow * nSize, '\0');
        header += static_cast<char>(nSize);
        header += static_cast<char>(nSize);
        AppendLittleEndian(header, 0, 2);
        AppendLittleEndian(header, 1, 2);
        AppendLittleEndian(header, 32, 2);
        AppendLittleEndian(header, static_cast<unsigned>(bitmap.size()), 4);
        AppendLittleEndian(header, nFirstOffset + static_cast<unsigned>(body.size()), 4);
        body += bitmap;
    }
    return header + body;
}

MEASUREITEMSTRUCT Measure(const MenuItemData* pData)
{
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemData = reinterpret_cast<ULONG_PTR>(pData);
    MeasureMenuItem(nullptr, &measure);
    return measure;
}

// Crisp glyphs, so the text colour shows in exact pixels.
void UseChosenFont(int nHeight)
{
    g_bSystemFont = false;
    g_logFont = {};
    g_logFont.lfHeight = nHeight;
    g_logFont.lfWeight = FW_BOLD;
    g_logFont.lfQuality = NONANTIALIASED_QUALITY;
    std::wcscpy(g_logFont.lfFaceName, L"Tahoma");
}

} // namespace

TEST(MenuItemData, PicksTheIconGroupAtTheStoredPositionOrResourceNumber)
{
    CTraySettings settings;
    constexpr COLORREF kGeneric = CLR_INVALID;
    const struct
    {
        LONG nIndex;
        COLORREF nColour;
    } cases[] = {
        { 0, kRed }, // the string-named group comes first
        { 1, kLime },
        { 2, kBlue },
        { 3, kGeneric },  // beyond the last group: a generic icon, as for an entry without a path
        { -7, kLime },
        { -300, kBlue },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nIndex);
        auto pData = MakeData(L"Tool", IconModule(), c.nIndex);
        ASSERT_NE(nullptr, pData.get());
        ASSERT_NE(nullptr, LoadedIcon(pData.get()));
        const COLORREF nColour = IconCentreColour(LoadedIcon(pData.get()), pData->m_nIconWidth);
        if (c.nColour == kGeneric) {
            EXPECT_TRUE(nColour != kRed && nColour != kLime && nColour != kBlue) << nColour;
        } else {
            EXPECT_EQ(c.nColour, nColour);
        }
    }
}

TEST(MenuItemData, LoadsAnIcoFileAtTheChosenSize)
{
    CTraySettings settings;
    const int nSmall = GetSystemMetrics(SM_CXSMICON);
    const int nLarge = GetSystemMetrics(SM_CXICON);
    const std::wstring ico = settings.File(L"two sizes.ico");
    ASSERT_TRUE(testsupport::WriteFileBytes(ico, MakeIcoFile({ { nSmall, kLime }, { nLarge, kBlue } })));
    for (bool bLarge : { false, true }) {
        SCOPED_TRACE(bLarge ? "large" : "small");
        g_bLargeIcons = bLarge;
        auto pData = MakeData(L"Document", ico, 0);
        ASSERT_NE(nullptr, LoadedIcon(pData.get()));
        EXPECT_EQ(bLarge ? nLarge : nSmall, pData->m_nIconWidth);
        EXPECT_EQ(GetSystemMetrics(bLarge ? SM_CYICON : SM_CYSMICON), pData->m_nIconHeight);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(LoadedIcon(pData.get()), &info));
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        EXPECT_EQ(pData->m_nIconWidth, bitmap.bmWidth);
        EXPECT_EQ(bLarge ? kBlue : kLime, IconCentreColour(LoadedIcon(pData.get()), pData->m_nIconWidth));
    }
    // A missing file leaves no gap either.
    auto pMissing = MakeData(L"Gone", settings.File(L"gone.ico"), 0);
    EXPECT_NE(nullptr, LoadedIcon(pMissing.get()));
}

TEST(MenuItemData, TakesTheSystemMenuFontOrTheChosenOne)
{
    CTraySettings settings;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));

    auto pSystem = MakeData(L"Tool", L"", 0);
    EXPECT_STREQ(metrics.lfMenuFont.lfFaceName, FontOf(pSystem.get()).lfFaceName);
    EXPECT_EQ(metrics.lfMenuFont.lfHeight, FontOf(pSystem.get()).lfHeight);
    EXPECT_STREQ(L"Tool", TextOf(*pSystem.get()));
    EXPECT_EQ(4, pSystem->m_nMargin);

    UseChosenFont(-30);
    auto pChosen = MakeData(L"Tool", L"", 0);
    const LOGFONTW chosen = FontOf(pChosen.get());
    EXPECT_EQ(0, std::memcmp(&g_logFont, &chosen, sizeof(LOGFONTW)));
}

TEST(MeasureMenuItem, LeavesRoomForIconMarginsAndText)
{
    CTraySettings settings;
    for (bool bLarge : { false, true }) {
        SCOPED_TRACE(bLarge ? "large" : "small");
        g_bLargeIcons = bLarge;
        auto pData = MakeData(L"Editor", IconModule(), 0);
        const MEASUREITEMSTRUCT measure = Measure(pData.get());
        EXPECT_GE(measure.itemHeight, bLarge ? 40u : 24u);
        EXPECT_GT(measure.itemWidth, static_cast<UINT>(3 * 4 + pData->m_nIconWidth));
    }

    // A text taller than the icon sets the height.
    UseChosenFont(-60);
    auto pTall = MakeData(L"Editor", IconModule(), 0);
    EXPECT_GE(Measure(pTall.get()).itemHeight, 60u + 8u);
}

TEST(MeasureMenuItem, CountsEveryCharacterThatIsDrawn)
{
    CTraySettings settings;
    UseChosenFont(-20);
    auto pData = MakeData(L"Tom & Jerry", L"", 0);
    HDC hDC = GetDC(nullptr);
    const LOGFONTW logFont = FontOf(pData.get());
    HFONT hFont = CreateFontIndirectW(&logFont);
    HGDIOBJ hOld = SelectObject(hDC, hFont);
    SIZE drawn = {};
    GetTextExtentPoint32W(hDC, L"Tom & Jerry", 11, &drawn);
    SelectObject(hDC, hOld);
    DeleteObject(hFont);
    ReleaseDC(nullptr, hDC);
    EXPECT_GE(Measure(pData.get()).itemWidth, static_cast<UINT>(3 * 4 + pData->m_nIconWidth + drawn.cx));
}

// One context measures every entry; none may be measured in the font of
// the entry before it.
TEST(MeasureMenuItem, EachEntryIsMeasuredInItsOwnFontWhateverCameBefore)
{
    CTraySettings settings;
    g_bLargeIcons = false;
    UINT nHeights[2] = {};
    for (int nRound = 0; nRound < 2; ++nRound) {
        for (int nFont : { -60, -12 }) {
            SCOPED_TRACE(nFont);
            UseChosenFont(nFont);
            auto pData = MakeData(L"Werkzeug", L"", 0);
            const UINT nHeight = Measure(pData.get()).itemHeight;
            UINT& nFirst = nHeights[nFont == -60 ? 0 : 1];
            if (nRound == 0)
                nFirst = nHeight;
            EXPECT_EQ(nFirst, nHeight);
        }
    }
    EXPECT_GE(nHeights[0], 60u + 8u);
    EXPECT_LT(nHeights[1], 40u);
}

TEST(MeasureMenuItem, IgnoresWhatIsNoMenuEntryOfOurs)
{
    CTraySettings settings;
    auto pData = MakeData(L"Tool", L"", 0);
    MeasureMenuItem(nullptr, nullptr);
    MEASUREITEMSTRUCT button = {};
    button.CtlType = ODT_BUTTON;
    button.itemData = reinterpret_cast<ULONG_PTR>(pData.get());
    MeasureMenuItem(nullptr, &button);
    MEASUREITEMSTRUCT empty = {};
    empty.CtlType = ODT_MENU;
    MeasureMenuItem(nullptr, &empty);
    EXPECT_EQ(0u, button.itemWidth + button.itemHeight + empty.itemWidth + empty.itemHeight);
    DrawMenuItem(nullptr);
}

TEST(DrawMenuItem, PaintsStateColoursWithSelectionWinningOverDisabled)
{
    CTraySettings settings;
    UseChosenFont(-20);
    auto pData = MakeData(L"MMMM", IconModule(), 0);
    const MEASUREITEMSTRUCT measure = Measure(pData.get());
    const int nWidth = static_cast<int>(measure.itemWidth);
    const int nHeight = static_cast<int>(measure.itemHeight);
    const struct
    {
        const char* pszName;
        UINT nState;
        int nBackground;
        int nText;
    } cases[] = {
        { "normal", 0, COLOR_MENU, COLOR_MENUTEXT },
        { "greyed", ODS_GRAYED, COLOR_MENU, COLOR_GRAYTEXT },
        { "disabled", ODS_DISABLED, COLOR_MENU, COLOR_GRAYTEXT },
        { "selected", ODS_SELECTED, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT },
        { "selected and disabled", ODS_SELECTED | ODS_GRAYED | ODS_DISABLED, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        // The entry sits away from the canvas corner, as lower entries of a menu do.
        const int nLeft = 5;
        const int nTop = 7;
        CPixelCanvas canvas(nLeft + nWidth + 5, nTop + nHeight + 5);
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemState = c.nState;
        draw.hDC = canvas.DC();
        draw.rcItem = { nLeft, nTop, nLeft + nWidth, nTop + nHeight };
        draw.itemData = reinterpret_cast<ULONG_PTR>(pData.get());
        DrawMenuItem(&draw);

        EXPECT_EQ(GetSysColor(c.nBackground), canvas.At(nLeft + 1, nTop + 1));
        EXPECT_EQ(GetSysColor(c.nBackground), canvas.At(nLeft + nWidth - 1, nTop + nHeight - 1));
        EXPECT_EQ(RGB(0, 0, 0), canvas.At(nLeft - 1, nTop - 1)) << "painted outside the entry";
        const int nTextLeft = nLeft + 3 * 4 + pData->m_nIconWidth;
        const RECT textArea = { nTextLeft, nTop, nLeft + nWidth, nTop + nHeight };
        EXPECT_TRUE(canvas.Holds(textArea, GetSysColor(c.nText)));
        for (int nOther : { COLOR_MENUTEXT, COLOR_GRAYTEXT, COLOR_HIGHLIGHTTEXT }) {
            if (GetSysColor(nOther) != GetSysColor(c.nText) && GetSysColor(nOther) != GetSysColor(c.nBackground)) {
                EXPECT_FALSE(canvas.Holds(textArea, GetSysColor(nOther))) << nOther;
            }
        }
        // The icon: one margin in, centred in the height.
        const int nIconTop = nTop + (nHeight - pData->m_nIconHeight) / 2;
        EXPECT_EQ(kRed, canvas.At(nLeft + 4, nIconTop));
        EXPECT_EQ(kRed, canvas.At(nLeft + 4 + pData->m_nIconWidth - 1, nIconTop + pData->m_nIconHeight - 1));
        EXPECT_NE(kRed, canvas.At(nLeft + 3, nIconTop));
        EXPECT_NE(kRed, canvas.At(nLeft + 4, nIconTop - 1));
        const RECT gap = { nLeft + 4 + pData->m_nIconWidth, nTop, nTextLeft, nTop + nHeight };
        EXPECT_FALSE(canvas.Holds(gap, GetSysColor(c.nText))) << "text runs into the icon's margins";
    }
}

TEST(DrawMenuItem, LeavesTheDeviceContextAsItFoundIt)
{
    CTraySettings settings;
    UseChosenFont(-20);
    auto pData = MakeData(L"Tool", IconModule(), 1);
    CPixelCanvas canvas(200, 60);
    HFONT hFont = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    SelectObject(canvas.DC(), hFont);
    SetTextColor(canvas.DC(), RGB(1, 2, 3));
    SetBkMode(canvas.DC(), OPAQUE);
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.hDC = canvas.DC();
    draw.rcItem = { 0, 0, 200, 60 };
    draw.itemData = reinterpret_cast<ULONG_PTR>(pData.get());
    DrawMenuItem(&draw);
    EXPECT_EQ(hFont, GetCurrentObject(canvas.DC(), OBJ_FONT));
    EXPECT_EQ(RGB(1, 2, 3), GetTextColor(canvas.DC()));
    EXPECT_EQ(OPAQUE, GetBkMode(canvas.DC()));
}

TEST(MenuItemData, ScreenReadersReadEachEntrysFullNameThroughTheItemData)
{
    CTraySettings settings;
    const std::string longName(300, 'W');
    settings.Write("[tools]\ncount=3\n[tool1]\nname=Tom & Jerry\n[tool2]\nname=" + longName
                   + "\n[tool3]\nname=Notizen\n");
    BuildToolsMenu();
    BuildProgramMenu();
    const struct
    {
        HMENU hMenu;
        UINT nCommand;
        std::wstring name;
    } cases[] = {
        { g_hToolsMenu, 2025, L"Tom & Jerry" },
        { g_hToolsMenu, 2026, std::wstring(300, L'W') },
        { g_hToolsMenu, 2027, L"Notizen" },
        { g_hToolsMenu, 2024, L"Programme bearbeiten" },
        { g_hProgramMenu, 2028, L"Beenden" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nCommand);
        EXPECT_EQ(c.name, traytest::AccessibleName(c.hMenu, c.nCommand));
    }
}

TEST(MeasureMenuItem, ALongNameIsCutAtHalfTheWorkAreaAndDrawnInsideTheEntry)
{
    CTraySettings settings;
    UseChosenFont(-20);
    auto pLong = MakeData(std::wstring(300, L'M').c_str(), L"", 0);
    POINT pt = {};
    GetCursorPos(&pt);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(pt, MONITOR_DEFAULTTOPRIMARY), &monitor));
    const int nHalf = (monitor.rcWork.right - monitor.rcWork.left) / 2;
    const MEASUREITEMSTRUCT measure = Measure(pLong.get());
    EXPECT_EQ(static_cast<UINT>(nHalf), measure.itemWidth);

    // Nothing of the text lands right of the entry; the text reaches its end.
    const int nWidth = static_cast<int>(measure.itemWidth);
    const int nHeight = static_cast<int>(measure.itemHeight);
    CPixelCanvas canvas(nWidth + 200, nHeight);
    const RECT rcCanvas = { 0, 0, nWidth + 200, nHeight };
    HBRUSH hBlue = CreateSolidBrush(kBlue);
    FillRect(canvas.DC(), &rcCanvas, hBlue);
    DeleteObject(hBlue);
    traytest::DrawEntry(pLong.get(), canvas, { 0, 0, nWidth, nHeight });
    EXPECT_FALSE(canvas.Holds({ nWidth, 0, nWidth + 200, nHeight }, GetSysColor(COLOR_MENUTEXT)));
    EXPECT_TRUE(canvas.Holds({ nWidth - 40, 0, nWidth, nHeight }, GetSysColor(COLOR_MENUTEXT)));

    // A short name keeps its own width.
    auto pShort = MakeData(L"MMMM", L"", 0);
    EXPECT_LT(Measure(pShort.get()).itemWidth, static_cast<UINT>(nHalf));
}

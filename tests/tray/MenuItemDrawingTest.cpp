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
using traytest::CTaskbarMode;
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

// At 100, 150 and 200 %: icons at the system's sizes for the DPI (and
// loaded at them), margins, separators and text grown with it, so the
// menu looks the same on every monitor.
TEST(MeasureMenuItem, EntriesFollowTheDpiTheyAreBuiltFor)
{
    CTraySettings settings;
    const struct
    {
        UINT nDpi;
        int nSmall;
        int nLarge;
        int nMargin;
        UINT nSeparator;
    } cases[] = {
        { 96, 16, 32, 4, 9 },
        { 144, 24, 48, 6, 14 },
        { 192, 32, 64, 8, 18 },
    };
    int nTextHeightAt96 = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nDpi);
        for (bool bLarge : { false, true }) {
            g_bLargeIcons = bLarge;
            CTestMenuEntry entry(L"Werkzeug", IconModule(), 0, c.nDpi);
            const int nIcon = bLarge ? c.nLarge : c.nSmall;
            EXPECT_EQ(nIcon, entry->m_nIconWidth);
            EXPECT_EQ(nIcon, entry->m_nIconHeight);
            EXPECT_EQ(c.nMargin, entry->m_nMargin);
            const MEASUREITEMSTRUCT measure = Measure(entry.get());
            EXPECT_GE(measure.itemHeight, static_cast<UINT>(nIcon + 2 * c.nMargin));
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(LoadedIcon(entry.get()), &info));
            BITMAP bitmap = {};
            GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            EXPECT_EQ(nIcon, bitmap.bmWidth);
            if (bLarge)
                continue;
            if (c.nDpi == 96)
                nTextHeightAt96 = entry->m_nTextHeight;
            const int nScaled = MulDiv(nTextHeightAt96, static_cast<int>(c.nDpi), 96);
            EXPECT_NEAR(nScaled, entry->m_nTextHeight, 2) << "the font is not scaled";
        }
        tessvald::CMenuHandle menu(CreatePopupMenu());
        ASSERT_TRUE(AppendSeparator(menu.Get(), c.nDpi));
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_DATA;
        GetMenuItemInfoW(menu.Get(), 0, TRUE, &info);
        std::unique_ptr<MenuItemData> pSeparator(reinterpret_cast<MenuItemData*>(info.dwItemData));
        EXPECT_EQ(c.nSeparator, Measure(pSeparator.get()).itemHeight);
    }
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
    CTaskbarMode mode;
    UseChosenFont(-20);
    auto pData = MakeData(L"MMMM", IconModule(), 0);
    const MEASUREITEMSTRUCT measure = Measure(pData.get());
    const int nWidth = static_cast<int>(measure.itemWidth);
    const int nHeight = static_cast<int>(measure.itemHeight);
    using Colour = COLORREF SMenuColours::*;
    const struct
    {
        const char* pszName;
        UINT nState;
        Colour background;
        Colour text;
    } cases[] = {
        { "normal", 0, &SMenuColours::nBackground, &SMenuColours::nText },
        { "greyed", ODS_GRAYED, &SMenuColours::nBackground, &SMenuColours::nGreyText },
        { "disabled", ODS_DISABLED, &SMenuColours::nBackground, &SMenuColours::nGreyText },
        { "selected", ODS_SELECTED, &SMenuColours::nSelection, &SMenuColours::nSelectionText },
        { "selected and disabled", ODS_SELECTED | ODS_GRAYED | ODS_DISABLED, &SMenuColours::nSelection,
          &SMenuColours::nSelectionText },
    };
    for (EColourMode eMode : { EColourMode::Light, EColourMode::Dark }) {
        mode.Set(eMode);
        CTaskbarMode::Apply();
        const SMenuColours& colours = ModeColours(eMode);
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.pszName << (eMode == EColourMode::Dark ? " dark" : " light"));
            // The entry sits away from the canvas corner, as lower entries of a menu do.
            const int nLeft = 5;
            const int nTop = 7;
            CPixelCanvas canvas(nLeft + nWidth + 5, nTop + nHeight + 5);
            traytest::DrawEntry(pData.get(), canvas, { nLeft, nTop, nLeft + nWidth, nTop + nHeight }, c.nState);

            const COLORREF nBackground = colours.*c.background;
            const COLORREF nText = colours.*c.text;
            EXPECT_EQ(nBackground, canvas.At(nLeft + 1, nTop + 1));
            EXPECT_EQ(nBackground, canvas.At(nLeft + nWidth - 1, nTop + nHeight - 1));
            EXPECT_EQ(RGB(0, 0, 0), canvas.At(nLeft - 1, nTop - 1)) << "painted outside the entry";
            const int nTextLeft = nLeft + 3 * 4 + pData->m_nIconWidth;
            const RECT textArea = { nTextLeft, nTop, nLeft + nWidth, nTop + nHeight };
            EXPECT_TRUE(canvas.Holds(textArea, nText));
            for (Colour other : { &SMenuColours::nText, &SMenuColours::nGreyText, &SMenuColours::nSelectionText }) {
                if (colours.*other != nText && colours.*other != nBackground) {
                    EXPECT_FALSE(canvas.Holds(textArea, colours.*other));
                }
            }
            // The icon: one margin in, centred in the height.
            const int nIconTop = nTop + (nHeight - pData->m_nIconHeight) / 2;
            EXPECT_EQ(kRed, canvas.At(nLeft + 4, nIconTop));
            EXPECT_EQ(kRed, canvas.At(nLeft + 4 + pData->m_nIconWidth - 1, nIconTop + pData->m_nIconHeight - 1));
            EXPECT_NE(kRed, canvas.At(nLeft + 3, nIconTop));
            EXPECT_NE(kRed, canvas.At(nLeft + 4, nIconTop - 1));
            const RECT gap = { nLeft + 4 + pData->m_nIconWidth, nTop, nTextLeft, nTop + nHeight };
            EXPECT_FALSE(canvas.Holds(gap, nText)) << "text runs into the icon's margins";
        }
    }
}

// A separator is a line in the menu's colours; an entry that opens a
// submenu draws its arrow in its text's colour and keeps the system's
// black one (drawn after it, on the same context) off.
TEST(DrawMenuItem, SeparatorsAndSubmenuArrowsTakeTheMenusColours)
{
    CTraySettings settings;
    CTaskbarMode mode;
    settings.Write("[tools]\ncount=3\n[tool1]\nname=A\ngroup=Gruppe\n[tool2]\nname=@\n[tool3]\nname=B\n");
    for (EColourMode eMode : { EColourMode::Light, EColourMode::Dark }) {
        SCOPED_TRACE(eMode == EColourMode::Dark ? "dark" : "light");
        mode.Set(eMode);
        CTaskbarMode::Apply();
        BuildToolsMenu();
        const SMenuColours& colours = ModeColours(eMode);
        const struct
        {
            UINT nPosition;
            UINT nState;
            COLORREF nMark;  // the line's or the arrow's colour
        } cases[] = {
            { 0, 0, colours.nText },
            { 0, ODS_SELECTED, colours.nSelectionText },
            { 1, 0, colours.nSeparator },
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.nPosition + c.nState);
            MENUITEMINFOW info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_DATA | MIIM_FTYPE;
            ASSERT_TRUE(GetMenuItemInfoW(g_hToolsMenu, c.nPosition, TRUE, &info));
            ASSERT_NE(0u, info.fType & MFT_OWNERDRAW);
            const auto* pData = reinterpret_cast<const MenuItemData*>(info.dwItemData);
            const MEASUREITEMSTRUCT measure = Measure(pData);
            const int nWidth = static_cast<int>(measure.itemWidth) + 20;
            const int nHeight = static_cast<int>(measure.itemHeight);
            CPixelCanvas canvas(nWidth, nHeight);
            traytest::DrawEntry(pData, canvas, { 0, 0, nWidth, nHeight }, c.nState);
            // The right end holds the arrow (or the line's end), nothing else.
            EXPECT_TRUE(canvas.Holds({ nWidth - 16, 0, nWidth, nHeight }, c.nMark));
            const RECT rcAll = { 0, 0, nWidth, nHeight };
            HBRUSH hBlue = CreateSolidBrush(kBlue);
            FillRect(canvas.DC(), &rcAll, hBlue);
            DeleteObject(hBlue);
            EXPECT_EQ(c.nPosition == 1, canvas.Holds(rcAll, kBlue)) << "painting after the entry";
        }
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

    // Nothing of the text lands right of the entry; the text reaches its
    // end, but for its right margin and the room of a glyph cut off (twice
    // that: the ellipsis's smoothed last dot may not reach the full colour).
    HDC hScreen = GetDC(nullptr);
    HGDIOBJ hOld = SelectObject(hScreen, pLong->m_hFont);
    SIZE cut = {};
    GetTextExtentPoint32W(hScreen, L"M\u2026", 2, &cut);
    SelectObject(hScreen, hOld);
    ReleaseDC(nullptr, hScreen);
    const int nWidth = static_cast<int>(measure.itemWidth);
    const int nHeight = static_cast<int>(measure.itemHeight);
    CPixelCanvas canvas(nWidth + 200, nHeight);
    const RECT rcCanvas = { 0, 0, nWidth + 200, nHeight };
    HBRUSH hBlue = CreateSolidBrush(kBlue);
    FillRect(canvas.DC(), &rcCanvas, hBlue);
    DeleteObject(hBlue);
    traytest::DrawEntry(pLong.get(), canvas, { 0, 0, nWidth, nHeight });
    const COLORREF nText = traytest::State().m_palette.Colours().nText;
    EXPECT_FALSE(canvas.Holds({ nWidth, 0, nWidth + 200, nHeight }, nText));
    EXPECT_TRUE(canvas.Holds({ nWidth - pLong->m_nMargin - 2 * cut.cx, 0, nWidth, nHeight }, nText));

    // A short name keeps its own width.
    auto pShort = MakeData(L"MMMM", L"", 0);
    EXPECT_LT(Measure(pShort.get()).itemWidth, static_cast<UINT>(nHalf));
}

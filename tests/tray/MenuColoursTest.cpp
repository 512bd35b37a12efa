#include "TrayTestSupport.h"

#include "support/Contrast.h"
#include "tray/MenuColours.h"
#include "tray/TrayMenus.h"
#include "tray/TrayWindow.h"

#include <gtest/gtest.h>

using testsupport::ContrastRatio;
using testsupport::RelativeLuminance;
using traytest::CMainTestWindow;
using traytest::CTaskbarMode;
using traytest::CTraySettings;
using traytest::State;

namespace {

bool SameColours(const SMenuColours& a, const SMenuColours& b)
{
    return a.nBackground == b.nBackground && a.nText == b.nText && a.nGreyText == b.nGreyText
        && a.nSelection == b.nSelection && a.nSelectionText == b.nSelectionText && a.nSeparator == b.nSeparator;
}

COLORREF BackgroundOf(HMENU hMenu)
{
    MENUINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND;
    LOGBRUSH brush = {};
    if (!GetMenuInfo(hMenu, &info) || info.hbrBack == nullptr
        || GetObjectW(info.hbrBack, sizeof(brush), &brush) != sizeof(brush))
        return CLR_INVALID;
    return brush.lbColor;
}

} // namespace

// Text at least 4.5:1 against its background, the selected entry's too;
// greyed text at least 3:1 and still plainly apart from the enabled text,
// between it and the background; a selection that stands out from the
// menu. Light is light and dark is dark.
TEST(MenuColours, BothModesGiveTheContrastReadersNeed)
{
    for (EColourMode eMode : { EColourMode::Light, EColourMode::Dark }) {
        const bool bDark = eMode == EColourMode::Dark;
        SCOPED_TRACE(bDark ? "dark" : "light");
        const SMenuColours& c = ModeColours(eMode);
        EXPECT_GE(ContrastRatio(c.nText, c.nBackground), 4.5);
        EXPECT_GE(ContrastRatio(c.nSelectionText, c.nSelection), 4.5);
        EXPECT_GE(ContrastRatio(c.nGreyText, c.nBackground), 3.0);
        EXPECT_GE(ContrastRatio(c.nGreyText, c.nText), 3.0);
        EXPECT_GE(ContrastRatio(c.nSelection, c.nBackground), 1.5);
        EXPECT_GE(ContrastRatio(c.nSeparator, c.nBackground), 1.5);
        const double dGrey = RelativeLuminance(c.nGreyText);
        EXPECT_LT(std::min(RelativeLuminance(c.nText), RelativeLuminance(c.nBackground)), dGrey);
        EXPECT_GT(std::max(RelativeLuminance(c.nText), RelativeLuminance(c.nBackground)), dGrey);
        EXPECT_EQ(bDark, RelativeLuminance(c.nBackground) < RelativeLuminance(c.nText));
    }
}

// Only a DWORD of 0 is dark; a system without the value is light.
TEST(MenuColours, TheTaskbarsModeIsTheUsersSetting)
{
    CTaskbarMode mode;
    const DWORD nZero = 0;
    const DWORD nOne = 1;
    const wchar_t szZero[] = L"0";
    const struct
    {
        const char* pszCase;
        DWORD nType;  // REG_NONE: no value
        const void* pData;
        DWORD nSize;
        EColourMode eExpected;
    } cases[] = {
        { "0", REG_DWORD, &nZero, sizeof(nZero), EColourMode::Dark },
        { "1", REG_DWORD, &nOne, sizeof(nOne), EColourMode::Light },
        { "missing", REG_NONE, nullptr, 0, EColourMode::Light },
        { "a text", REG_SZ, szZero, sizeof(szZero), EColourMode::Light },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        mode.Remove();
        if (c.nType != REG_NONE)
            mode.SetRaw(c.nType, c.pData, c.nSize);
        EXPECT_EQ(c.eExpected, ReadTaskbarMode());
    }
}

TEST(MenuColours, HighContrastTakesTheSystemsColoursInEitherMode)
{
    const SMenuColours system = {
        GetSysColor(COLOR_MENU),      GetSysColor(COLOR_MENUTEXT),      GetSysColor(COLOR_GRAYTEXT),
        GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_GRAYTEXT),
    };
    const struct
    {
        bool bHighContrast;
        EColourMode eMode;
        const SMenuColours& expected;
    } cases[] = {
        { true, EColourMode::Light, system },
        { true, EColourMode::Dark, system },
        { false, EColourMode::Light, ModeColours(EColourMode::Light) },
        { false, EColourMode::Dark, ModeColours(EColourMode::Dark) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bHighContrast << " " << (c.eMode == EColourMode::Dark));
        EXPECT_TRUE(SameColours(c.expected, ChooseMenuColours(c.bHighContrast, c.eMode)));
    }
}

// The user switches the task bar's mode while the program runs: the
// broadcast that says so recolours both menus, their groups and live
// folders included, when one opens next, and the notification icon at
// once. Other setting changes do not.
TEST(MenuColours, AChangeOfModeRecoloursTheMenusAtTheirNextOpening)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=2\n[tool1]\nname=A\ngroup=G\n[tool2]\nname=Ablage\npath=C:\\\n"
                   "submenu=TRUE\n");
    CTaskbarMode mode;
    mode.Set(EColourMode::Light);
    CMainTestWindow window;
    const struct
    {
        const char* pszCase;
        UINT nMsg;
        WPARAM wParam;
        const wchar_t* pszArea;
        bool bFollows;
    } cases[] = {
        { "colour mode", WM_SETTINGCHANGE, 0, L"ImmersiveColorSet", true },
        { "high contrast", WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, nullptr, true },
        { "system colours", WM_SYSCOLORCHANGE, 0, nullptr, true },
        { "environment", WM_SETTINGCHANGE, 0, L"Environment", false },
        { "work area", WM_SETTINGCHANGE, SPI_SETWORKAREA, nullptr, false },
    };
    EColourMode eShown = EColourMode::Light;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        const EColourMode eOther = eShown == EColourMode::Light ? EColourMode::Dark : EColourMode::Light;
        mode.Set(eOther);
        SendMessageW(window.Get(), c.nMsg, c.wParam, reinterpret_cast<LPARAM>(c.pszArea));
        EXPECT_TRUE(SameColours(ModeColours(eShown), State().m_palette.Colours())) << "changed on screen";
        PrepareMenusFor(State().m_nMenuDpi);
        if (c.bFollows)
            eShown = eOther;
        EXPECT_EQ(eShown, State().m_eNotifyIconMode);
        EXPECT_EQ(g_nid.hIcon, State().m_notifyIcon.Get());
        const COLORREF nBackground = ModeColours(eShown).nBackground;
        EXPECT_TRUE(SameColours(ModeColours(eShown), State().m_palette.Colours()));
        EXPECT_EQ(nBackground, BackgroundOf(g_hToolsMenu));
        EXPECT_EQ(nBackground, BackgroundOf(GetSubMenu(g_hToolsMenu, 0)));
        EXPECT_EQ(nBackground, BackgroundOf(GetSubMenu(g_hToolsMenu, 1)));
        EXPECT_EQ(nBackground, BackgroundOf(g_hProgramMenu));
    }
}

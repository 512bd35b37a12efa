#include "SettingsTestSupport.h"

#include "settings/DisplayOptions.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace settingstest;

namespace {

// The shortcut is an option like the others; every case leaves none.
class OptionSaveTest : public SettingsTest
{
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        SetShortcut(0, 0);
    }
    void TearDown() override
    {
        SetShortcut(0, 0);
        SettingsTest::TearDown();
    }
    static void SetShortcut(UINT nModifiers, UINT nKey)
    {
        g_nHotkeyModifiers = nModifiers;
        g_nHotkeyKey = nKey;
    }
};

const int kResolutions[] = { 72, 96, 120, 144, 192 };

} // namespace

TEST(FontSize, PointsSurviveTheWayThroughPixelsAtEveryResolution)
{
    for (int nDpi : kResolutions) {
        SCOPED_TRACE(nDpi);
        EXPECT_EQ(kDefaultFontPoints, FontPointsFromHeight(DefaultLogFont(nDpi).lfHeight, nDpi))
            << "the initial font is 8 points on any screen";
        for (LONG nPoints = 6; nPoints <= 72; ++nPoints)
            EXPECT_EQ(nPoints, FontPointsFromHeight(FontHeightFromPoints(nPoints, nDpi), nDpi)) << nPoints;
    }
    EXPECT_EQ(-11, DefaultLogFont(96).lfHeight);
    EXPECT_EQ(-16, DefaultLogFont(144).lfHeight);
    EXPECT_EQ(FontHeightFromPoints(8, 96), FontHeightFromPoints(8, 0)) << "an unknown resolution counts as 96";
}

TEST_F(OptionSaveTest, WholeFileSaveWritesTheShortcutAfterTheIconsAndNoneAsNoKey)
{
    const struct
    {
        UINT nModifiers;
        UINT nKey;
        const wchar_t* pszStored;  // null: no key at all
    } cases[] = {
        { MOD_CONTROL | MOD_ALT, 'A', L"Ctrl+Alt+A" },
        { MOD_WIN | MOD_SHIFT | MOD_CONTROL, VK_F12, L"Ctrl+Shift+Win+F12" },
        { MOD_CONTROL | MOD_ALT | MOD_SHIFT | MOD_WIN, VK_SPACE, L"Ctrl+Alt+Shift+Win+Space" },
        { 0, VK_F7, L"F7" },
        { 0, 0, nullptr },
        { 0, 'A', nullptr },  // would take ordinary typing: never stored
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszStored != nullptr ? c.pszStored : L"(none)");
        WriteSettings(L"[tools]\r\nhotkey=Ctrl+Alt+Z\r\n");
        SetShortcut(c.nModifiers, c.nKey);
        ASSERT_TRUE(SaveToolList(nullptr, 0, nullptr));
        std::vector<std::wstring> expected = { L"count=0", L"shortpath=FALSE", L"systemfont=TRUE", L"icons=small" };
        if (c.pszStored != nullptr)
            expected.push_back(std::wstring(L"hotkey=") + c.pszStored);
        EXPECT_EQ(expected, PlatformSection(m_file, L"tools"));

        SetShortcut(MOD_ALT, VK_F1);
        LoadHotkeyOption();
        EXPECT_EQ(c.pszStored != nullptr ? c.nModifiers : 0u, g_nHotkeyModifiers);
        EXPECT_EQ(c.pszStored != nullptr ? c.nKey : 0u, g_nHotkeyKey);
    }
}

TEST_F(OptionSaveTest, OptionsAloneWriteTheShortcutInPlaceAndTakeARemovedOneAway)
{
    const std::wstring tools = L"[tool1]\r\nname=Eins\r\nrunas=TRUE\r\n";
    WriteSettings(L"[tools]\r\ncount=1\r\nhotkey=Ctrl+Alt+A\r\nicons=large\r\n" + tools);

    SetShortcut(MOD_CONTROL | MOD_SHIFT, VK_F5);
    ASSERT_TRUE(SaveOptions(nullptr));
    EXPECT_EQ(L"Ctrl+Shift+F5", PlatformRead(m_file, L"tools", L"hotkey"));
    EXPECT_EQ(L"[tools]\r\ncount=1\r\nhotkey=Ctrl+Shift+F5\r\n", ReadUtf16File(m_file).substr(0, 40))
        << "the key keeps its place";

    SetShortcut(0, 0);
    ASSERT_TRUE(SaveOptions(nullptr));
    const std::vector<std::wstring> section = PlatformSection(m_file, L"tools");
    EXPECT_EQ((std::vector<std::wstring>{ L"count=1", L"icons=small", L"shortpath=FALSE", L"systemfont=TRUE" }),
              section);
    EXPECT_NE(std::wstring::npos, ReadUtf16File(m_file).find(tools)) << "the tools stay as they were";

    // Removing a shortcut that was never stored, with or without a file.
    ASSERT_TRUE(SaveOptions(nullptr));
    DeleteFileW(m_file.c_str());
    ASSERT_TRUE(g_config.DeleteKey(L"tools", L"hotkey"));
    EXPECT_FALSE(testsupport::FileExists(m_file)) << "taking a key away creates no file";
    ASSERT_TRUE(SaveOptions(nullptr));
    EXPECT_EQ(L"", PlatformRead(m_file, L"tools", L"hotkey"));
    EXPECT_EQ(L"small", PlatformRead(m_file, L"tools", L"icons"));
}

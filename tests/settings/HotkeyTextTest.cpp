#include "settings/HotkeyText.h"

#include <gtest/gtest.h>

TEST(HotkeyText, ParsesTheStoredFormsAndWritesThemBackInOrder)
{
    struct Case
    {
        const wchar_t* pszText;
        UINT nModifiers;
        UINT nKey;
        const wchar_t* pszStored;
    };
    const Case cases[] = {
        { L"Ctrl+Alt+A", MOD_CONTROL | MOD_ALT, 'A', L"Ctrl+Alt+A" },
        { L" alt + ctrl + a ", MOD_CONTROL | MOD_ALT, 'A', L"Ctrl+Alt+A" },
        { L"Win+Shift+7", MOD_WIN | MOD_SHIFT, '7', L"Shift+Win+7" },
        { L"F12", 0, VK_F12, L"F12" },
        { L"Shift+F24", MOD_SHIFT, VK_F24, L"Shift+F24" },
        { L"Ctrl+Space", MOD_CONTROL, VK_SPACE, L"Ctrl+Space" },
        // The names the options and the notices show are read too, and
        // written back in the form older builds read.
        { L"Strg+Alt+A", MOD_CONTROL | MOD_ALT, 'A', L"Ctrl+Alt+A" },
        { L"umschalt + STRG + leertaste", MOD_CONTROL | MOD_SHIFT, VK_SPACE, L"Ctrl+Shift+Space" },
        { L"Win+Umschalt+F3", MOD_WIN | MOD_SHIFT, VK_F3, L"Shift+Win+F3" },
    };
    for (const Case& c : cases) {
        UINT nModifiers = 99;
        UINT nKey = 99;
        ASSERT_TRUE(ParseHotkeyText(c.pszText, nModifiers, nKey)) << c.pszText;
        EXPECT_EQ(c.nModifiers, nModifiers) << c.pszText;
        EXPECT_EQ(c.nKey, nKey) << c.pszText;
        EXPECT_EQ(c.pszStored, FormatHotkeyText(nModifiers, nKey)) << c.pszText;
    }
    // Messages name the keys as a German keyboard labels them.
    EXPECT_EQ(L"Strg+Umschalt+Leertaste", GermanHotkeyText(MOD_CONTROL | MOD_SHIFT, VK_SPACE));
    EXPECT_EQ(L"Alt+Win+F5", GermanHotkeyText(MOD_ALT | MOD_WIN, VK_F5));
    EXPECT_EQ(L"", GermanHotkeyText(MOD_CONTROL, 0));
}

TEST(HotkeyText, RefusesJunkAndShortcutsThatWouldTakeTyping)
{
    const wchar_t* const junk[] = {
        L"", L"+", L"Ctrl+", L"Ctrl", L"Ctrl++A", L"Ctrl+Ctrl+A", L"Hyper+A", L"Ctrl+AB", L"Ctrl+F0",
        L"Ctrl+F25", L"Ctrl+F100", L"Ctrl+\u00C4", L"A", L"Shift+A", L"Space", L"Ctrl+Alt+A+B",
        L"Strg+Ctrl+A", L"Umschalt+A", L"Leertaste",
    };
    for (const wchar_t* pszText : junk) {
        UINT nModifiers = 5;
        UINT nKey = 6;
        EXPECT_FALSE(ParseHotkeyText(pszText, nModifiers, nKey)) << pszText;
        EXPECT_EQ(5u, nModifiers);
        EXPECT_EQ(6u, nKey);
    }
    UINT nModifiers = 0;
    UINT nKey = 0;
    EXPECT_FALSE(ParseHotkeyText(nullptr, nModifiers, nKey));
    EXPECT_EQ(L"", FormatHotkeyText(MOD_CONTROL, 0));
    EXPECT_EQ(L"", FormatHotkeyText(MOD_CONTROL, VK_RETURN));
    EXPECT_EQ(L"", FormatHotkeyText(MOD_SHIFT, 'A'));
}

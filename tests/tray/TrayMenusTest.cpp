#include "TrayTestSupport.h"

#include "resolve/IconIndex.h"
#include "settings/CConfig.h"
#include "settings/DisplayOptions.h"
#include "tray/AppGlobals.h"
#include "tray/ConfigFileWatch.h"
#include "tray/MenuItemData.h"
#include "tray/TrayMenus.h"
#include "tray/TrayWindow.h"

#include <gtest/gtest.h>

using traytest::CTraySettings;
using traytest::DescribeMenu;
using traytest::ItemData;

namespace {

constexpr wchar_t kEditOnly[] = L"2024 Programme bearbeiten";

struct BuildCase
{
    const char* pszName;
    const char* pszIni; // null: no settings file at all
    const wchar_t* pszMenu;
};

} // namespace

TEST(ToolsMenu, FollowsTheToolSectionsUpToTheCount)
{
    const BuildCase cases[] = {
        { "no settings file", nullptr, kEditOnly },
        { "count 0", "[tools]\ncount=0\n[tool1]\nname=Hidden\n", kEditOnly },
        { "count missing", "[tools]\nicons=small\n[tool1]\nname=Hidden\n", kEditOnly },
        { "count -1 reads as none", "[tools]\ncount=-1\n[tool1]\nname=Hidden\n", kEditOnly },
        { "only separators", "[tools]\ncount=2\n[tool1]\nname=@\n[tool2]\nname=-----\n",
          L"-|-|2024 Programme bearbeiten" },
        { "tool, separator, tool",
          "[tools]\ncount=3\n[tool1]\nname=One\n[tool2]\nname=@\nshow=-1\niconindex=-1\n[tool3]\nname=Three\n",
          L"2025 One|-|2027 Three|-|2024 Programme bearbeiten" },
        { "missing section", "[tools]\ncount=2\n[tool1]\nname=One\n[tool3]\nname=Never\n",
          L"2025 One|2026 |-|2024 Programme bearbeiten" },
        { "name with a leading dash is a separator", "[tools]\ncount=2\n[tool1]\nname=-x\n[tool2]\nname=A-B\n",
          L"-|2026 A-B|-|2024 Programme bearbeiten" },
    };
    for (const BuildCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTraySettings settings;
        if (c.pszIni != nullptr)
            settings.Write(c.pszIni);
        BuildToolsMenu();
        ASSERT_NE(nullptr, g_hToolsMenu);
        EXPECT_EQ(std::wstring(c.pszMenu), DescribeMenu(g_hToolsMenu));
    }
}

TEST(ToolsMenu, MissingSectionGivesAnEntryWithoutTextOrPicture)
{
    CTraySettings settings;
    // A gap below the highest section keeps its place; numbers past the
    // highest section are not entries at all.
    settings.Write("[tools]\ncount=4\n[tool1]\nname=One\n[tool3]\nname=Three\n");
    BuildToolsMenu();
    EXPECT_EQ(nullptr, ItemData(g_hToolsMenu, 2028));
    const MenuItemData* pData = ItemData(g_hToolsMenu, 2026);
    ASSERT_NE(nullptr, pData);
    EXPECT_STREQ(L"", pData->m_strText.GetData());
    EXPECT_FALSE(pData->m_hIcon);
}

TEST(ProgramMenu, HoldsAboutUninstallAndExit)
{
    CTraySettings settings;
    BuildProgramMenu();
    ASSERT_NE(nullptr, g_hProgramMenu);
    EXPECT_EQ(L"2025 \u00DCber ...|-|2027 Deinstallieren|2028 Beenden", DescribeMenu(g_hProgramMenu));
}

TEST(Menus, ProgramEntriesShowTheProgramsOwnIcons)
{
    CTraySettings settings;
    BuildToolsMenu();
    BuildProgramMenu();
    // The groups 101 to 103 are the first three of the program file.
    const struct
    {
        HMENU hMenu;
        UINT nCommand;
        LONG nId;
        LONG nPosition;
    } cases[] = {
        { g_hToolsMenu, 2024, -101, 0 },
        { g_hProgramMenu, 2025, -101, 0 },
        { g_hProgramMenu, 2027, -102, 1 },
        { g_hProgramMenu, 2028, -103, 2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nCommand);
        LONG nPosition = -1;
        EXPECT_TRUE(FindIconIndex(g_strModulePath.GetData(), c.nId, nPosition));
        EXPECT_EQ(c.nPosition, nPosition);
        const MenuItemData* pData = ItemData(c.hMenu, c.nCommand);
        ASSERT_NE(nullptr, pData);
        EXPECT_TRUE(pData->m_hIcon);
    }
}

TEST(Menus, DestroyingFreesTheMenuAndIsSafeTwice)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\n[tool1]\nname=One\n");
    BuildToolsMenu();
    BuildProgramMenu();
    HMENU hTools = g_hToolsMenu;
    DestroyToolsMenu();
    DestroyProgramMenu();
    EXPECT_EQ(nullptr, g_hToolsMenu);
    EXPECT_EQ(nullptr, g_hProgramMenu);
    EXPECT_FALSE(IsMenu(hTools));
    DestroyToolsMenu();
    DestroyProgramMenu();

    // A rebuild replaces the old menu rather than adding to it.
    BuildToolsMenu();
    hTools = g_hToolsMenu;
    BuildToolsMenu();
    EXPECT_FALSE(IsMenu(hTools));
    EXPECT_EQ(L"2025 One|-|2024 Programme bearbeiten", DescribeMenu(g_hToolsMenu));
}

TEST(Menus, DisplayOptionsReadForTheToolsMenuAlsoShapeTheProgramMenu)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\nicons=LARGE\nsystemfont=FALSE\n[font]\nname=Courier New\nbold=1\n"
                   "[tool1]\nname=One\n");
    BuildToolsMenu();
    BuildProgramMenu();
    for (const MenuItemData* pData : { ItemData(g_hToolsMenu, 2025), ItemData(g_hProgramMenu, 2028) }) {
        ASSERT_NE(nullptr, pData);
        EXPECT_EQ(GetSystemMetrics(SM_CXICON), pData->m_nIconWidth);
        EXPECT_EQ(GetSystemMetrics(SM_CYICON), pData->m_nIconHeight);
        EXPECT_STREQ(L"Courier New", pData->m_logFont.lfFaceName);
        EXPECT_EQ(FW_BOLD, pData->m_logFont.lfWeight);
    }
}

TEST(ConfigFileWatch, NoticesOutsideEditsByTheirSizeOrTime)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\n[tool1]\nname=One\n");
    RememberConfigFileState();
    EXPECT_FALSE(HasConfigFileChanged());

    BY_HANDLE_FILE_INFORMATION before = {};
    ASSERT_TRUE(GetFileInfo(settings.IniPath().c_str(), &before));

    // Same size, same time: such an edit goes unnoticed.
    settings.Write("[tools]\ncount=1\n[tool1]\nname=Two\n");
    settings.SetWriteTime(before.ftLastWriteTime);
    EXPECT_FALSE(HasConfigFileChanged());

    // Another size is a change, seen once.
    settings.Write("[tools]\ncount=1\n[tool1]\nname=Three\n");
    EXPECT_TRUE(HasConfigFileChanged());
    EXPECT_FALSE(HasConfigFileChanged());

    // A file that goes away is no change; one that appears later is.
    DeleteFileW(settings.IniPath().c_str());
    EXPECT_FALSE(HasConfigFileChanged());
}

TEST(ConfigFileWatch, FileCreatedAfterStartCountsAsChangedOnce)
{
    CTraySettings settings;
    RememberConfigFileState();
    EXPECT_FALSE(HasConfigFileChanged());
    settings.Write("[tools]\ncount=0\n");
    EXPECT_TRUE(HasConfigFileChanged());
    EXPECT_FALSE(HasConfigFileChanged());
    EXPECT_FALSE(GetFileInfo(settings.IniPath().c_str(), nullptr));
}

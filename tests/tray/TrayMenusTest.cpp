#include "TrayTestSupport.h"

#include "foundation/ScopedHandle.h"
#include "resolve/IconIndex.h"
#include "resources/resource.h"
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
using traytest::FontOf;
using traytest::ItemData;
using traytest::LoadedIcon;

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

// A group is one entry where its first member stands; its members follow
// inside in list order, separators included; names match ignoring case and
// keep the first spelling; bad values get a sound reading. A live folder is
// an entry that opens an empty submenu, filled when it opens.
TEST(ToolsMenu, GroupsGatherTheirToolsInSubmenus)
{
    const auto tool = [](int n, const std::string& name, const std::string& extra) {
        return "[tool" + std::to_string(n) + "]\nname=" + name + "\n" + extra;
    };
    const struct
    {
        const char* pszName;
        std::string tools;
        const wchar_t* pszMenu;
    } cases[] = {
        { "no groups", tool(1, "A", "") + tool(2, "B", ""), L"2025 A|2026 B" },
        { "a group where its first member stands",
          tool(1, "A", "") + tool(2, "B", "group=G\n") + tool(3, "C", "") + tool(4, "D", "group=G\n"),
          L"2025 A|G[2026 B|2028 D]|2027 C" },
        { "nested, with separators inside",
          tool(1, "A", "group=B\xC3\xBCro\\Tabellen\n") + tool(2, "@", "group=B\xC3\xBCro\n")
              + tool(3, "C", "group=B\xC3\xBCro\n"),
          L"B\u00FCro[Tabellen[2025 A]|-|2027 C]" },
        { "case ignored, first spelling kept",
          tool(1, "A", "group=B\xC3\xBCro\n") + tool(2, "B", "group=B\xC3\x9CRO\n"),
          L"B\u00FCro[2025 A|2026 B]" },
        { "empty segments and blanks", tool(1, "A", "group=\\ X \\\\ Y \\\n") + tool(2, "B", "group=  \n"),
          L"X[Y[2025 A]]|2026 B" },
        { "deeper than eight stays at the eighth",
          tool(1, "A", "group=1\\2\\3\\4\\5\\6\\7\\8\\9\\10\n"),
          L"1[2[3[4[5[6[7[8[2025 A]]]]]]]]" },
        { "a live folder", tool(1, "Ordner", "path=C:\\Daten\nsubmenu=TRUE\n"), L"2025 Ordner[]" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTraySettings settings;
        settings.Write("\xEF\xBB\xBF[tools]\ncount=9\n" + c.tools);
        BuildToolsMenu();
        EXPECT_EQ(std::wstring(c.pszMenu) + L"|-|2024 Programme bearbeiten", DescribeMenu(g_hToolsMenu));
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
    EXPECT_STREQ(L"", TextOf(*pData));
    EXPECT_EQ(nullptr, LoadedIcon(pData));
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
        EXPECT_NE(nullptr, LoadedIcon(pData));
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
        EXPECT_STREQ(L"Courier New", FontOf(pData).lfFaceName);
        EXPECT_EQ(FW_BOLD, FontOf(pData).lfWeight);
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

    // A file that goes away is a change too, seen once: the menus must not
    // keep the tools of a file that is gone.
    DeleteFileW(settings.IniPath().c_str());
    EXPECT_TRUE(HasConfigFileChanged());
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

// A menu opening on a monitor of another DPI than the menus were built for
// is built anew for it first, both menus with it; one opening on the same
// monitor again is not. A file changed and held locked then leaves the
// menus as they are, to be built at the next opening.
TEST(TrayMenus, AMenuOpeningOnAMonitorOfAnotherDpiIsBuiltForItFirst)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\n[tool1]\nname=Editor\n");
    BuildToolsMenu();
    BuildProgramMenu();
    const UINT nSystem = traytest::State().m_nMenuDpi;
    const LONG nHeight = FontOf(ItemData(g_hToolsMenu, 2025)).lfHeight;
    const struct
    {
        UINT nDpi;
        bool bLocked;
        bool bBuilt;
        UINT nBuiltFor;
    } cases[] = {
        { nSystem, false, false, nSystem },
        { nSystem * 2, false, true, nSystem * 2 },
        { nSystem * 2, false, false, nSystem * 2 },
        { nSystem, true, false, nSystem * 2 },
        { nSystem, false, true, nSystem },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nDpi << (c.bLocked ? " locked" : ""));
        tessvald::CFileHandle held;
        if (c.bLocked) {
            settings.Write("[tools]\ncount=1\n[tool1]\nname=Editor\ndescription=Texte\n");
            held.Reset(CreateFileW(settings.IniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(held);
        }
        const HMENU hTools = g_hToolsMenu;
        const HMENU hProgram = g_hProgramMenu;
        PrepareMenusFor(c.nDpi);
        EXPECT_EQ(c.bBuilt, g_hToolsMenu != hTools);
        EXPECT_EQ(c.bBuilt, g_hProgramMenu != hProgram);
        EXPECT_EQ(L"2025 Editor|-|2024 Programme bearbeiten", DescribeMenu(g_hToolsMenu));
        EXPECT_EQ(c.nBuiltFor, ItemData(g_hToolsMenu, 2025)->m_nDpi);
        EXPECT_EQ(c.nBuiltFor, ItemData(g_hProgramMenu, IDM_EXIT)->m_nDpi);
        const LONG nScaled = MulDiv(nHeight, static_cast<int>(c.nBuiltFor), static_cast<int>(nSystem));
        EXPECT_EQ(nScaled, FontOf(ItemData(g_hToolsMenu, 2025)).lfHeight);
    }
}

#include "TrayTestSupport.h"

#include "support/MenuDriver.h"
#include "support/TextReport.h"
#include "support/Wine.h"
#include "tray/ConfigFileWatch.h"
#include "tray/IconFile.h"
#include "tray/MenuIcons.h"
#include "tray/TrayMenus.h"
#include "tray/TrayWindow.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::CMenuDriver;
using testsupport::ExeFolder;
using testsupport::Narrow;
using testsupport::PumpMessages;
using testsupport::WaitFor;
using traytest::CMainTestWindow;
using traytest::CPixelCanvas;
using traytest::CTraySettings;
using traytest::DrawEntry;
using traytest::IconCentreColour;
using traytest::ItemData;
using traytest::LoadedIcon;
using traytest::State;
using EState = CIconCache::CIcon::EState;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kLime = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

volatile LONG g_nLoads = 0;
HANDLE g_hReleaseLoads = nullptr;

HICON CountingLoad(const wchar_t* pszFile, LONG nIndex, const wchar_t* pszPath, int nWidth, int nHeight)
{
    InterlockedIncrement(&g_nLoads);
    return LoadEntryIcon(pszFile, nIndex, pszPath, nWidth, nHeight);
}

// Runs on the loader's thread: holds every load until the test lets go.
HICON HeldLoad(const wchar_t* pszFile, LONG nIndex, const wchar_t* pszPath, int nWidth, int nHeight)
{
    WaitForSingleObject(g_hReleaseLoads, 10000);
    return CountingLoad(pszFile, nIndex, pszPath, nWidth, nHeight);
}

// Counts the cache's loads for one test, optionally holding them back.
class CLoadSeam
{
public:
    explicit CLoadSeam(CIconCache::LoadFunction pfnLoad) : m_pfnPrevious(State().m_iconCache.GetLoadFunction())
    {
        g_nLoads = 0;
        g_hReleaseLoads = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        State().m_iconCache.SetLoadFunction(pfnLoad);
    }
    CLoadSeam(const CLoadSeam&) = delete;
    CLoadSeam& operator=(const CLoadSeam&) = delete;
    virtual ~CLoadSeam()
    {
        SetEvent(g_hReleaseLoads);
        State().m_iconCache.SetLoadFunction(m_pfnPrevious);
        CloseHandle(g_hReleaseLoads);
        g_hReleaseLoads = nullptr;
    }

    static void Release() { SetEvent(g_hReleaseLoads); }

private:
    CIconCache::LoadFunction m_pfnPrevious;
};

std::string IconModule()
{
    return Narrow(ExeFolder() + L"\\icongroups.dll");
}

std::string Tool(int n, const std::string& iconFile, int nIndex)
{
    return "[tool" + std::to_string(n) + "]\nname=Tool " + std::to_string(n) + "\niconfile=" + iconFile
        + "\niconindex=" + std::to_string(nIndex) + "\n";
}

bool IsDestroyed(HICON hIcon)
{
    ICONINFO info = {};
    if (!GetIconInfo(hIcon, &info))
        return true;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return false;
}

RECT IconArea(const MenuItemData* pData, const RECT& rcItem)
{
    const int nTop = rcItem.top + (rcItem.bottom - rcItem.top - pData->m_nIconHeight) / 2;
    return { rcItem.left + pData->m_nMargin, nTop, rcItem.left + pData->m_nMargin + pData->m_nIconWidth,
             nTop + pData->m_nIconHeight };
}

} // namespace

TEST(IconCache, EntriesShowingOneIconShareOneLoadAndOneHandleThatTheCacheDestroys)
{
    CTraySettings settings;
    SetEnvironmentVariableW(L"AMBERTILLE_ICONS", ExeFolder().c_str());
    std::string upper = IconModule();
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    settings.Write("[tools]\ncount=5\n" + Tool(1, IconModule(), 1) + Tool(2, IconModule(), 1)
                   + Tool(3, "%AMBERTILLE_ICONS%\\icongroups.dll", 1) + Tool(4, upper, 1) + Tool(5, IconModule(), 2));
    CLoadSeam seam(CountingLoad);
    BuildToolsMenu();
    EXPECT_EQ(0, g_nLoads) << "the menu is built from the records alone";

    const HICON hShared = LoadedIcon(ItemData(g_hToolsMenu, 2025));
    ASSERT_NE(nullptr, hShared);
    EXPECT_EQ(kLime, IconCentreColour(hShared, ItemData(g_hToolsMenu, 2025)->m_nIconWidth));
    for (UINT nCommand : { 2026u, 2027u, 2028u }) {
        SCOPED_TRACE(nCommand);
        EXPECT_EQ(hShared, LoadedIcon(ItemData(g_hToolsMenu, nCommand)));
    }
    const HICON hOther = LoadedIcon(ItemData(g_hToolsMenu, 2029));
    EXPECT_NE(hShared, hOther);
    EXPECT_EQ(2, g_nLoads);

    DestroyToolsMenu();
    EXPECT_TRUE(IsDestroyed(hShared));
    EXPECT_TRUE(IsDestroyed(hOther));
    EXPECT_EQ(0u, State().m_iconCache.Count());
    SetEnvironmentVariableW(L"AMBERTILLE_ICONS", nullptr);
}

// Whatever keeps an entry's icon from loading, it is tried once, and the
// entry shows the shell's icon for its path instead of a gap.
TEST(IconCache, AnIconThatCannotBeLoadedIsTriedOnceAndReplacedNotAtEveryDraw)
{
    CTraySettings settings;
    const std::wstring damaged = settings.File(L"damaged.dll");
    testsupport::WriteFileBytes(damaged, "MZ\x90\0 not a module at all, cut short");
    const std::wstring badIco = settings.File(L"bad.ico");
    testsupport::WriteFileBytes(badIco, std::string("\0\0\1\0\1\0", 6) + "garbage");
    const struct
    {
        const char* pszName;
        std::string iconFile;
    } cases[] = {
        { "missing file", Narrow(settings.File(L"missing.ico")) },
        { "damaged module", Narrow(damaged) },
        { "damaged icon file", Narrow(badIco) },
        { "index beyond the groups", IconModule() },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        settings.Write("[tools]\ncount=1\n" + Tool(1, c.iconFile, 9));
        CLoadSeam seam(CountingLoad);
        BuildToolsMenu();
        const MenuItemData* pData = ItemData(g_hToolsMenu, 2025);
        ASSERT_NE(nullptr, pData);
        CPixelCanvas canvas(120, 40);
        for (int i = 0; i < 3; ++i)
            DrawEntry(pData, canvas, { 0, 0, 120, 40 });
        EXPECT_EQ(1, g_nLoads);
        EXPECT_EQ(EState::Loaded, pData->m_pIcon->m_eState);
    }
}

// The colour of what the shell shows for a path at a size.
COLORREF ShellColour(const std::wstring& path, int nSize)
{
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info),
                   SHGFI_ICON | (nSize > GetSystemMetrics(SM_CXSMICON) ? SHGFI_LARGEICON : SHGFI_SMALLICON));
    tessvald::CIconHandle icon(info.hIcon);
    return icon ? IconCentreColour(icon.Get(), nSize) : CLR_INVALID;
}

// The picture of an entry: the group its index names, else what the shell
// shows for its path, else a generic program or document icon. The program
// with a red first icon is a copy of the test module under a program's
// name; Windows' shell shows that icon for it, Wine's its generic program
// icon.
TEST(MenuIcons, AnEntryShowsItsIconOrTheShellsIconForItsPath)
{
    testsupport::CTempDir dir;
    const std::wstring module = ExeFolder() + L"\\icongroups.dll";
    const std::wstring redProgram = dir.File(L"rot.exe");
    ASSERT_TRUE(CopyFileW(module.c_str(), redProgram.c_str(), FALSE));
    const std::wstring noGroups = dir.File(L"text.txt");
    ASSERT_TRUE(testsupport::WriteFileBytes(noGroups, "kein Modul"));
    const std::wstring badIco = dir.File(L"bad.ico");
    ASSERT_TRUE(testsupport::WriteFileBytes(badIco, std::string("\0\0\1\0\1\0", 6) + "garbage"));
    constexpr COLORREF kAny = CLR_INVALID;
    constexpr COLORREF kShell = 0xFF000000;  // whatever the shell shows for the path

    const struct
    {
        const char* pszCase;
        std::wstring iconFile;
        LONG nIndex;
        std::wstring path;
        COLORREF colour;
    } cases[] = {
        { "a resource number", module, -300, redProgram, kBlue },
        { "a number that names no group", module, -5, redProgram, kShell },
        { "no icon file", L"", 0, redProgram, kShell },
        { "a file without icon groups", noGroups, 0, redProgram, kShell },
        { "a damaged icon file", badIco, 0, redProgram, kShell },
        { "a missing program", dir.File(L"fehlt.ico"), 0, dir.File(L"fehlt.exe"), kAny },
        { "a missing document", L"", 0, dir.File(L"fehlt.ambzz"), kAny },
        { "no path at all", badIco, 0, L"", kAny },
    };
    for (const int nSize : { GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CXICON) }) {
        const COLORREF shellColour = ShellColour(redProgram, nSize);
        EXPECT_TRUE(shellColour == kRed || testsupport::IsWine());
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.pszCase << " at " << nSize);
            tessvald::CIconHandle icon(LoadEntryIcon(c.iconFile.c_str(), c.nIndex, c.path.c_str(), nSize, nSize));
            ASSERT_TRUE(icon);
            ICONINFO info = {};
            BITMAP bitmap = {};
            ASSERT_TRUE(GetIconInfo(icon.Get(), &info));
            GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            EXPECT_EQ(nSize, bitmap.bmWidth);
            if (c.colour != kAny) {
                EXPECT_EQ(c.colour == kShell ? shellColour : c.colour, IconCentreColour(icon.Get(), nSize));
            }
        }
    }
}

// The loader's thread asks the shell too (which wants COM there), and a
// negative index reaches the loaded picture through the cache.
TEST(MenuIcons, TheLoaderGivesNumberedGroupsAndTheShellsIcons)
{
    CTraySettings settings;
    const std::wstring redProgram = settings.File(L"rot.exe");
    ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\icongroups.dll").c_str(), redProgram.c_str(), FALSE));
    settings.Write("[tools]\ncount=2\n" + Tool(1, IconModule(), -300) + "[tool2]\nname=Rot\npath="
                   + Narrow(redProgram) + "\n");
    CMainTestWindow window;
    ASSERT_TRUE(WaitFor("no icon load pending", [] { return State().m_iconCache.PendingCount() == 0; }));
    const struct
    {
        UINT nCommand;
        COLORREF colour;
    } cases[] = { { 2025, kBlue }, { 2026, ShellColour(redProgram, ItemData(g_hToolsMenu, 2026)->m_nIconWidth) } };
    for (const auto& c : cases) {
        const MenuItemData* pData = ItemData(g_hToolsMenu, c.nCommand);
        ASSERT_NE(nullptr, pData);
        ASSERT_NE(nullptr, pData->m_pIcon);
        EXPECT_EQ(EState::Loaded, pData->m_pIcon->m_eState) << c.nCommand;
        EXPECT_EQ(c.colour, IconCentreColour(pData->m_pIcon->m_hIcon.Get(), pData->m_nIconWidth)) << c.nCommand;
    }
}

TEST(IconCache, ARebuildReleasesWhatOnlyTheOldMenuHeldAndKeepsWhatBothShow)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=2\n" + Tool(1, IconModule(), 0) + Tool(2, IconModule(), 1));
    CLoadSeam seam(CountingLoad);
    BuildToolsMenu();
    const HICON hRed = LoadedIcon(ItemData(g_hToolsMenu, 2025));
    const HICON hLime = LoadedIcon(ItemData(g_hToolsMenu, 2026));
    ASSERT_NE(nullptr, hRed);
    ASSERT_NE(nullptr, hLime);

    settings.Write("[tools]\ncount=2\n" + Tool(1, IconModule(), 1) + Tool(2, IconModule(), 2));
    BuildToolsMenu();
    EXPECT_TRUE(IsDestroyed(hRed));
    EXPECT_EQ(hLime, LoadedIcon(ItemData(g_hToolsMenu, 2025))) << "an icon both menus show is kept";
    EXPECT_EQ(2, g_nLoads);
    const HICON hBlue = LoadedIcon(ItemData(g_hToolsMenu, 2026));
    EXPECT_EQ(kBlue, IconCentreColour(hBlue, ItemData(g_hToolsMenu, 2026)->m_nIconWidth));
    // Lime, blue and the program's own icon of "Programme bearbeiten".
    EXPECT_EQ(3u, State().m_iconCache.Count());
}

TEST(MenuIcons, AnEntryDrawnBeforeItsIconArrivesShowsAPlaceholderAndIsRepaintedWithIt)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=0\n");
    RememberConfigFileState();
    // The window brings a cache of its own, which loads what its first
    // build asks for: the seam reaches it after, and the entry comes then.
    CMainTestWindow window;
    CLoadSeam seam(HeldLoad);
    settings.Write("[tools]\ncount=1\n" + Tool(1, IconModule(), 0));
    BuildToolsMenu();
    RememberConfigFileState();

    // On a canvas: the placeholder, and no trace of the icon yet.
    const MenuItemData* pData = ItemData(g_hToolsMenu, 2025);
    ASSERT_NE(nullptr, pData);
    const RECT rcItem = { 0, 0, 120, 40 };
    const RECT rcIcon = IconArea(pData, rcItem);
    CPixelCanvas before(120, 40);
    DrawEntry(pData, before, rcItem);
    EXPECT_FALSE(before.Holds(rcIcon, kRed));
    EXPECT_TRUE(before.Holds(rcIcon, State().m_palette.Colours().nGreyText));

    // In the open menu: drawn while the load is held, drawn again once it
    // arrived, without the user doing anything.
    {
        std::vector<EState> states;
        CMenuDriver driver;
        driver.WatchSent([&](const CWPSTRUCT& msg) {
            const auto* pDraw = reinterpret_cast<const DRAWITEMSTRUCT*>(msg.lParam);
            if (msg.message != WM_DRAWITEM || msg.hwnd != window.Get() || pDraw->itemID != 2025)
                return;
            const auto* pEntry = reinterpret_cast<const MenuItemData*>(pDraw->itemData);
            if (pEntry != nullptr && pEntry->m_pIcon != nullptr)
                states.push_back(pEntry->m_pIcon->m_eState);
        });
        // The held loads go once the menu is up; it closes once the entry
        // was drawn with its icon.
        driver.CloseWhen([&] {
            if (!states.empty())
                CLoadSeam::Release();
            return !states.empty() && states.back() == EState::Loaded;
        });
        window.Click(WM_LBUTTONUP);
        ASSERT_GE(states.size(), 2u);
        EXPECT_EQ(EState::Pending, states.front());
        EXPECT_EQ(EState::Loaded, states.back());
    }
    pData = ItemData(g_hToolsMenu, 2025);
    CPixelCanvas after(120, 40);
    DrawEntry(pData, after, rcItem);
    EXPECT_TRUE(after.Holds(rcIcon, kRed));
    ASSERT_TRUE(WaitFor("every icon loaded", [] { return State().m_iconCache.LoadedCount() == State().m_iconCache.Count(); }));
    EXPECT_EQ(1, g_nLoads) << "the entry's icon is loaded once";
}

TEST(MenuIcons, RebuildsLeaveNeitherIconsNorOtherObjectsBehind)
{
    CTraySettings settings;
    std::string ini = "[tools]\ncount=10\n";
    for (int n = 1; n <= 10; ++n)
        ini += Tool(n, IconModule(), n % 3);
    settings.Write(ini);
    // The seam counts in the window's own cache, from after its first build.
    CMainTestWindow window;
    CLoadSeam seam(CountingLoad);
    const auto allLoaded = [] { return State().m_iconCache.LoadedCount() == State().m_iconCache.Count(); };
    ASSERT_TRUE(WaitFor("every icon loaded", allLoaded));
    const std::size_t nIcons = State().m_iconCache.Count();
    const LONG nLoads = g_nLoads;
    const DWORD nGdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD nUser = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);

    for (int i = 0; i < 200; ++i) {
        BuildToolsMenu();
        BuildProgramMenu();
        PumpMessages();
    }
    ASSERT_TRUE(WaitFor("every icon loaded", allLoaded));
    // Three icons of the tools and the program's three; none loaded again.
    EXPECT_EQ(6u, nIcons);
    EXPECT_EQ(nIcons, State().m_iconCache.Count());
    EXPECT_EQ(nLoads, g_nLoads);
    // Where the platform counts its objects (Wine says 0), they stay put.
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), nGdi + 4);
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), nUser + 4);
}

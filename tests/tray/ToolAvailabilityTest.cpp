#include "TrayTestSupport.h"

#include "support/HungShare.h"
#include "support/TextReport.h"
#include "tray/ToolAvailability.h"
#include "tray/TrayMenus.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using testsupport::Narrow;
using traytest::CTraySettings;

namespace {

constexpr ULONG kTools = 6;

std::set<ULONG> GreyedTools()
{
    std::set<ULONG> greyed;
    for (ULONG n = 1; n <= kTools; ++n) {
        const UINT nState = GetMenuState(g_hToolsMenu, 2024 + n, MF_BYCOMMAND);
        if (nState != static_cast<UINT>(-1) && (nState & (MF_GRAYED | MF_DISABLED)) != 0)
            greyed.insert(n);
    }
    return greyed;
}

// Makes a folder look as if nothing had changed in it for an hour, the
// state of nearly every program folder at nearly every click.
void AgeFolder(const std::wstring& folder)
{
    HANDLE hFolder = CreateFileW(folder.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FILETIME ft = {};
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER time = { { ft.dwLowDateTime, ft.dwHighDateTime } };
    time.QuadPart -= 3600ULL * 10000000ULL;
    ft = { time.LowPart, time.HighPart };
    SetFileTime(hFolder, nullptr, nullptr, &ft);
    CloseHandle(hFolder);
}

} // namespace

TEST(EnableToolEntries, GreyingFollowsTheFilesFromClickToClickWhileAskingOnlyChangedFolders)
{
    CTraySettings settings;
    const std::wstring shared = settings.File(L"shared");
    const std::wstring alone = settings.File(L"alone");
    CreateDirectoryW(shared.c_str(), nullptr);
    CreateDirectoryW(alone.c_str(), nullptr);
    const std::wstring first = shared + L"\\first.exe";
    const std::wstring solo = alone + L"\\solo.exe";
    for (const std::wstring& file : { first, shared + L"\\second.exe", shared + L"\\third.exe", solo })
        testsupport::WriteFileBytes(file, "MZ");
    SetEnvironmentVariableW(L"AMBERTILLE_SHARED", shared.c_str());
    settings.Write("[tools]\ncount=6\n"
                   "[tool1]\nname=First\npath=" + Narrow(first) + "\n"
                   "[tool2]\nname=Second\npath=%AMBERTILLE_SHARED%\\second.exe\n"
                   "[tool3]\nname=Third\npath=" + Narrow(shared) + "\\third.exe\n"
                   "[tool4]\nname=Solo\npath=" + Narrow(solo) + "\n"
                   "[tool5]\nname=No path\n"
                   "[tool6]\nname=Unknown reference\npath=%AMBERTILLE_NOT_SET%\\first.exe\n");
    AgeFolder(shared);
    AgeFolder(alone);
    BuildToolsMenu();

    const struct
    {
        const char* pszStep;
        void (*pfnChange)(const std::wstring& first, const std::wstring& solo);
        std::set<ULONG> greyed;
    } steps[] = {
        { "first click", nullptr, { 5, 6 } },
        { "nothing changed", nullptr, { 5, 6 } },
        { "a tool deleted", [](const std::wstring& f, const std::wstring&) { DeleteFileW(f.c_str()); }, { 1, 5, 6 } },
        { "and made again", [](const std::wstring& f, const std::wstring&) { testsupport::WriteFileBytes(f, "MZ"); },
          { 5, 6 } },
        { "the lone tool deleted", [](const std::wstring&, const std::wstring& s) { DeleteFileW(s.c_str()); },
          { 4, 5, 6 } },
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.pszStep);
        if (step.pfnChange != nullptr)
            step.pfnChange(first, solo);
        EnableToolEntries();
        EXPECT_EQ(step.greyed, GreyedTools());
        EXPECT_FALSE(GetMenuState(g_hToolsMenu, 2024, MF_BYCOMMAND) & MF_GRAYED);
    }

    // An unchanged click: one look at the shared folder for its three
    // tools, one at the lone tool, one at the unexpandable path.
    AgeFolder(shared);
    EnableToolEntries();
    EnableToolEntries();
    EXPECT_EQ(3u, traytest::State().m_toolAvailability.GetLookupCount());
    SetEnvironmentVariableW(L"AMBERTILLE_SHARED", nullptr);
}

// A tool on a share whose server stopped answering holds neither the menu
// nor the greying of the others: it shows as last known (enabled), and a
// later click does not ask that share again while it is still busy.
TEST(EnableToolEntries, AShareThatStopsAnsweringHoldsNeitherTheMenuNorTheOtherTools)
{
    const std::wstring share = testsupport::HungSharePath();
    if (share.empty())
        GTEST_SKIP() << testsupport::kNoHungShare;
    CTraySettings settings;
    settings.Write("[tools]\ncount=2\n[tool1]\nname=Far\npath=" + Narrow(share) + "\\dead\\tool.exe\n"
                   "[tool2]\nname=Gone\npath=" + Narrow(settings.File(L"gone.exe")) + "\n");
    BuildToolsMenu();
    for (const char* pszClick : { "first click", "second click" }) {
        SCOPED_TRACE(pszClick);
        const DWORD nStart = GetTickCount();
        EnableToolEntries();
        EXPECT_LT(GetTickCount() - nStart, 3000u) << "the menu waited for the share";
        EXPECT_EQ(std::set<ULONG>{ 2 }, GreyedTools());
    }
    EXPECT_TRUE(traytest::State().m_toolAvailability.HasLookupsInFlight()) << "the share's look-up is still out";
}

#include "TrayTestSupport.h"

#include "support/DialogAutomation.h"
#include "support/TextReport.h"
#include "tray/ToolAvailability.h"
#include "tray/ToolLauncher.h"
#include "tray/TrayMenus.h"

#include <gtest/gtest.h>

using testsupport::CDialogAutomation;
using testsupport::MessageBoxText;
using testsupport::WindowText;
using traytest::CTraySettings;
using testsupport::Narrow;
using testsupport::ReportValue;
using testsupport::WaitForTextFile;

namespace {

// INI files hold backslashes as they are; the narrow test INI wants UTF-8.
std::string IniPath(const std::wstring& path)
{
    return Narrow(path);
}

std::wstring SystemText(DWORD nCode)
{
    wchar_t szText[1025] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, nCode, 0x400, szText, 1024,
                   nullptr);
    return szText;
}

bool IsGreyed(UINT nCommand)
{
    return (GetMenuState(g_hToolsMenu, nCommand, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) != 0;
}

} // namespace

TEST(FileExists, OnlyFilesThatCanBeOpenedCount)
{
    CTraySettings settings;
    const std::wstring file = settings.File(L"tool.exe");
    testsupport::WriteFileBytes(file, "MZ");
    struct
    {
        std::wstring path;
        bool bExpected;
    } const cases[] = {
        { file, true },
        { settings.File(L"missing.exe"), false },
        { settings.Folder(), false },
        { L"https://example.com/", false },
        { L"", false },
        { L"\"" + file + L"\"", false },
        { L"%TEMP%\\tool.exe", false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        EXPECT_EQ(c.bExpected, FileExists(c.path.c_str()));
    }
    EXPECT_FALSE(FileExists(nullptr));
}

TEST(EnableToolEntries, GreysEveryToolWhoseFileIsNotThere)
{
    CTraySettings settings;
    const std::wstring kept = settings.File(L"kept.exe");
    const std::wstring doomed = settings.File(L"doomed.exe");
    testsupport::WriteFileBytes(kept, "MZ");
    testsupport::WriteFileBytes(doomed, "MZ");
    settings.Write("[tools]\ncount=6\n"
                   "[tool1]\nname=Kept\npath=" + IniPath(kept) + "\n"
                   "[tool2]\nname=Doomed\npath=" + IniPath(doomed) + "\n"
                   "[tool3]\nname=Folder\npath=" + IniPath(settings.Folder()) + "\n"
                   "[tool4]\nname=Web\npath=https://example.com/\n"
                   "[tool5]\nname=Nothing\n"
                   "[tool6]\nname=@\n");
    BuildToolsMenu();
    EnableToolEntries();
    EXPECT_FALSE(IsGreyed(2025));
    EXPECT_FALSE(IsGreyed(2026));
    EXPECT_TRUE(IsGreyed(2027));
    EXPECT_TRUE(IsGreyed(2028));
    EXPECT_TRUE(IsGreyed(2029));
    EXPECT_FALSE(IsGreyed(2024));

    // The next showing sees the deleted file, without a rebuild.
    HMENU hBefore = g_hToolsMenu;
    DeleteFileW(doomed.c_str());
    EnableToolEntries();
    EXPECT_EQ(hBefore, g_hToolsMenu);
    EXPECT_FALSE(IsGreyed(2025));
    EXPECT_TRUE(IsGreyed(2026));
    EXPECT_FALSE(IsGreyed(2024));
}

TEST(EnableToolEntries, LeavesEntriesAloneWithoutACount)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\n[tool1]\nname=Ghost\npath=C:\\nowhere\\ghost.exe\n");
    BuildToolsMenu();
    settings.Write("[tools]\n[tool1]\nname=Ghost\npath=C:\\nowhere\\ghost.exe\n");
    EnableToolEntries();
    EXPECT_FALSE(IsGreyed(2025));
}

TEST(LaunchTool, StartsTheToolWithItsStoredParametersFolderAndShowMode)
{
    CTraySettings settings;
    const std::wstring recorder = testsupport::CopyRecorder(settings.Folder(), L"recorder");
    const std::wstring report = settings.File(L"recorder.txt");
    const std::wstring work = settings.File(L"work");
    CreateDirectoryW(work.c_str(), nullptr);
    wchar_t szOwnDir[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH, szOwnDir);

    struct
    {
        const char* pszName;
        std::string keys;
        std::wstring argsTail;
        std::wstring cwd;
        std::wstring show;
    } const cases[] = {
        { "everything given",
          "param=one \"two three\"\nworking=" + IniPath(work) + "\nshow=7\n",
          L" one \"two three\"", work, L"7" },
        { "nothing but the path", "", L"", szOwnDir, L"3" },
        { "minimized", "show=2\n", L"", szOwnDir, L"2" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        DeleteFileW(report.c_str());
        settings.Write("[tools]\ncount=1\n[tool1]\nname=Recorder\npath=" + IniPath(recorder) + "\n" + c.keys);
        LaunchTool(nullptr, 1);
        std::wstring text;
        ASSERT_TRUE(WaitForTextFile(report, &text, testsupport::kStartMs));
        const std::wstring args = ReportValue(text, L"args");
        EXPECT_NE(std::wstring::npos, args.find(L"recorder.exe")) << Narrow(args);
        const std::wstring tail = args.substr(args.find(L"recorder.exe") + 12);
        // Without parameters the command line ends with the program (and its quote).
        EXPECT_TRUE(tail == c.argsTail || tail == L"\"" + c.argsTail || (c.argsTail.empty() && tail == L" "))
            << Narrow(args);
        EXPECT_EQ(0, lstrcmpiW(c.cwd.c_str(), ReportValue(text, L"cwd").c_str())) << Narrow(ReportValue(text, L"cwd"));
        EXPECT_EQ(c.show, ReportValue(text, L"show"));
    }
}

TEST(LaunchTool, FailureNamesTheToolAndGivesTheSystemsReason)
{
    CTraySettings settings;
    const std::wstring document = settings.File(L"notes.unknownkind");
    testsupport::WriteFileBytes(document, "text");
    struct
    {
        const char* pszName;
        std::string tool;
        DWORD nCode;
        std::wstring name;
    } const cases[] = {
        { "missing program", "name=Ghost Writer\npath=" + IniPath(settings.File(L"ghost.exe")) + "\n",
          ERROR_FILE_NOT_FOUND, L"Ghost Writer" },
        // Not the system's text for 31, "a device is not functioning".
        { "document without a program", "name=Notes\npath=" + IniPath(document) + "\n", ERROR_NO_ASSOCIATION,
          L"Notes" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        settings.Write("[tools]\ncount=1\n[tool1]\n" + c.tool);
        std::wstring text;
        std::wstring caption;
        CDialogAutomation automation([&](HWND hWnd) {
            text = MessageBoxText(hWnd);
            caption = WindowText(hWnd);
            PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
        });
        LaunchTool(nullptr, 1);
        EXPECT_EQ(1, automation.Count());
        EXPECT_FALSE(automation.TimedOut());
        EXPECT_EQ(L"Ambertille", caption);
        const std::wstring expected =
            L"Programm \"" + c.name + L"\" konnte nicht gestartet werden!\n" + SystemText(c.nCode);
        // The box may show the system's line break as it is or trimmed.
        EXPECT_EQ(0u, text.find(expected.substr(0, expected.find_last_not_of(L"\r\n") + 1))) << Narrow(text);
        EXPECT_FALSE(SystemText(c.nCode).empty());
    }
}

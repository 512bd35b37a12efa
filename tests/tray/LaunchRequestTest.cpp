#include "RecordingShell.h"
#include "TrayTestSupport.h"

#include "support/DialogAutomation.h"
#include "support/TextReport.h"
#include "tray/ToolLauncher.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::CDialogAutomation;
using testsupport::Narrow;
using testsupport::ReportValue;
using testsupport::WaitForTextFile;
using traytest::CRecordingShell;
using traytest::CTraySettings;
using traytest::SShellCall;

namespace {

SShellCall& s_call = CRecordingShell::Call();

std::wstring Expand(const wchar_t* pszText)
{
    wchar_t szResult[2048] = {};
    ExpandEnvironmentStringsW(pszText, szResult, 2048);
    return szResult;
}

} // namespace

TEST(LaunchTool, HandsTheShellTheVerbAndTheExpandedPaths)
{
    CTraySettings settings;
    CRecordingShell shell;
    struct Case
    {
        const char* pszName;
        std::string keys;
        bool bElevate;
        const wchar_t* pszVerb;
        std::wstring file;
        std::wstring directory;
        std::wstring parameters;
    };
    const Case cases[] = {
        { "plain", "path=C:\\Tools\\a.exe\nparam=-x\n", false, L"open", L"C:\\Tools\\a.exe", L"", L"-x" },
        { "Ctrl+Shift", "path=C:\\Tools\\a.exe\n", true, L"runas", L"C:\\Tools\\a.exe", L"", L"" },
        { "always elevated", "path=C:\\Tools\\a.exe\nrunas=TRUE\n", false, L"runas", L"C:\\Tools\\a.exe", L"", L"" },
        { "runas off", "path=C:\\Tools\\a.exe\nrunas=FALSE\n", false, L"open", L"C:\\Tools\\a.exe", L"", L"" },
        // Parameters are the tool's business: they pass as stored.
        { "variables", "path=%WINDIR%\\notepad.exe\nworking=%TEMP%\nparam=%USERNAME%\n", false, L"open",
          Expand(L"%WINDIR%\\notepad.exe"), Expand(L"%TEMP%"), L"%USERNAME%" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        settings.Write("[tools]\ncount=1\n[tool1]\nname=A\n" + c.keys);
        s_call.nCalls = 0;
        LaunchTool(nullptr, 1, c.bElevate, CRecordingShell::Hook());
        ASSERT_EQ(1, s_call.nCalls);
        EXPECT_EQ(c.pszVerb, s_call.verb);
        EXPECT_EQ(c.file, s_call.file);
        EXPECT_EQ(c.directory, s_call.directory);
        EXPECT_EQ(c.parameters, s_call.parameters);
        EXPECT_NE(0u, s_call.fMask & SEE_MASK_FLAG_NO_UI) << "the shell's own box would show its codes";
    }
    EXPECT_NE(std::wstring::npos, cases[4].file.find(L"\\notepad.exe"));
    EXPECT_EQ(std::wstring::npos, cases[4].file.find(L'%'));
}

TEST(LaunchTool, ADeclinedPromptAndAToolWithoutPathShowNothing)
{
    CTraySettings settings;
    CRecordingShell shell;
    CDialogAutomation automation([](HWND hWnd) { PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0); });

    settings.Write("[tools]\ncount=1\n[tool1]\nname=Admin\npath=C:\\Tools\\a.exe\nrunas=TRUE\n");
    s_call.bResult = FALSE;
    s_call.nError = ERROR_CANCELLED;
    s_call.nInstApp = SE_ERR_ACCESSDENIED;
    LaunchTool(nullptr, 1, false, CRecordingShell::Hook());
    EXPECT_EQ(1, s_call.nCalls);

    // The file lost the tool after the menu was built.
    for (const char* pszFile : { "[tools]\ncount=1\n", "[tools]\ncount=1\n[tool1]\nname=Pathless\n" }) {
        settings.Write(pszFile);
        LaunchTool(nullptr, 1, false, CRecordingShell::Hook());
        LaunchTool(nullptr, 1, true, CRecordingShell::Hook());
    }
    EXPECT_EQ(1, s_call.nCalls) << "an empty path reached the shell";
    EXPECT_EQ(0, automation.Count());
}

// Wine has no elevation: its shell starts a "runas" tool as it opens one.
// Windows asks for consent first; either way the tool starts as stored.
TEST(LaunchTool, TheRunAsVerbStartsTheToolOnThisShell)
{
    CTraySettings settings;
    const std::wstring recorder = testsupport::CopyRecorder(settings.Folder(), L"elevated");
    settings.Write("[tools]\ncount=1\n[tool1]\nname=Elevated\nparam=lifted\nrunas=TRUE\npath=" + Narrow(recorder)
                   + "\n");
    LaunchTool(nullptr, 1);
    std::wstring report;
    ASSERT_TRUE(WaitForTextFile(settings.File(L"elevated.txt"), &report, testsupport::kStartMs));
    EXPECT_NE(std::wstring::npos, ReportValue(report, L"args").find(L" lifted")) << Narrow(report);
}

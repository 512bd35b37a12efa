#include "tray/Startup.h"

#include "TrayTestSupport.h"
#include "settings/CRecord.h"
#include "settings/SettingsBackup.h"
#include "settings/SettingsFile.h"
#include "support/InstanceMark.h"
#include "support/RegistryGuard.h"
#include "support/TempDir.h"
#include "support/TextReport.h"
#include "support/WindowRecorder.h"
#include "tray/AppGlobals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testsupport;
using tessvald::string::CString;

namespace {

const wchar_t* const kRefused = L"Das Programm l\u00e4uft bereits und kann nicht noch mal gestartet werden!";
const wchar_t* const kUnrecognised = L"Das Programm kann so nicht gestartet werden!";
const wchar_t* const kHelpTitle = L"Ambertille - Aufrufparameter";

enum class Action { Help, HelpFile, Install, Remove, Run, None };

// What the option tests make of a command line; several matches would be
// a fault of their own, reported as None.
Action Classify(const wchar_t* pszCommandLine, HKEY& hRoot)
{
    const CString commandLine(pszCommandLine);
    std::vector<Action> matches;
    if (IsHelpOption(commandLine))
        matches.push_back(Action::Help);
    if (IsHelpFileOption(commandLine))
        matches.push_back(Action::HelpFile);
    if (IsInstallOption(commandLine, hRoot))
        matches.push_back(Action::Install);
    if (IsRemoveOption(commandLine))
        matches.push_back(Action::Remove);
    if (IsRunOption(commandLine))
        matches.push_back(Action::Run);
    return matches.size() == 1 ? matches[0] : Action::None;
}

bool RunValueExists(HKEY hRoot)
{
    DWORD nType = 0;
    std::vector<BYTE> data;
    return ReadRegistryValue(hRoot, kRunKey, kRunValue, &nType, &data);
}

// Runs the whole program in this process and reports what it showed.
std::vector<ShownWindow> RunWith(const wchar_t* pszCommandLine)
{
    CWindowRecorder recorder;
    EXPECT_EQ(0, RunProgram(GetModuleHandleW(nullptr), pszCommandLine));
    EXPECT_FALSE(recorder.TimedOut());
    return recorder.Windows();
}

void ExpectOneBox(const std::vector<ShownWindow>& windows, const wchar_t* pszText)
{
    ASSERT_EQ(1u, windows.size());
    EXPECT_TRUE(windows[0].bMessageBox);
    EXPECT_EQ(L"Ambertille", windows[0].caption);
    EXPECT_EQ(pszText, windows[0].text);
}

void ExpectHelpScreen(const std::vector<ShownWindow>& windows)
{
    ASSERT_EQ(1u, windows.size());
    EXPECT_FALSE(windows[0].bMessageBox);
    EXPECT_EQ(kHelpTitle, windows[0].caption);
}

} // namespace

TEST(CommandLineOptions, WholeTrimmedLineIgnoringCase)
{
    const HKEY hUser = HKEY_CURRENT_USER;
    const HKEY hAll = HKEY_LOCAL_MACHINE;
    struct Case { const wchar_t* pszLine; Action expected; HKEY hRoot; };
    const Case cases[] = {
        { L"", Action::Help, hUser },
        { L" \t ", Action::Help, hUser },
        { L"-help", Action::Help, hUser },
        { L"-HeLp", Action::Help, hUser },
        { L"  -help\t", Action::Help, hUser },
        { L"-help me", Action::None, hUser },
        { L"--help", Action::None, hUser },
        { L"\"-help\"", Action::None, hUser },
        { L"/help", Action::None, hUser },
        { L"-helpfile", Action::HelpFile, hUser },
        { L" -HELPFILE ", Action::HelpFile, hUser },
        { L"-helpfile x", Action::None, hUser },
        { L"-install", Action::Install, hUser },
        { L"-install:all", Action::Install, hAll },
        { L"-INSTALL:ALL", Action::Install, hAll },
        { L" -install : all ", Action::Install, hAll },
        { L"\t-install\t:\tAll\t", Action::Install, hAll },
        { L"-install:", Action::Install, hUser },
        { L"-install: ", Action::Install, hUser },
        { L"-install:everyone", Action::Install, hUser },
        { L"-install:all:more", Action::Install, hUser },
        { L"-install::all", Action::Install, hUser },
        { L"-install:a ll", Action::Install, hUser },
        { L"-installall", Action::None, hUser },
        { L"-install all", Action::None, hUser },
        { L":all", Action::None, hUser },
        { L":", Action::None, hUser },
        { L"\"-install\"", Action::None, hUser },
        { L"\"-install:all\"", Action::None, hUser },
        { L"-remove", Action::Remove, hUser },
        { L"-REMOVE ", Action::Remove, hUser },
        { L"-remove now", Action::None, hUser },
        { L"-run", Action::Run, hUser },
        { L" -Run\t", Action::Run, hUser },
        { L"-run x", Action::None, hUser },
        { L"-run -run", Action::None, hUser },
        { L"\"-run\"", Action::None, hUser },
        { L"run", Action::None, hUser },
        { L"-r\u00fcn", Action::None, hUser },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "command line [" << c.pszLine << "]");
        HKEY hRoot = nullptr;
        EXPECT_EQ(c.expected, Classify(c.pszLine, hRoot));
        if (c.expected == Action::Install) {
            EXPECT_EQ(c.hRoot, hRoot);
        }
    }

    // A command line that the program never received reads as empty.
    EXPECT_TRUE(IsHelpOption(CString(static_cast<const wchar_t*>(nullptr))));
}

TEST(CommandLineActions, HelpScreenForEmptyLineAndHelp)
{
    const wchar_t* const lines[] = { nullptr, L"", L"  \t", L"-help", L" -HELP " };
    for (const wchar_t* pszLine : lines) {
        SCOPED_TRACE(pszLine != nullptr ? pszLine : L"(null)");
        ExpectHelpScreen(RunWith(pszLine));
    }
    // Start-up and tear-down leave no icon behind and name the program file.
    EXPECT_EQ(nullptr, g_hAppIcon);
    wchar_t szPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    EXPECT_STREQ(szPath, g_strModulePath.GetData());
}

TEST(CommandLineActions, UnrecognisedLinesAreReported)
{
    CRegistryValueGuard user(HKEY_CURRENT_USER, kRunKey, kRunValue);
    CRegistryValueGuard all(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
    const wchar_t* const lines[] = { L"--help", L"-help me", L"\"-run\"", L"-installall", L":all", L"-run now" };
    for (const wchar_t* pszLine : lines) {
        SCOPED_TRACE(pszLine);
        ExpectOneBox(RunWith(pszLine), kUnrecognised);
    }
    EXPECT_FALSE(RunValueExists(HKEY_CURRENT_USER));
    EXPECT_FALSE(RunValueExists(HKEY_LOCAL_MACHINE));
}

TEST(CommandLineActions, RunningInstanceRefusesAllButTheHelp)
{
    CRegistryValueGuard user(HKEY_CURRENT_USER, kRunKey, kRunValue);
    ASSERT_TRUE(SetRegistryText(HKEY_CURRENT_USER, kRunKey, kRunValue, L"\"C:\\before.exe\" -run"));
    CInstanceMark mark;
    ASSERT_NE(nullptr, mark.Get());

    const wchar_t* const refused[] = { L"-run", L"-install", L"-install:all", L"-remove", L"--help" };
    for (const wchar_t* pszLine : refused) {
        SCOPED_TRACE(pszLine);
        ExpectOneBox(RunWith(pszLine), kRefused);
    }
    // Neither the refused -install nor -remove touched the Run value.
    DWORD nType = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, kRunKey, kRunValue, &nType, &data));
    EXPECT_EQ(std::wstring(L"\"C:\\before.exe\" -run"), reinterpret_cast<const wchar_t*>(data.data()));
    EXPECT_FALSE(RunValueExists(HKEY_LOCAL_MACHINE));

    ExpectHelpScreen(RunWith(L"-help"));
    ExpectHelpScreen(RunWith(L""));
}

TEST(CommandLineActions, InstallAndRemoveWithoutAWord)
{
    CRegistryValueGuard user(HKEY_CURRENT_USER, kRunKey, kRunValue);
    CRegistryValueGuard all(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);

    EXPECT_TRUE(RunWith(L" -Install : ALL ").empty());
    EXPECT_TRUE(RunValueExists(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(RunValueExists(HKEY_CURRENT_USER));

    EXPECT_TRUE(RunWith(L"-install:someone").empty());
    EXPECT_FALSE(RunValueExists(HKEY_LOCAL_MACHINE));
    EXPECT_TRUE(RunValueExists(HKEY_CURRENT_USER));

    EXPECT_TRUE(RunWith(L"-remove").empty());
    EXPECT_FALSE(RunValueExists(HKEY_CURRENT_USER));
    // Nothing left to remove: still silent.
    EXPECT_TRUE(RunWith(L"-remove").empty());
}

// What the start of the tray tells in its balloon about the settings file:
// a lost one brought back, or the very first start in the folder, which
// writes a file so that it is told only once.
TEST(TrayStart, SettingsFileIsBroughtBackOrWrittenAtTheFirstStartOnly)
{
    const std::string backup = "[tools]\r\ncount=1\r\n[tool1]\r\nname=Gerettet\r\n";
    struct Case
    {
        const char* pszCase;
        const char* pszFile;    // null: missing
        const char* pszBackup;  // null: missing
        const wchar_t* pszNoticeHolds;  // empty: no notice
        bool bFileAfter;
    };
    const Case cases[] = {
        { "first start", nullptr, nullptr, L"Win+B", true },
        { "lost file with a backup", nullptr, backup.c_str(), L"ambertille.ini.bak", true },
        { "lost file, backup without text", nullptr, "", L"", false },
        { "a file with text", "[tools]\r\ncount=0\r\n", nullptr, L"", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszCase);
        traytest::CTraySettings settings;
        if (c.pszFile != nullptr) {
            ASSERT_TRUE(WriteFileBytes(settings.IniPath(), c.pszFile));
        }
        if (c.pszBackup != nullptr) {
            ASSERT_TRUE(WriteFileBytes(BackupPathOf(settings.IniPath().c_str()), c.pszBackup));
        }
        const std::wstring notice = PrepareSettingsFile().GetText();
        if (c.pszNoticeHolds[0] == L'\0')
            EXPECT_EQ(L"", notice);
        else
            EXPECT_NE(std::wstring::npos, notice.find(c.pszNoticeHolds)) << Narrow(notice);
        EXPECT_EQ(c.bFileAfter, FileExists(settings.IniPath()));
        EXPECT_EQ(L"", std::wstring(PrepareSettingsFile().GetText())) << "told again at the next start";
    }
    // The first start's file holds no list to keep: the first save still
    // starts the backup with the list it saves.
    traytest::CTraySettings settings;
    PrepareSettingsFile();
    CRecord record;
    record.SetName(L"Editor");
    record.SetPath(L"C:\\Windows\\notepad.exe");
    CRecord* rows[] = { &record };
    ASSERT_TRUE(SaveToolList(rows, 1, nullptr));
    const std::string kept = ReadFileBytes(BackupPathOf(settings.IniPath().c_str()));
    EXPECT_NE(std::wstring::npos,
              std::wstring(reinterpret_cast<const wchar_t*>(kept.data()), kept.size() / 2).find(L"name=Editor"));
}

#include "tray/HelpFile.h"

#include "support/ChildProcess.h"
#include "support/RegistryGuard.h"
#include "support/TempDir.h"
#include "tray/AppGlobals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

constexpr wchar_t kControlKey[] = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

// The lines that the stand-in control wrote beside itself; empty when it
// was never loaded.
std::vector<std::wstring> ControlLog(const std::wstring& controlPath)
{
    const std::string bytes = ReadFileBytes(controlPath + L".log");
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    std::vector<std::wstring> lines;
    size_t nStart = 0;
    for (size_t nEnd; (nEnd = text.find(L'\n', nStart)) != std::wstring::npos; nStart = nEnd + 1)
        lines.push_back(text.substr(nStart, nEnd - nStart));
    return lines;
}

// A folder with the probe program, the stand-in control under its own
// name and, on request, the help file that the probe's name asks for.
// The control's registration is put back when the test ends.
class HelpBindingTest : public testing::Test
{
protected:
    HelpBindingTest() : m_registration(HKEY_CLASSES_ROOT, kControlKey, nullptr)
    {
        CopyFileW((ExeFolder() + L"\\help_probe.exe").c_str(), Probe().c_str(), FALSE);
        CopyFileW((ExeFolder() + L"\\fake_hhctrl.dll").c_str(), Control().c_str(), FALSE);
    }

    std::wstring Probe() const { return m_dir.File(L"help_probe.exe"); }
    std::wstring Control() const { return m_dir.File(L"fake_hhctrl.dll"); }
    std::wstring HelpFile() const { return m_dir.File(L"help_probe.chm"); }
    const CTempDir& Dir() const { return m_dir; }

    void Plant(const std::wstring& name) const
    {
        CopyFileW((ExeFolder() + L"\\fake_hhctrl.dll").c_str(), m_dir.File(name).c_str(), FALSE);
    }

    // Runs the probe; its exit code, or -1 when it did not end.
    int RunProbe(const std::wstring& arguments, const CChildProcess::Environment& environment = {}) const
    {
        CChildProcess probe(Probe(), arguments, m_dir.Path(), environment);
        DWORD nExitCode = 0;
        const testing::AssertionResult ended = probe.Wait(testsupport::kStartMs, &nExitCode);
        EXPECT_TRUE(ended);
        return ended ? static_cast<int>(nExitCode) : -1;
    }

private:
    CTempDir m_dir;
    CRegistryValueGuard m_registration;
};

} // namespace

TEST(HelpFilePath, FollowsTheProgramFile)
{
    const tessvald::string::CString saved(g_strModulePath);
    struct Case { const wchar_t* pszModule; const wchar_t* pszHelp; };
    const Case cases[] = {
        { L"C:\\Tools\\ambertille.exe", L"C:\\Tools\\ambertille.chm" },
        { L"C:\\Tools\\Werkzeug.exe", L"C:\\Tools\\Werkzeug.chm" },
        { L"C:\\Amber Tille\\my.tool.exe", L"C:\\Amber Tille\\my.tool.chm" },
        { L"\\\\server\\share\\ambertille", L"\\\\server\\share\\ambertille.chm" },
    };
    for (const Case& c : cases) {
        g_strModulePath = c.pszModule;
        EXPECT_STREQ(c.pszHelp, GetHelpFilePath().GetData());
    }
    g_strModulePath = saved;
}

TEST(HelpFileClose, WithoutAWindowDoesNothing)
{
    g_bHelpShown = false;
    CloseHelpFile();
    EXPECT_FALSE(g_bHelpShown);
}

TEST_F(HelpBindingTest, RegisteredControlGetsTheHelpFileAndClosesIt)
{
    // The registered path is expanded when it is a REG_EXPAND_SZ.
    ASSERT_TRUE(SetRegistryText(HKEY_CLASSES_ROOT, kControlKey, nullptr, L"%AMBERTILLE_TEST_DIR%\\fake_hhctrl.dll",
                                REG_EXPAND_SZ));
    ASSERT_TRUE(WriteFileBytes(HelpFile(), "ITSF"));
    EXPECT_EQ(1, RunProbe(L"show", { { L"AMBERTILLE_TEST_DIR", Dir().Path() } }));

    const std::vector<std::wstring> expected = {
        L"attach",
        L"cmd=1 owner=1 file=" + HelpFile(),  // HH_DISPLAY_TOC, owned by the window
        L"cmd=18 owner=0 file=(null)",        // HH_CLOSE_ALL
    };
    EXPECT_EQ(expected, ControlLog(Control()));
}

TEST_F(HelpBindingTest, NoHelpWindowLeavesNothingToClose)
{
    ASSERT_TRUE(SetRegistryText(HKEY_CLASSES_ROOT, kControlKey, nullptr, Control()));
    // A file that is there but no help file: the viewer opens no window.
    ASSERT_TRUE(WriteFileBytes(HelpFile(), "MZ"));
    EXPECT_EQ(0, RunProbe(L"show"));
    const std::vector<std::wstring> expected = { L"attach", L"cmd=1 owner=1 file=" + HelpFile() };
    EXPECT_EQ(expected, ControlLog(Control()));
}

TEST_F(HelpBindingTest, PlantedControlBesideTheProgramIsNeverLoaded)
{
    Plant(L"hhctrl.ocx");
    ASSERT_TRUE(WriteFileBytes(HelpFile(), "ITSF"));
    CWineDllOrder nativeFirst(L"help_probe.exe", L"hhctrl.ocx", L"native,builtin");
    ASSERT_TRUE(nativeFirst.IsSet());

    // Without the safe search order the planted file would be loaded: the
    // check below can tell.
    ASSERT_EQ(0, RunProbe(L"bare"));
    ASSERT_FALSE(ControlLog(Dir().File(L"hhctrl.ocx")).empty());
    DeleteFileW((Dir().File(L"hhctrl.ocx") + L".log").c_str());

    // A registration by bare name is not followed either.
    ASSERT_TRUE(SetRegistryText(HKEY_CLASSES_ROOT, kControlKey, nullptr, L"fake_hhctrl.dll"));
    RunProbe(L"show");
    EXPECT_TRUE(ControlLog(Dir().File(L"hhctrl.ocx")).empty());
    EXPECT_TRUE(ControlLog(Control()).empty());
}

TEST_F(HelpBindingTest, FailedBindingIsRememberedForTheRun)
{
    ASSERT_TRUE(SetRegistryText(HKEY_CLASSES_ROOT, kControlKey, nullptr, Dir().File(L"missing\\hhctrl.ocx")));
    ASSERT_TRUE(WriteFileBytes(HelpFile(), "ITSF"));
    // With the system's control switched off nothing can be bound; a
    // control registered later in the same run is not tried.
    CWineDllOrder switchedOff(L"help_probe.exe", L"hhctrl.ocx", L"");
    ASSERT_TRUE(switchedOff.IsSet());
    const int nResult = RunProbe(L"retry \"" + Control() + L"\"");
    EXPECT_EQ(0, nResult);
    EXPECT_TRUE(ControlLog(Control()).empty());
}

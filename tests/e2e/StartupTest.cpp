// The built program, copied into a folder of its own, started with a
// command line in the shared desktop and watched from outside.
#include "TrayProcess.h"

#include "support/ChildProcess.h"
#include "support/InstanceMark.h"
#include "support/RegistryGuard.h"
#include "support/TempDir.h"
#include "support/TextReport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

constexpr DWORD kTimeoutMs = 30000;
constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"AmbertilleWatchDog";
constexpr wchar_t kTestProgId[] = L"AmbertilleTest.HelpFile";

// A copy of the program under the given name in a fresh folder whose name
// has a blank, as "Program Files" has.
class CProgramCopy
{
public:
    explicit CProgramCopy(const std::wstring& name = L"ambertille.exe")
    {
        m_folder = m_dir.File(L"Amber Tille");
        CreateDirectoryW(m_folder.c_str(), nullptr);
        m_path = m_folder + L"\\" + name;
        m_bCopied = CopyFileW((ExeFolder() + L"\\ambertille.exe").c_str(), m_path.c_str(), FALSE) != FALSE;
    }

    bool Copied() const { return m_bCopied; }
    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_folder + L"\\" + name; }
    const std::wstring& Folder() const { return m_folder; }

private:
    CTempDir m_dir;
    std::wstring m_folder;
    std::wstring m_path;
    bool m_bCopied;
};

// Lets help files open with the recording opener instead of the viewer
// for as long as it lives.
class CHelpFileOpener
{
public:
    explicit CHelpFileOpener(const std::wstring& logPath) : m_extension(HKEY_CLASSES_ROOT, L".chm", nullptr)
    {
        const std::wstring command = L"\"" + ExeFolder() + L"\\chm_opener.exe\" \"" + logPath + L"\" \"%1\"";
        m_bSet = SetRegistryText(HKEY_CLASSES_ROOT, std::wstring(kTestProgId) + L"\\shell\\open\\command", nullptr,
                                 command)
            && SetRegistryText(HKEY_CLASSES_ROOT, L".chm", nullptr, kTestProgId);
    }
    CHelpFileOpener(const CHelpFileOpener&) = delete;
    CHelpFileOpener& operator=(const CHelpFileOpener&) = delete;
    virtual ~CHelpFileOpener() { RegDeleteTreeW(HKEY_CLASSES_ROOT, kTestProgId); }

    bool IsSet() const { return m_bSet; }

private:
    CRegistryValueGuard m_extension;
    bool m_bSet;
};

std::wstring MessageBoxTextOf(HWND hBox)
{
    return RemoteWindowText(GetDlgItem(hBox, 0xFFFF));
}

// Waits for the program's error box, reads it and closes it with OK.
std::wstring TakeErrorBox(const CChildProcess& program)
{
    HWND hBox = WaitForProcessWindow(program.Id(), L"#32770", L"Ambertille", kTimeoutMs);
    if (hBox == nullptr)
        return L"<no box>";
    const std::wstring text = MessageBoxTextOf(hBox);
    PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    return text;
}

DWORD ExitCodeOf(CChildProcess& program)
{
    DWORD nExitCode = 0;
    return program.Wait(kTimeoutMs, &nExitCode) ? nExitCode : 0xDEADu;
}

bool ReadRunValue(HKEY hRoot, std::wstring* pData, size_t* pBytes)
{
    DWORD nType = 0;
    std::vector<BYTE> data;
    if (!ReadRegistryValue(hRoot, kRunKey, kRunValue, &nType, &data) || nType != REG_SZ)
        return false;
    *pBytes = data.size();
    *pData = reinterpret_cast<const wchar_t*>(data.data());
    return true;
}

std::wstring ReadWideFile(const std::wstring& path)
{
    const std::string bytes = ReadFileBytes(path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

bool WaitForFile(const std::wstring& path, DWORD nTimeoutMs)
{
    const DWORD nStart = GetTickCount();
    while (!FileExists(path) && GetTickCount() - nStart < nTimeoutMs)
        PumpFor(100);
    PumpFor(300);  // let the writer finish
    return FileExists(path);
}

} // namespace

TEST(ProgramEndToEnd, UnrecognisedCommandLineIsReportedAndEndsWithZero)
{
    CProgramCopy program;
    ASSERT_TRUE(program.Copied());
    CChildProcess run(program.Path(), L"--help", program.Folder());
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(L"Das Programm kann so nicht gestartet werden!", TakeErrorBox(run));
    EXPECT_EQ(0u, ExitCodeOf(run));
}

TEST(ProgramEndToEnd, SecondInstanceIsRefused)
{
    CProgramCopy program;
    ASSERT_TRUE(program.Copied());
    CRegistryValueGuard user(HKEY_CURRENT_USER, kRunKey, kRunValue);
    CInstanceMark mark;
    ASSERT_NE(nullptr, mark.Get());

    for (const wchar_t* pszLine : { L"-run", L"-install" }) {
        SCOPED_TRACE(pszLine);
        CChildProcess run(program.Path(), pszLine, program.Folder());
        ASSERT_TRUE(run.Started());
        EXPECT_EQ(L"Das Programm l\u00e4uft bereits und kann nicht noch mal gestartet werden!", TakeErrorBox(run));
        EXPECT_EQ(0u, ExitCodeOf(run));
    }
    std::wstring data;
    size_t nBytes = 0;
    EXPECT_FALSE(ReadRunValue(HKEY_CURRENT_USER, &data, &nBytes));
}

TEST(ProgramEndToEnd, HelpScreenNamesTheProgramFile)
{
    CProgramCopy program(L"Werkzeug.exe");
    ASSERT_TRUE(program.Copied());
    CChildProcess run(program.Path(), L"", program.Folder());
    ASSERT_TRUE(run.Started());
    HWND hDlg = WaitForProcessWindow(run.Id(), L"#32770", L"Ambertille - Aufrufparameter", kTimeoutMs);
    ASSERT_NE(nullptr, hDlg);
    EXPECT_EQ(L"Werkzeug.exe [option]", RemoteWindowText(GetDlgItem(hDlg, 402)));
    PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    EXPECT_EQ(0u, ExitCodeOf(run));
}

TEST(ProgramEndToEnd, InstallAndRemoveTheRunValue)
{
    CProgramCopy program;
    ASSERT_TRUE(program.Copied());
    CRegistryValueGuard user(HKEY_CURRENT_USER, kRunKey, kRunValue);
    CRegistryValueGuard all(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
    const std::wstring expected = L"\"" + program.Path() + L"\" -run";

    struct Step { const wchar_t* pszLine; bool bUser; bool bAll; };
    const Step steps[] = {
        { L"-install", true, false },
        { L"-install", true, false },
        { L"-install:all", false, true },
        { L"-install", true, false },
        { L"-remove", false, false },
        { L"-remove", false, false },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.pszLine);
        CChildProcess run(program.Path(), step.pszLine, program.Folder());
        ASSERT_TRUE(run.Started());
        EXPECT_EQ(0u, ExitCodeOf(run));
        for (HKEY hRoot : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE }) {
            const bool bExpected = hRoot == HKEY_CURRENT_USER ? step.bUser : step.bAll;
            std::wstring data;
            size_t nBytes = 0;
            ASSERT_EQ(bExpected, ReadRunValue(hRoot, &data, &nBytes));
            if (!bExpected)
                continue;
            EXPECT_EQ(expected, data);
            EXPECT_EQ((expected.size() + 1) * sizeof(wchar_t), nBytes);
        }
    }
}

TEST(ProgramEndToEnd, HelpFileOptionOpensTheFileNamedLikeTheProgram)
{
    CProgramCopy program(L"Werkzeug.exe");
    ASSERT_TRUE(program.Copied());
    ASSERT_TRUE(WriteFileBytes(program.File(L"Werkzeug.chm"), "ITSF"));
    const std::wstring log = program.File(L"opened.txt");
    CHelpFileOpener opener(log);
    ASSERT_TRUE(opener.IsSet());
    // The help file opens even while the tray application runs.
    CInstanceMark mark;

    CChildProcess run(program.Path(), L" -HelpFile ", program.Folder());
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(0u, ExitCodeOf(run));
    ASSERT_TRUE(WaitForFile(log, kTimeoutMs));
    EXPECT_EQ(program.File(L"Werkzeug.chm"), ReadWideFile(log));
}

TEST(ProgramEndToEnd, MissingHelpFileEndsQuietly)
{
    CProgramCopy program;
    ASSERT_TRUE(program.Copied());
    const std::wstring log = program.File(L"opened.txt");
    CHelpFileOpener opener(log);
    ASSERT_TRUE(opener.IsSet());

    CChildProcess run(program.Path(), L"-helpfile", program.Folder());
    ASSERT_TRUE(run.Started());
    // Whatever the shell says about the missing file, the program adds no
    // box of its own and ends.
    DWORD nExitCode = 0xDEADu;
    const DWORD nStart = GetTickCount();
    while (!run.Wait(500, &nExitCode) && GetTickCount() - nStart < kTimeoutMs) {
        EXPECT_EQ(nullptr, WaitForProcessWindow(run.Id(), L"#32770", L"Ambertille", 0));
        HWND hShellBox = FindWindowW(L"#32770", nullptr);
        DWORD nOwner = 0;
        GetWindowThreadProcessId(hShellBox, &nOwner);
        if (hShellBox != nullptr && nOwner == run.Id())
            PostMessageW(hShellBox, WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(0u, nExitCode);
    EXPECT_FALSE(FileExists(log));
}

// Libraries named like the system's beside the program (a Downloads folder,
// a stick) are never loaded, also when the program does what needs the
// real ones: the help (hhctrl), the About box (version, and the dialogs'
// common controls, which bring in uxtheme). Wine would always take its own
// libraries, so "native first" is set for each name, as Windows would look
// beside the program first for the ones that are not its known DLLs.
TEST(ProgramEndToEnd, PlantedSystemLibrariesAreNeverLoaded)
{
    const wchar_t* const names[] = { L"hhctrl.ocx", L"version.dll", L"uxtheme.dll" };
    CProgramCopy program;
    ASSERT_TRUE(program.Copied());
    std::vector<std::unique_ptr<CWineDllOrder>> nativeFirst;
    for (const wchar_t* pszName : names) {
        ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\fake_hhctrl.dll").c_str(), program.File(pszName).c_str(), FALSE));
        nativeFirst.push_back(std::make_unique<CWineDllOrder>(L"ambertille.exe", pszName, L"native,builtin"));
        ASSERT_TRUE(nativeFirst.back()->IsSet());
    }

    CChildProcess run(program.Path(), L"-run", program.Folder());
    ASSERT_TRUE(run.Started());
    HWND hTray = nullptr;
    ASSERT_TRUE(e2e::WaitUntil(kTimeoutMs, [&] {
        HWND hWnd = FindWindowW(L"AmbertilleWindowClass", L"Ambertille");
        DWORD nOwner = 0;
        GetWindowThreadProcessId(hWnd, &nOwner);
        hTray = nOwner == run.Id() ? hWnd : nullptr;
        return hTray != nullptr;
    })) << "the tray did not start";

    PostMessageW(hTray, WM_HELP, 0, 0);
    PostMessageW(hTray, WM_USER + 100, 0, WM_RBUTTONUP);
    HWND hMenu = e2e::WaitForProcessWindow(run.Id(), L"#32768", kTimeoutMs);
    ASSERT_NE(nullptr, hMenu) << "the program menu did not open";
    e2e::SendKeys(hMenu, { VK_DOWN, VK_RETURN });
    HWND hAbout = e2e::WaitForProcessWindow(run.Id(), L"#32770", kTimeoutMs);
    ASSERT_NE(nullptr, hAbout) << "the About box did not open";
    PostMessageW(hAbout, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    EXPECT_TRUE(e2e::WaitForNoProcessWindow(run.Id(), L"#32770", kTimeoutMs));
    PostMessageW(hTray, WM_CLOSE, 0, 0);
    EXPECT_TRUE(run.Wait(kTimeoutMs));
    for (const wchar_t* pszName : names)
        EXPECT_FALSE(FileExists(program.File(std::wstring(pszName) + L".log"))) << Narrow(pszName);
}

// The built program, copied into a folder of its own, started with a
// command line in the shared desktop and watched from outside.
#include "TrayProcess.h"

#include "support/ChildProcess.h"
#include "support/InstanceMark.h"
#include "support/RegistryGuard.h"
#include "support/TempDir.h"
#include "support/TextReport.h"
#include "support/Wine.h"
#include "foundation/ScopedHandle.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
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

TEST(ProgramEndToEnd, MissingHelpFileIsNamedWithItsFolder)
{
    CProgramCopy program(L"Werkzeug.exe");
    ASSERT_TRUE(program.Copied());
    const std::wstring log = program.File(L"opened.txt");
    CHelpFileOpener opener(log);
    ASSERT_TRUE(opener.IsSet());

    CChildProcess run(program.Path(), L"-helpfile", program.Folder());
    ASSERT_TRUE(run.Started());
    // The box names the file the program looked for and the folder.
    const std::wstring text = TakeErrorBox(run);
    EXPECT_NE(std::wstring::npos, text.find(L"\u201EWerkzeug.chm\u201C")) << Narrow(text);
    EXPECT_NE(std::wstring::npos, text.find(L"\n" + program.Folder() + L"\\")) << Narrow(text);
    EXPECT_EQ(0u, ExitCodeOf(run));
    EXPECT_FALSE(FileExists(log));
}

// The libraries the program file imports the usual way, upper case: they
// are looked for when it starts, before any of its code runs.
std::set<std::wstring> ImportedLibraries(const std::wstring& path)
{
    std::set<std::wstring> names;
    const tessvald::CModuleHandle image(LoadLibraryExW(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES));
    if (!image)
        return names;
    const auto* pBase = reinterpret_cast<const BYTE*>(image.Get());
    const auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(pBase);
    const auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* pEntry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(pBase + imports.VirtualAddress);
         imports.VirtualAddress != 0 && pEntry->Name != 0; ++pEntry) {
        std::string name(reinterpret_cast<const char*>(pBase + pEntry->Name));
        std::wstring wide(name.begin(), name.end());
        CharUpperW(&wide[0]);
        names.insert(wide);
    }
    return names;
}

// Libraries named like the system's beside the program (a Downloads folder,
// a stick) are never loaded, also when the program does what needs the
// real ones: the help (hhctrl), the About box (version, and the dialogs'
// common controls, which bring in uxtheme). Windows looks beside the
// program first for the libraries that are not its known ones; Wine would
// always take its own, so "native first" is set for each name. Wine's own
// user32 imports version and its comctl32 loads uxtheme late, both from
// the program's folder first whatever the program asked for: under Wine
// those two are left out, and the program's imports show that it brings in
// nothing but the system's known libraries when it starts.
TEST(ProgramEndToEnd, PlantedSystemLibrariesAreNeverLoaded)
{
    CProgramCopy program;
    ASSERT_TRUE(program.Copied());
    EXPECT_EQ((std::set<std::wstring>{ L"ADVAPI32.DLL", L"GDI32.DLL", L"KERNEL32.DLL", L"MSVCRT.DLL", L"USER32.DLL" }),
              ImportedLibraries(program.Path()));

    // Wine names a ".dll" in its load orders without the extension.
    const struct
    {
        const wchar_t* pszFile;
        const wchar_t* pszOrderName;
        bool bWineLoadsItItself;
    } libraries[] = { { L"hhctrl.ocx", L"hhctrl.ocx", false },
                      { L"version.dll", L"version", true },
                      { L"uxtheme.dll", L"uxtheme", true } };
    std::vector<std::wstring> planted;
    std::vector<std::unique_ptr<CWineDllOrder>> nativeFirst;
    for (const auto& library : libraries) {
        if (library.bWineLoadsItItself && IsWine())
            continue;
        ASSERT_TRUE(
            CopyFileW((ExeFolder() + L"\\fake_hhctrl.dll").c_str(), program.File(library.pszFile).c_str(), FALSE));
        planted.push_back(library.pszFile);
        nativeFirst.push_back(
            std::make_unique<CWineDllOrder>(L"ambertille.exe", library.pszOrderName, L"native,builtin"));
        ASSERT_TRUE(nativeFirst.back()->IsSet());
    }

    // With a help file only: a missing one is reported without the viewer.
    ASSERT_TRUE(WriteFileBytes(program.File(L"ambertille.chm"), "ITSF"));
    CChildProcess run(program.Path(), L"-run", program.Folder());
    ASSERT_TRUE(run.Started());
    HWND hTray = nullptr;
    const bool bStarted = e2e::WaitUntil(kTimeoutMs, [&] {
        HWND hWnd = FindWindowW(L"AmbertilleWindowClass", L"Ambertille");
        DWORD nOwner = 0;
        GetWindowThreadProcessId(hWnd, &nOwner);
        hTray = nOwner == run.Id() ? hWnd : nullptr;
        return hTray != nullptr;
    });
    EXPECT_TRUE(bStarted) << "the tray did not start (a planted library may have stopped it)";
    if (bStarted) {
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
    }
    for (const std::wstring& name : planted)
        EXPECT_FALSE(FileExists(program.File(name + L".log"))) << Narrow(name);
}

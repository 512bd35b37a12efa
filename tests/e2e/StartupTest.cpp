// The built program, copied into a folder of its own, started with a
// command line in the shared desktop and watched from outside.
#include "TrayProcess.h"

#include "support/InstanceMark.h"
#include "support/RegistryGuard.h"
#include "support/TempDir.h"
#include "support/TextReport.h"
#include "support/UserInput.h"
#include "support/Wine.h"
#include "foundation/ScopedHandle.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace testsupport;
using e2e::CTrayProcess;
using e2e::kBoxClass;

namespace {

constexpr wchar_t kTestProgId[] = L"AmbertilleTest.HelpFile";

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

// Waits for the program's error box, reads it and closes it with OK.
std::wstring TakeErrorBox(const CTrayProcess& program)
{
    HWND hBox = nullptr;
    EXPECT_TRUE(program.WaitForShown(kBoxClass, &hBox, L"Ambertille"));
    if (hBox == nullptr)
        return L"<no box>";
    const std::wstring text = RemoteWindowText(GetDlgItem(hBox, 0xFFFF));
    PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    return text;
}

DWORD ExitCodeOf(CTrayProcess& program)
{
    DWORD nExitCode = 0;
    EXPECT_TRUE(program.WaitForExit(0, &nExitCode));
    return nExitCode;
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

} // namespace

TEST(ProgramEndToEnd, UnrecognisedCommandLineIsReportedAndEndsWithZero)
{
    CTrayProcess program;
    ASSERT_TRUE(program.Start(L"--help"));
    EXPECT_EQ(L"Das Programm kann so nicht gestartet werden!", TakeErrorBox(program));
    EXPECT_EQ(0u, ExitCodeOf(program));
}

TEST(ProgramEndToEnd, SecondInstanceIsRefused)
{
    CRegistryValueGuard user(HKEY_CURRENT_USER, kRunKey, kRunValue);
    CInstanceMark mark;
    ASSERT_NE(nullptr, mark.Get());

    for (const wchar_t* pszLine : { L"-run", L"-install" }) {
        SCOPED_TRACE(pszLine);
        CTrayProcess program;
        ASSERT_TRUE(program.Start(pszLine));
        EXPECT_EQ(L"Das Programm l\u00e4uft bereits und kann nicht noch mal gestartet werden!", TakeErrorBox(program));
        EXPECT_EQ(0u, ExitCodeOf(program));
    }
    std::wstring data;
    size_t nBytes = 0;
    EXPECT_FALSE(ReadRunValue(HKEY_CURRENT_USER, &data, &nBytes));
}

TEST(ProgramEndToEnd, HelpScreenNamesTheProgramFile)
{
    CTrayProcess program("", L"Werkzeug.exe");
    ASSERT_TRUE(program.Start(L""));
    HWND hDlg = nullptr;
    ASSERT_TRUE(program.WaitForShown(kBoxClass, &hDlg, L"Ambertille - Aufrufparameter"));
    EXPECT_EQ(L"Werkzeug.exe [option]", RemoteWindowText(GetDlgItem(hDlg, 402)));
    PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    EXPECT_EQ(0u, ExitCodeOf(program));
}

TEST(ProgramEndToEnd, InstallAndRemoveTheRunValue)
{
    CRegistryValueGuard user(HKEY_CURRENT_USER, kRunKey, kRunValue);
    CRegistryValueGuard all(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
    struct Step { const wchar_t* pszLine; bool bUser; bool bAll; };
    const Step steps[] = {
        { L"-install", true, false },
        { L"-install", true, false },
        { L"-install:all", false, true },
        { L"-install", true, false },
        { L"-remove", false, false },
        { L"-remove", false, false },
    };
    CTrayProcess program;
    const std::wstring expected = L"\"" + program.Exe() + L"\" -run";
    for (const Step& step : steps) {
        SCOPED_TRACE(step.pszLine);
        ASSERT_TRUE(program.Start(step.pszLine));
        DWORD nExitCode = 1;
        EXPECT_TRUE(program.WaitForExit(program.Latest(), &nExitCode));
        EXPECT_EQ(0u, nExitCode);
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
    CTrayProcess program("", L"Werkzeug.exe");
    ASSERT_TRUE(WriteFileBytes(program.File(L"Werkzeug.chm"), "ITSF"));
    const std::wstring log = program.File(L"opened.txt");
    CHelpFileOpener opener(log);
    ASSERT_TRUE(opener.IsSet());
    // The help file opens even while the tray application runs.
    CInstanceMark mark;

    ASSERT_TRUE(program.Start(L" -HelpFile "));
    EXPECT_EQ(0u, ExitCodeOf(program));
    std::wstring opened;
    ASSERT_TRUE(WaitForTextFile(log, &opened));
    EXPECT_EQ(program.File(L"Werkzeug.chm"), opened);
}

TEST(ProgramEndToEnd, MissingHelpFileIsNamedWithItsFolder)
{
    CTrayProcess program("", L"Werkzeug.exe");
    const std::wstring log = program.File(L"opened.txt");
    CHelpFileOpener opener(log);
    ASSERT_TRUE(opener.IsSet());

    ASSERT_TRUE(program.Start(L"-helpfile"));
    // The box names the file the program looked for and the folder.
    const std::wstring text = TakeErrorBox(program);
    EXPECT_NE(std::wstring::npos, text.find(L"\u201EWerkzeug.chm\u201C")) << Narrow(text);
    EXPECT_NE(std::wstring::npos, text.find(L"\n" + program.Folder() + L"\\")) << Narrow(text);
    EXPECT_EQ(0u, ExitCodeOf(program));
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
    CTrayProcess program;
    EXPECT_EQ((std::set<std::wstring>{ L"ADVAPI32.DLL", L"GDI32.DLL", L"KERNEL32.DLL", L"MSVCRT.DLL", L"USER32.DLL" }),
              ImportedLibraries(program.Exe()));

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
    ASSERT_TRUE(program.Start());
    const testing::AssertionResult started = program.WaitForWindow();
    EXPECT_TRUE(started) << "a planted library may have stopped the tray";
    if (started) {
        PostMessageW(program.Window(), WM_HELP, 0, 0);
        HWND hMenu = nullptr;
        ASSERT_TRUE(program.OpenMenu(WM_RBUTTONUP, &hMenu));
        PostKeys(hMenu, { VK_DOWN, VK_RETURN });
        HWND hAbout = nullptr;
        ASSERT_TRUE(program.WaitForShown(kBoxClass, &hAbout)) << "the About box did not open";
        PostMessageW(hAbout, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
        EXPECT_TRUE(program.WaitForGone(kBoxClass));
        PostMessageW(program.Window(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(program.WaitForExit());
    }
    for (const std::wstring& name : planted)
        EXPECT_FALSE(FileExists(program.File(name + L".log"))) << Narrow(name);
}

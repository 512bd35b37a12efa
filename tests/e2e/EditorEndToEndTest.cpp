// The road of an edit through the running program: from the tray icon into
// the list editor, a dropped shortcut, "&Speichern", and the tools menu of
// the next click holding the new tool and starting it.
#include "TrayProcess.h"

#include "support/Shortcut.h"
#include "support/TempDir.h"
#include "support/TextReport.h"
#include "support/UserInput.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace e2e;
using namespace testsupport;

namespace {

constexpr int kSaveButton = 301;

// Up from no selection reaches the last entry; Enter chooses.
void ChooseFromBottom(HWND hMenu, size_t nUp)
{
    std::vector<UINT> keys(nUp, VK_UP);
    keys.push_back(VK_RETURN);
    PostKeys(hMenu, keys);
}

LONG HeightOf(HWND hWnd)
{
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    return rc.bottom - rc.top;
}

// A drop from the shell hands the receiving window a DROPFILES block that
// lives in its own process; a fixed block is read through its address.
bool DropOn(HWND hWnd, const std::wstring& file)
{
    std::vector<BYTE> block(sizeof(DROPFILES) + (file.size() + 2) * sizeof(wchar_t), 0);
    DROPFILES header = {};
    header.pFiles = sizeof(header);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof(header));
    std::memcpy(block.data() + sizeof(header), file.c_str(), file.size() * sizeof(wchar_t));
    DWORD nProcessId = 0;
    GetWindowThreadProcessId(hWnd, &nProcessId);
    HANDLE hProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, nProcessId);
    if (hProcess == nullptr)
        return false;
    auto* pRemote = static_cast<BYTE*>(
        VirtualAllocEx(hProcess, nullptr, block.size() + 64, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    const bool bWritten = pRemote != nullptr
        && WriteProcessMemory(hProcess, pRemote + 64, block.data(), block.size(), nullptr);
    CloseHandle(hProcess);
    return bWritten && PostMessageW(hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(pRemote + 64), 0);
}

std::wstring ReadSetting(const std::wstring& file, const wchar_t* pszSection, const wchar_t* pszKey)
{
    wchar_t szValue[1024] = {};
    GetPrivateProfileStringW(pszSection, pszKey, L"", szValue, 1024, file.c_str());
    return szValue;
}

std::wstring CommandProcessor()
{
    wchar_t szFolder[MAX_PATH] = {};
    GetSystemDirectoryW(szFolder, MAX_PATH);
    return std::wstring(szFolder) + L"\\cmd.exe";
}

} // namespace

TEST(EditorEndToEnd, AShortcutDroppedOnTheEditorIsStartedFromTheNextToolsMenu)
{
    CTrayProcess program;
    const std::wstring settings = program.SettingsFile();
    const std::wstring marker = program.File(L"gestartet.txt");
    const std::wstring shortcut = program.File(L"Markieren.lnk");
    ASSERT_TRUE(WriteFileBytes(program.File(L"Erstes.txt"), "erstes"));
    program.WriteSettings("[tools]\ncount=1\n[tool1]\nname=Erstes\npath=" + Narrow(program.File(L"Erstes.txt"))
                          + "\nshow=1\n");
    ShortcutContents contents;
    contents.target = CommandProcessor();
    contents.arguments = L"/c echo gestartet> \"" + marker + L"\"";
    contents.workingDirectory = program.Folder();
    contents.showCmd = SW_SHOWMINNOACTIVE;
    ASSERT_TRUE(WriteShortcut(shortcut, contents));

    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForWindow());

    HWND hMenu = nullptr;
    ASSERT_TRUE(program.OpenMenu(WM_LBUTTONUP, &hMenu)) << "no tools menu at the first click";
    const LONG nHeightBefore = HeightOf(hMenu);
    ChooseFromBottom(hMenu, 1);

    HWND hEditor = nullptr;
    ASSERT_TRUE(program.WaitForShown(e2e::kBoxClass, &hEditor, L"Programme bearbeiten"))
        << "\"Programme bearbeiten\" did not open the editor";
    HWND hList = GetDlgItem(hEditor, 1005);
    EXPECT_EQ(1, SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
    ASSERT_TRUE(DropOn(hEditor, shortcut));
    EXPECT_TRUE(WaitFor("the dropped shortcut in the list",
                        [&] { return SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0) == 2; }));
    PostMessageW(GetDlgItem(hEditor, kSaveButton), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor("the editor to close after saving", [&] { return !IsWindow(hEditor); }));

    EXPECT_EQ(L"2", ReadSetting(settings, L"tools", L"count"));
    EXPECT_EQ(L"Markieren", ReadSetting(settings, L"tool2", L"name"));
    EXPECT_EQ(0, _wcsicmp(CommandProcessor().c_str(), ReadSetting(settings, L"tool2", L"path").c_str()));

    ASSERT_TRUE(program.OpenMenu(WM_LBUTTONUP, &hMenu)) << "no tools menu at the second click";
    EXPECT_GT(HeightOf(hMenu), nHeightBefore);
    // The new tool is the entry above "Programme bearbeiten"; the arrow
    // keys pass over separator lines.
    ChooseFromBottom(hMenu, 2);
    EXPECT_TRUE(WaitFor("the new tool's mark", [&] { return FileExists(marker); }));
}

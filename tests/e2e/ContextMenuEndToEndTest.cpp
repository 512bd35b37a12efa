#include "TrayProcess.h"

#include "resources/resource.h"
#include "support/TextReport.h"
#include "support/UserInput.h"

#include <gtest/gtest.h>

#include <string>

using e2e::CTrayProcess;
using e2e::kBoxClass;
using e2e::kMenuClass;
using testsupport::CopyRecorder;
using testsupport::MouseInput;
using testsupport::Narrow;
using testsupport::PostKeys;
using testsupport::SendInputs;
using testsupport::WaitFor;

namespace {

// A visible popup menu window of the process other than the one given.
testing::AssertionResult WaitForOtherMenu(const CTrayProcess& tray, HWND hNot, HWND* phMenu)
{
    return WaitFor("a second menu over the first", [&] {
        for (HWND hWnd = FindWindowExW(nullptr, nullptr, kMenuClass, nullptr); hWnd != nullptr;
             hWnd = FindWindowExW(nullptr, hWnd, kMenuClass, nullptr)) {
            DWORD nOwner = 0;
            GetWindowThreadProcessId(hWnd, &nOwner);
            if (nOwner == tray.ProcessId() && hWnd != hNot && IsWindowVisible(hWnd)) {
                *phMenu = hWnd;
                return true;
            }
        }
        return false;
    });
}

} // namespace

// The context-menu key on a tool opens its context menu over the tools
// menu. Below the program's own three entries and a separator comes the
// shell's menu; the first entry, "Eintrag bearbeiten …", opens the entry
// editor on that tool, and "Schließen" saves the change into the settings
// file. The menus' texts cannot be read from another process under Wine,
// and what the shell's commands do differs from Windows (Wine's "Open" of
// a context menu starts nothing), so the shell's part shows in the menu's
// height: far more than the program's own entries.
TEST(ContextMenuEndToEnd, AnEntrysContextMenuOffersItsOwnAndTheShellsCommands)
{
    CTrayProcess tray;
    const std::wstring tool = CopyRecorder(tray.Folder(), L"Werkzeug");
    const std::wstring ini = tray.SettingsFile();
    tray.WriteSettings("[tools]\ncount=1\n[tool1]\nname=Werkzeug\npath=" + Narrow(tool) + "\n");
    ASSERT_TRUE(tray.StartWithIcon());
    // A right click on the first entry, which Wine never reports as
    // WM_MENURBUTTONUP.
    HWND hTools = nullptr;
    ASSERT_TRUE(tray.OpenMenu(WM_LBUTTONUP, &hTools)) << "the tools menu did not open";
    RECT rcTools = {};
    GetWindowRect(hTools, &rcTools);
    const POINT pt = { rcTools.left + 40, rcTools.top + 10 };
    ASSERT_TRUE(SendInputs({ MouseInput(MOUSEEVENTF_RIGHTDOWN, pt), MouseInput(MOUSEEVENTF_RIGHTUP, pt) }));
    HWND hClicked = nullptr;
    EXPECT_TRUE(WaitForOtherMenu(tray, hTools, &hClicked)) << "a right click opened no context menu";
    PostKeys(hClicked != nullptr ? hClicked : hTools, { VK_ESCAPE });
    PostKeys(hTools, { VK_ESCAPE });
    ASSERT_TRUE(tray.WaitForGone(kMenuClass));

    // The context-menu key on the selected entry, the pointer out of the
    // way: under Wine a pointer resting over the tools menu may close the
    // context menu that opens over it.
    SetCursorPos(0, 0);
    // The context-menu key on the selected entry.
    ASSERT_TRUE(tray.OpenMenu(WM_LBUTTONUP, &hTools)) << "the tools menu did not open again";
    PostKeys(hTools, { VK_DOWN, VK_APPS });
    HWND hContext = nullptr;
    ASSERT_TRUE(WaitForOtherMenu(tray, hTools, &hContext)) << "the context menu did not open";
    RECT rc = {};
    GetWindowRect(hContext, &rc);
    EXPECT_GT(rc.bottom - rc.top, 6 * GetSystemMetrics(SM_CYMENU)) << "no shell commands below the program's own";

    PostKeys(hContext, { VK_DOWN, VK_RETURN });
    HWND hEditor = nullptr;
    ASSERT_TRUE(tray.WaitForShown(kBoxClass, &hEditor, L"Eintrag bearbeiten")) << "the entry editor did not open";
    EXPECT_EQ(L"Werkzeug", testsupport::RemoteWindowText(GetDlgItem(hEditor, IDC_NAME)));
    SendMessageW(GetDlgItem(hEditor, IDC_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Umbenannt"));
    PostMessageW(hEditor, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, 0), 0);
    EXPECT_TRUE(WaitFor("the new name in the settings file", [&] {
        wchar_t szName[64] = {};
        GetPrivateProfileStringW(L"tool1", L"name", L"", szName, 64, ini.c_str());
        return std::wstring(szName) == L"Umbenannt";
    }));
}

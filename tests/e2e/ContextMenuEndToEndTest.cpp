#include "TrayProcess.h"

#include "resources/resource.h"
#include "support/ChildProcess.h"
#include "support/TextReport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using e2e::CTrayProcess;
using e2e::SendKeys;
using testsupport::ExeFolder;
using testsupport::Narrow;

namespace {

constexpr DWORD kTimeoutMs = 10000;

// The visible popup menu window of the process other than the one given.
HWND OtherMenuWindow(DWORD nProcessId, HWND hNot)
{
    HWND hFound = nullptr;
    e2e::WaitUntil(kTimeoutMs, [&] {
        HWND hWnd = nullptr;
        while ((hWnd = FindWindowExW(nullptr, hWnd, L"#32768", nullptr)) != nullptr) {
            DWORD nOwner = 0;
            GetWindowThreadProcessId(hWnd, &nOwner);
            if (nOwner == nProcessId && hWnd != hNot && IsWindowVisible(hWnd))
                hFound = hWnd;
        }
        return hFound != nullptr;
    });
    return hFound;
}

// A right click as the mouse makes it, at the point of the screen.
void RightClickAt(POINT pt)
{
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(pt.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(pt.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(2, inputs, sizeof(INPUT));
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
    CTrayProcess tray("");
    const std::wstring tool = tray.Folder().File(L"Werkzeug.exe");
    CopyFileW((ExeFolder() + L"\\launch_recorder.exe").c_str(), tool.c_str(), FALSE);
    const std::wstring ini = tray.Folder().File(L"ambertille.ini");
    testsupport::WriteFileBytes(ini, "[tools]\r\ncount=1\r\n[tool1]\r\nname=Werkzeug\r\npath=" + Narrow(tool) + "\r\n");
    ASSERT_TRUE(tray.StartWithIcon());
    // A right click on the first entry, which Wine never reports as
    // WM_MENURBUTTONUP.
    tray.Notify(WM_LBUTTONUP);
    HWND hTools = e2e::WaitForProcessWindow(tray.ProcessId(), L"#32768", kTimeoutMs);
    ASSERT_NE(nullptr, hTools) << "the tools menu did not open";
    RECT rcTools = {};
    GetWindowRect(hTools, &rcTools);
    RightClickAt({ rcTools.left + 40, rcTools.top + 10 });
    HWND hClicked = OtherMenuWindow(tray.ProcessId(), hTools);
    EXPECT_NE(nullptr, hClicked) << "a right click opened no context menu";
    SendKeys(hClicked != nullptr ? hClicked : hTools, { VK_ESCAPE });
    SendKeys(hTools, { VK_ESCAPE });
    ASSERT_TRUE(e2e::WaitForNoProcessWindow(tray.ProcessId(), L"#32768", kTimeoutMs));

    // The context-menu key on the selected entry, the pointer out of the
    // way: under Wine a pointer resting over the tools menu may close the
    // context menu that opens over it.
    SetCursorPos(0, 0);
    tray.Notify(WM_LBUTTONUP);
    hTools = e2e::WaitForProcessWindow(tray.ProcessId(), L"#32768", kTimeoutMs);
    ASSERT_NE(nullptr, hTools) << "the tools menu did not open again";
    SendKeys(hTools, { VK_DOWN, VK_APPS });
    HWND hContext = OtherMenuWindow(tray.ProcessId(), hTools);
    ASSERT_NE(nullptr, hContext) << "the context menu did not open";
    RECT rc = {};
    GetWindowRect(hContext, &rc);
    EXPECT_GT(rc.bottom - rc.top, 6 * GetSystemMetrics(SM_CYMENU)) << "no shell commands below the program's own";

    SendKeys(hContext, { VK_DOWN, VK_RETURN });
    HWND hEditor = testsupport::WaitForProcessWindow(tray.ProcessId(), L"#32770", L"Eintrag bearbeiten", kTimeoutMs);
    ASSERT_NE(nullptr, hEditor) << "the entry editor did not open";
    EXPECT_EQ(L"Werkzeug", testsupport::RemoteWindowText(GetDlgItem(hEditor, IDC_NAME)));
    SendMessageW(GetDlgItem(hEditor, IDC_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Umbenannt"));
    PostMessageW(hEditor, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, 0), 0);
    EXPECT_TRUE(e2e::WaitUntil(kTimeoutMs, [&] {
        wchar_t szName[64] = {};
        GetPrivateProfileStringW(L"tool1", L"name", L"", szName, 64, ini.c_str());
        return std::wstring(szName) == L"Umbenannt";
    })) << "the change was not saved";
}

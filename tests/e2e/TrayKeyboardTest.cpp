#include "TrayProcess.h"

#include "support/TextReport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using e2e::BalloonShown;
using e2e::CTrayProcess;
using e2e::SendKeys;
using e2e::WaitForNoProcessWindow;
using e2e::WaitForProcessWindow;
using testsupport::ExeFolder;
using testsupport::Narrow;
using testsupport::WaitForTextFile;

namespace {

constexpr DWORD kTimeoutMs = 10000;
constexpr wchar_t kMenuClass[] = L"#32768";
constexpr UINT kTrayNotify = WM_USER + 100;

// Two recorders as tools; the one that starts writes its report beside it.
std::string TwoRecorders(const CTrayProcess& tray)
{
    std::string ini = "[tools]\r\ncount=2\r\n";
    for (const wchar_t* pszName : { L"Erster", L"Zweiter" }) {
        const std::wstring target = tray.Folder().File(std::wstring(pszName) + L".exe");
        CopyFileW((ExeFolder() + L"\\launch_recorder.exe").c_str(), target.c_str(), FALSE);
        const std::string number = pszName[0] == L'E' ? "1" : "2";
        ini += "[tool" + number + "]\r\nname=" + Narrow(pszName) + "\r\npath=" + Narrow(target) + "\r\n";
    }
    return ini;
}

void SendInputs(std::vector<INPUT> inputs)
{
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT Key(WORD nKey, bool bUp)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = nKey;
    input.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT Mouse(DWORD nFlags, int x, int y)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = nFlags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return input;
}

// Ours is the only icon in the test desktop's notification area: the last
// slot at the right end of the task bar.
bool ClickIcon(DWORD nDown, DWORD nUp)
{
    HWND hTaskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT rc = {};
    if (hTaskbar == nullptr || !GetWindowRect(hTaskbar, &rc))
        return false;
    const int x = rc.right - 10;
    const int y = (rc.top + rc.bottom) / 2;
    SendInputs({ Mouse(0, x, y) });
    Sleep(100);
    SendInputs({ Mouse(nDown, x, y), Mouse(nUp, x, y) });
    return true;
}

} // namespace

// The shell's version 4 reports a click twice (the button, then NIN_SELECT
// or WM_CONTEXTMENU): one menu must open, and none after it is closed.
TEST(TrayKeyboard, AClickOnTheRealIconOpensItsMenuOnce)
{
    CTrayProcess tray("[tools]\ncount=0\n");
    ASSERT_TRUE(tray.StartWithIcon());
    for (DWORD nDown : { MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN }) {
        SCOPED_TRACE(nDown == MOUSEEVENTF_LEFTDOWN ? "left" : "right");
        const DWORD nUp = nDown == MOUSEEVENTF_LEFTDOWN ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
        ASSERT_TRUE(ClickIcon(nDown, nUp));
        HWND hMenu = WaitForProcessWindow(tray.ProcessId(), kMenuClass, kTimeoutMs);
        ASSERT_NE(nullptr, hMenu);
        SendKeys(hMenu, { VK_ESCAPE });
        ASSERT_TRUE(WaitForNoProcessWindow(tray.ProcessId(), kMenuClass, kTimeoutMs));
        EXPECT_EQ(nullptr, WaitForProcessWindow(tray.ProcessId(), kMenuClass, 700)) << "a second menu opened";
    }
}

// What the shell sends for Enter on the icon and for Shift+F10: the menu
// opens with its corner at the icon's point and its first entry selected,
// so Enter alone starts the first tool.
TEST(TrayKeyboard, KeysOnTheIconOpenTheMenusAtTheShellsPoint)
{
    CTrayProcess tray("");
    testsupport::WriteFileBytes(tray.Folder().File(L"ambertille.ini"), TwoRecorders(tray));
    ASSERT_TRUE(tray.StartWithIcon());
    const POINT anchor = { 900, 700 };
    for (UINT nEvent : { static_cast<UINT>(NIN_KEYSELECT), static_cast<UINT>(WM_CONTEXTMENU) }) {
        SCOPED_TRACE(nEvent);
        PostMessageW(tray.Window(), kTrayNotify, MAKEWPARAM(anchor.x, anchor.y), MAKELPARAM(nEvent, 0));
        HWND hMenu = WaitForProcessWindow(tray.ProcessId(), kMenuClass, kTimeoutMs);
        ASSERT_NE(nullptr, hMenu);
        RECT rc = {};
        GetWindowRect(hMenu, &rc);
        EXPECT_EQ(anchor.x, rc.right);
        EXPECT_EQ(anchor.y, rc.bottom);
        if (nEvent == WM_CONTEXTMENU) {
            SendKeys(hMenu, { VK_ESCAPE });
            break;
        }
        SendKeys(hMenu, { VK_RETURN });
        EXPECT_FALSE(WaitForTextFile(tray.Folder().File(L"Erster.txt"), kTimeoutMs).empty());
        ASSERT_TRUE(WaitForNoProcessWindow(tray.ProcessId(), kMenuClass, kTimeoutMs));
    }
}

// Typed on the real keyboard of the desktop, as a user does.
TEST(TrayKeyboard, TheShortcutAndALetterStartATool)
{
    CTrayProcess tray("");
    testsupport::WriteFileBytes(tray.Folder().File(L"ambertille.ini"),
                                "[tools]\r\nhotkey=Ctrl+Alt+F9\r\n" + TwoRecorders(tray).substr(9));
    ASSERT_TRUE(tray.StartWithIcon());
    SendInputs({ Key(VK_CONTROL, false), Key(VK_MENU, false), Key(VK_F9, false), Key(VK_F9, true),
                 Key(VK_MENU, true), Key(VK_CONTROL, true) });
    HWND hMenu = WaitForProcessWindow(tray.ProcessId(), kMenuClass, kTimeoutMs);
    ASSERT_NE(nullptr, hMenu) << "the shortcut opened no menu";
    Sleep(200);
    SendInputs({ Key('Z', false), Key('Z', true) });
    EXPECT_FALSE(WaitForTextFile(tray.Folder().File(L"Zweiter.txt"), kTimeoutMs).empty());
    EXPECT_TRUE(WaitForNoProcessWindow(tray.ProcessId(), kMenuClass, kTimeoutMs));
}

TEST(TrayKeyboard, AShortcutHeldByAnotherProgramIsToldInABalloonAndTheTrayRunsOn)
{
    SendInputs({ Mouse(0, 640, 300) });
    HWND hHolder = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(hHolder, 7, MOD_CONTROL | MOD_ALT, VK_F8));
    ASSERT_TRUE(e2e::WaitUntil(kTimeoutMs, [] { return !BalloonShown(); }));
    {
        CTrayProcess tray("[tools]\ncount=0\nhotkey=Ctrl+Alt+F8\n");
        ASSERT_TRUE(tray.StartWithIcon());
        EXPECT_TRUE(e2e::WaitUntil(kTimeoutMs, BalloonShown));
        EXPECT_TRUE(tray.IsRunning());
        PostMessageW(tray.Window(), kTrayNotify, 0, MAKELPARAM(WM_LBUTTONUP, 0));
        HWND hMenu = WaitForProcessWindow(tray.ProcessId(), kMenuClass, kTimeoutMs);
        ASSERT_NE(nullptr, hMenu);
        SendKeys(hMenu, { VK_ESCAPE });
    }
    UnregisterHotKey(hHolder, 7);
    DestroyWindow(hHolder);
}

#include "TrayProcess.h"

#include "support/TextReport.h"
#include "support/UserInput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using e2e::BalloonShown;
using e2e::CTrayProcess;
using e2e::kMenuClass;
using e2e::kTrayNotify;
using testsupport::CopyRecorder;
using testsupport::KeyInput;
using testsupport::MouseInput;
using testsupport::Narrow;
using testsupport::PostKeys;
using testsupport::SendInputs;
using testsupport::StaysFalse;
using testsupport::WaitFor;
using testsupport::WaitForTextFile;

namespace {

// Two recorders as tools; the one that starts writes its report beside it.
std::string TwoRecorders(const CTrayProcess& tray)
{
    std::string ini = "[tools]\ncount=2\n";
    for (const wchar_t* pszName : { L"Erster", L"Zweiter" }) {
        const std::string number = pszName[0] == L'E' ? "1" : "2";
        ini += "[tool" + number + "]\nname=" + Narrow(pszName) + "\npath="
               + Narrow(CopyRecorder(tray.Folder(), pszName)) + "\n";
    }
    return ini;
}

// Ours is the only icon in the test desktop's notification area: the last
// slot at the right end of the task bar. The pointer rests on it first, as
// a user's does.
testing::AssertionResult ClickIcon(DWORD nDown, DWORD nUp)
{
    HWND hTaskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT rc = {};
    if (hTaskbar == nullptr || !GetWindowRect(hTaskbar, &rc))
        return testing::AssertionFailure() << "no task bar";
    const POINT pt = { rc.right - 10, (rc.top + rc.bottom) / 2 };
    if (!SendInputs({ MouseInput(0, pt) }))
        return testing::AssertionFailure() << "the pointer's move was not taken";
    testing::AssertionResult arrived = WaitFor("the pointer on the icon", [&] {
        POINT now = {};
        return GetCursorPos(&now) && now.x == pt.x && now.y == pt.y;
    });
    if (arrived && !SendInputs({ MouseInput(nDown, pt), MouseInput(nUp, pt) }))
        return testing::AssertionFailure() << "the click was not taken";
    return arrived;
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
        HWND hMenu = nullptr;
        ASSERT_TRUE(tray.WaitForShown(kMenuClass, &hMenu));
        PostKeys(hMenu, { VK_ESCAPE });
        ASSERT_TRUE(tray.WaitForGone(kMenuClass));
        EXPECT_TRUE(StaysFalse("a second menu opened", [&] { return tray.MenuShown(); }, 700));
    }
}

// What the shell sends for Enter on the icon and for Shift+F10: the menu
// opens with its corner at the icon's point and its first entry selected,
// so Enter alone starts the first tool.
TEST(TrayKeyboard, KeysOnTheIconOpenTheMenusAtTheShellsPoint)
{
    CTrayProcess tray;
    tray.WriteSettings(TwoRecorders(tray));
    ASSERT_TRUE(tray.StartWithIcon());
    const POINT anchor = { 900, 700 };
    for (UINT nEvent : { static_cast<UINT>(NIN_KEYSELECT), static_cast<UINT>(WM_CONTEXTMENU) }) {
        SCOPED_TRACE(nEvent);
        PostMessageW(tray.Window(), kTrayNotify, MAKEWPARAM(anchor.x, anchor.y), MAKELPARAM(nEvent, 0));
        HWND hMenu = nullptr;
        ASSERT_TRUE(tray.WaitForShown(kMenuClass, &hMenu));
        RECT rc = {};
        GetWindowRect(hMenu, &rc);
        EXPECT_EQ(anchor.x, rc.right);
        EXPECT_EQ(anchor.y, rc.bottom);
        if (nEvent == WM_CONTEXTMENU) {
            PostKeys(hMenu, { VK_ESCAPE });
            break;
        }
        PostKeys(hMenu, { VK_RETURN });
        EXPECT_TRUE(WaitForTextFile(tray.File(L"Erster.txt")));
        ASSERT_TRUE(tray.WaitForGone(kMenuClass));
    }
}

// Typed on the real keyboard of the desktop, as a user does.
TEST(TrayKeyboard, TheShortcutAndALetterStartATool)
{
    CTrayProcess tray;
    tray.WriteSettings("[tools]\nhotkey=Ctrl+Alt+F9\n" + TwoRecorders(tray).substr(8));
    ASSERT_TRUE(tray.StartWithIcon());
    ASSERT_TRUE(SendInputs({ KeyInput(VK_CONTROL, false), KeyInput(VK_MENU, false), KeyInput(VK_F9, false),
                             KeyInput(VK_F9, true), KeyInput(VK_MENU, true), KeyInput(VK_CONTROL, true) }));
    HWND hMenu = nullptr;
    ASSERT_TRUE(tray.WaitForShown(kMenuClass, &hMenu)) << "the shortcut opened no menu";
    ASSERT_TRUE(tray.WaitForMenuReady());
    ASSERT_TRUE(SendInputs({ KeyInput('Z', false), KeyInput('Z', true) }));
    EXPECT_TRUE(WaitForTextFile(tray.File(L"Zweiter.txt")));
    EXPECT_TRUE(tray.WaitForGone(kMenuClass));
}

TEST(TrayKeyboard, AShortcutHeldByAnotherProgramIsToldInABalloonAndTheTrayRunsOn)
{
    SendInputs({ MouseInput(0, POINT{ 640, 300 }) });
    HWND hHolder = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(hHolder, 7, MOD_CONTROL | MOD_ALT, VK_F8));
    ASSERT_TRUE(WaitFor("no balloon before the start", [] { return !BalloonShown(); }));
    {
        CTrayProcess tray("[tools]\ncount=0\nhotkey=Ctrl+Alt+F8\n");
        ASSERT_TRUE(tray.StartWithIcon());
        EXPECT_TRUE(WaitFor("the balloon about the taken shortcut", BalloonShown));
        EXPECT_TRUE(tray.IsRunning());
        EXPECT_TRUE(tray.MenuOpensAndCloses(WM_LBUTTONUP));
    }
    UnregisterHotKey(hHolder, 7);
    DestroyWindow(hHolder);
}

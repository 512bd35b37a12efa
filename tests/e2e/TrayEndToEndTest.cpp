#include "TrayProcess.h"

#include "support/HungShare.h"
#include "support/RegistryGuard.h"
#include "support/TextReport.h"
#include "support/UserInput.h"

#include <gtest/gtest.h>

using e2e::CTrayProcess;
using e2e::kBoxClass;
using e2e::kMenuClass;
using testsupport::CopyRecorder;
using testsupport::Narrow;
using testsupport::PostKeys;
using testsupport::ReportValue;
using testsupport::StaysFalse;
using testsupport::WaitFor;
using testsupport::WaitForTextFile;

namespace {

const std::string kNoTools = "[tools]\ncount=0\n";

// The box's text without the line break that may close it.
std::wstring BoxText(HWND hBox)
{
    wchar_t szText[1024] = {};
    GetWindowTextW(GetDlgItem(hBox, 0xFFFF), szText, 1023);
    std::wstring text = szText;
    return text.substr(0, text.find_last_not_of(L"\r\n") + 1);
}

} // namespace

TEST(TrayEndToEnd, RunAddsTheIconAndSessionEndRemovesIt)
{
    CTrayProcess tray(kNoTools);
    ASSERT_TRUE(tray.StartWithIcon());
    EXPECT_FALSE(IsWindowVisible(tray.Window()));

    PostMessageW(tray.Window(), WM_QUERYENDSESSION, 0, 0);
    PostMessageW(tray.Window(), WM_ENDSESSION, TRUE, 0);
    DWORD nExitCode = 1;
    ASSERT_TRUE(tray.WaitForExit(0, &nExitCode));
    EXPECT_EQ(0u, nExitCode);
    EXPECT_FALSE(tray.IconShown());
}

// An icon file on a share whose server stopped answering holds the icon
// loader in a read that cannot be cancelled. Every way of ending still
// ends within moments, and a start meanwhile is not refused.
TEST(TrayEndToEnd, EndingTakesMomentsWhileAnIconFileHangsAndANewStartIsNotRefused)
{
    const std::wstring share = testsupport::HungSharePath();
    if (share.empty())
        GTEST_SKIP() << testsupport::kNoHungShare;
    const struct
    {
        const char* pszWay;
        void (*pfnEnd)(const CTrayProcess& tray);
    } ways[] = {
        { "Beenden", [](const CTrayProcess& tray) {
              HWND hMenu = nullptr;
              ASSERT_TRUE(tray.OpenMenu(WM_RBUTTONUP, &hMenu));
              PostKeys(hMenu, { VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN });
          } },
        { "WM_CLOSE", [](const CTrayProcess& tray) { PostMessageW(tray.Window(), WM_CLOSE, 0, 0); } },
        { "the end of the session", [](const CTrayProcess& tray) {
              PostMessageW(tray.Window(), WM_QUERYENDSESSION, 0, 0);
              PostMessageW(tray.Window(), WM_ENDSESSION, TRUE, 0);
          } },
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.pszWay);
        CTrayProcess tray("[tools]\ncount=1\n[tool1]\nname=Fern\npath=C:\\windows\\notepad.exe\niconfile="
                          + Narrow(share) + "\\icon.ico\niconindex=0\n");
        ASSERT_TRUE(tray.StartWithIcon());
        way.pfnEnd(tray);
        ASSERT_TRUE(WaitFor("the tray window to go",
                            [] { return FindWindowW(L"AmbertilleWindowClass", nullptr) == nullptr; }));
        ASSERT_TRUE(tray.Start());
        EXPECT_TRUE(tray.WaitForWindow(1)) << "the new start was refused";
        EXPECT_TRUE(tray.WaitForExit(0)) << "the program did not end";
    }
}

TEST(TrayEndToEnd, LeftClickShowsTheToolsAndChoosingOneStartsIt)
{
    CTrayProcess tray;
    const std::wstring recorder = CopyRecorder(tray.Folder(), L"Werkzeug");
    const std::wstring work = tray.File(L"Arbeit");
    CreateDirectoryW(work.c_str(), nullptr);
    tray.WriteSettings("[tools]\ncount=1\n[tool1]\nname=Werkzeug\npath=" + Narrow(recorder)
                       + "\nparam=--eins zwei\nworking=" + Narrow(work) + "\nshow=7\n");
    ASSERT_TRUE(tray.StartWithIcon());

    HWND hMenu = nullptr;
    ASSERT_TRUE(tray.OpenMenu(WM_LBUTTONUP, &hMenu));
    PostKeys(hMenu, { VK_DOWN, VK_RETURN });
    std::wstring report;
    ASSERT_TRUE(WaitForTextFile(tray.File(L"Werkzeug.txt"), &report));
    const std::wstring args = ReportValue(report, L"args");
    EXPECT_EQ(L" --eins zwei", args.substr(args.size() - 12)) << Narrow(args);
    EXPECT_EQ(0, lstrcmpiW(work.c_str(), ReportValue(report, L"cwd").c_str()));
    EXPECT_EQ(L"7", ReportValue(report, L"show"));
    EXPECT_TRUE(tray.IsRunning());
}

TEST(TrayEndToEnd, ExitInTheProgramMenuEndsTheProgramAndRemovesTheIcon)
{
    CTrayProcess tray(kNoTools);
    ASSERT_TRUE(tray.StartWithIcon());
    HWND hMenu = nullptr;
    ASSERT_TRUE(tray.OpenMenu(WM_RBUTTONUP, &hMenu));
    PostKeys(hMenu, { VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN });
    ASSERT_TRUE(tray.WaitForExit());
    EXPECT_FALSE(tray.IconShown());
}

TEST(TrayEndToEnd, AboutInTheProgramMenuShowsTheVersionAndDropsClicksMeanwhile)
{
    CTrayProcess tray(kNoTools);
    ASSERT_TRUE(tray.StartWithIcon());
    HWND hMenu = nullptr;
    ASSERT_TRUE(tray.OpenMenu(WM_RBUTTONUP, &hMenu));
    PostKeys(hMenu, { VK_DOWN, VK_RETURN });
    HWND hAbout = nullptr;
    ASSERT_TRUE(tray.WaitForShown(kBoxClass, &hAbout));
    wchar_t szTitle[100] = {};
    GetWindowTextW(hAbout, szTitle, 99);
    EXPECT_STREQ(L"\u00DCber Ambertille", szTitle);
    EXPECT_EQ(GetWindow(hAbout, GW_OWNER), tray.Window());

    // The box belongs to the click that opened it: another click opens nothing.
    tray.Notify(WM_LBUTTONUP);
    EXPECT_TRUE(StaysFalse("a menu opened", [&] { return tray.MenuShown(); }, 1000));

    PostMessageW(hAbout, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    EXPECT_TRUE(tray.WaitForGone(kBoxClass));
    EXPECT_TRUE(tray.OpenMenu(WM_LBUTTONUP, &hMenu));
}

TEST(TrayEndToEnd, UninstallAnsweredNoKeepsTheProgramAndTheRunValue)
{
    testsupport::CAutostartValue runValue;
    CTrayProcess tray(kNoTools);
    ASSERT_TRUE(tray.StartWithIcon());
    HWND hMenu = nullptr;
    ASSERT_TRUE(tray.OpenMenu(WM_RBUTTONUP, &hMenu));
    PostKeys(hMenu, { VK_DOWN, VK_DOWN, VK_RETURN });
    HWND hBox = nullptr;
    ASSERT_TRUE(tray.WaitForShown(kBoxClass, &hBox));
    EXPECT_EQ(L"Wollen Sie das Programm wirklich de-registrieren?", BoxText(hBox));
    PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(IDNO, 0), 0);
    EXPECT_TRUE(tray.WaitForGone(kBoxClass));
    EXPECT_TRUE(StaysFalse("the program ended", [&] { return !tray.IsRunning(); }, 1000));
    EXPECT_TRUE(testsupport::CAutostartValue::Present());
    EXPECT_TRUE(tray.IconShown());
}

TEST(TrayEndToEnd, SecondRunIsRefusedWhileTheFirstGoesOn)
{
    CTrayProcess tray(kNoTools);
    ASSERT_TRUE(tray.StartWithIcon());
    ASSERT_TRUE(tray.Start());
    HWND hBox = nullptr;
    ASSERT_TRUE(tray.WaitForShown(kBoxClass, &hBox, nullptr, 1));
    EXPECT_EQ(L"Das Programm l\u00E4uft bereits und kann nicht noch mal gestartet werden!", BoxText(hBox));
    PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    DWORD nExitCode = 1;
    EXPECT_TRUE(tray.WaitForExit(1, &nExitCode));
    EXPECT_EQ(0u, nExitCode);
    EXPECT_TRUE(tray.IsRunning(0));
    EXPECT_TRUE(tray.IconShown());
}

TEST(TrayEndToEnd, ClickDuringAnOpenMenuIsDropped)
{
    CTrayProcess tray;
    const std::wstring recorder = CopyRecorder(tray.Folder(), L"Werkzeug");
    tray.WriteSettings("[tools]\ncount=1\n[tool1]\nname=Werkzeug\npath=" + Narrow(recorder) + "\n");
    ASSERT_TRUE(tray.StartWithIcon());
    HWND hMenu = nullptr;
    ASSERT_TRUE(tray.OpenMenu(WM_LBUTTONUP, &hMenu));
    // Sent, not posted: the program has handled the click when it returns.
    DWORD_PTR nResult = 0;
    ASSERT_TRUE(SendMessageTimeoutW(tray.Window(), e2e::kTrayNotify, 0, WM_RBUTTONUP, SMTO_NORMAL,
                                    testsupport::kStepMs, &nResult));
    // The tools menu is still the one open: its first entry starts the tool.
    PostKeys(hMenu, { VK_DOWN, VK_RETURN });
    EXPECT_TRUE(WaitForTextFile(tray.File(L"Werkzeug.txt")));
    ASSERT_TRUE(tray.WaitForGone(kMenuClass));
    // Had the click been kept for later, its menu would open now.
    EXPECT_TRUE(StaysFalse("the dropped click's menu opened", [&] { return tray.MenuShown(); }, 700));

    ASSERT_TRUE(tray.OpenMenu(WM_RBUTTONUP, &hMenu)) << "the icon must answer again after the menu";
    PostKeys(hMenu, { VK_ESCAPE });
}

TEST(TrayEndToEnd, TaskbarRestartBringsTheIconBack)
{
    CTrayProcess tray(kNoTools);
    ASSERT_TRUE(tray.StartWithIcon());
    // What a restarting shell does: it forgets the icon, then announces itself.
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = tray.Window();
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
    ASSERT_FALSE(tray.IconShown());
    PostMessageW(tray.Window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(tray.WaitForIcon(true));
}

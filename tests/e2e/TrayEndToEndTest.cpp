#include "TrayProcess.h"

#include "support/HungShare.h"
#include "support/TextReport.h"

#include <gtest/gtest.h>

using e2e::CTrayProcess;
using e2e::SendKeys;
using e2e::WaitForNoProcessWindow;
using e2e::WaitForProcessWindow;
using testsupport::ExeFolder;
using testsupport::Narrow;
using testsupport::ReportValue;
using testsupport::WaitForTextFile;

namespace {

constexpr DWORD kTimeoutMs = 10000;
constexpr wchar_t kMenuClass[] = L"#32768";
constexpr wchar_t kBoxClass[] = L"#32770";
constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"AmbertilleWatchDog";

const std::string kNoTools = "[tools]\ncount=0\n";

// The box's text without the line break that may close it.
std::wstring BoxText(HWND hBox)
{
    wchar_t szText[1024] = {};
    GetWindowTextW(GetDlgItem(hBox, 0xFFFF), szText, 1023);
    std::wstring text = szText;
    return text.substr(0, text.find_last_not_of(L"\r\n") + 1);
}

// A copy of the recorder beside the program, reporting into NAME.txt there.
std::wstring CopyRecorder(const CTrayProcess& tray, const std::wstring& name)
{
    const std::wstring target = tray.Folder().File(name + L".exe");
    CopyFileW((ExeFolder() + L"\\launch_recorder.exe").c_str(), target.c_str(), FALSE);
    return target;
}

HWND OpenMenu(const CTrayProcess& tray, UINT nButton)
{
    tray.Notify(nButton);
    return WaitForProcessWindow(tray.ProcessId(), kMenuClass, kTimeoutMs);
}

class CRunValue
{
public:
    CRunValue()
    {
        HKEY hKey = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr);
        const wchar_t kData[] = L"\"C:\\Ambertille\\ambertille.exe\" -run";
        RegSetValueExW(hKey, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(kData), sizeof(kData));
        RegCloseKey(hKey);
    }
    CRunValue(const CRunValue&) = delete;
    CRunValue& operator=(const CRunValue&) = delete;
    virtual ~CRunValue() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue); }

    static bool Present()
    {
        return RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, nullptr, nullptr)
            == ERROR_SUCCESS;
    }
};

} // namespace

TEST(TrayEndToEnd, RunAddsTheIconAndSessionEndRemovesIt)
{
    CTrayProcess tray(kNoTools);
    ASSERT_TRUE(tray.StartWithIcon());
    EXPECT_FALSE(IsWindowVisible(tray.Window()));

    PostMessageW(tray.Window(), WM_QUERYENDSESSION, 0, 0);
    PostMessageW(tray.Window(), WM_ENDSESSION, TRUE, 0);
    DWORD nExitCode = 1;
    ASSERT_TRUE(tray.WaitForExit(0, kTimeoutMs, &nExitCode));
    EXPECT_EQ(0u, nExitCode);
    EXPECT_FALSE(tray.IconShown());
}

// The tray window of that process, once it has one.
HWND TrayWindowOf(DWORD nProcessId)
{
    HWND hWnd = nullptr;
    e2e::WaitUntil(kTimeoutMs, [&] {
        HWND hFound = FindWindowW(L"AmbertilleWindowClass", L"Ambertille");
        DWORD nOwner = 0;
        GetWindowThreadProcessId(hFound, &nOwner);
        hWnd = nOwner == nProcessId ? hFound : nullptr;
        return hWnd != nullptr;
    });
    return hWnd;
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
              SendKeys(OpenMenu(tray, WM_RBUTTONUP), { VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN });
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
        ASSERT_TRUE(e2e::WaitUntil(kTimeoutMs, [] { return FindWindowW(L"AmbertilleWindowClass", nullptr) == nullptr; }))
            << "the window stayed";
        ASSERT_TRUE(tray.Start());
        EXPECT_NE(nullptr, TrayWindowOf(tray.ProcessId(1))) << "the new start was refused";
        EXPECT_TRUE(tray.WaitForExit(0, 5000)) << "the program did not end";
    }
}

TEST(TrayEndToEnd, LeftClickShowsTheToolsAndChoosingOneStartsIt)
{
    CTrayProcess tray("");
    const std::wstring recorder = CopyRecorder(tray, L"Werkzeug");
    const std::wstring work = tray.Folder().File(L"Arbeit");
    CreateDirectoryW(work.c_str(), nullptr);
    const std::string ini = "[tools]\ncount=1\n[tool1]\nname=Werkzeug\npath=" + Narrow(recorder)
                            + "\nparam=--eins zwei\nworking=" + Narrow(work) + "\nshow=7\n";
    testsupport::WriteFileBytes(tray.Folder().File(L"ambertille.ini"), ini);
    ASSERT_TRUE(tray.StartWithIcon());

    HWND hMenu = OpenMenu(tray, WM_LBUTTONUP);
    ASSERT_NE(nullptr, hMenu);
    SendKeys(hMenu, { VK_DOWN, VK_RETURN });
    const std::wstring report = WaitForTextFile(tray.Folder().File(L"Werkzeug.txt"), kTimeoutMs);
    ASSERT_FALSE(report.empty());
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
    HWND hMenu = OpenMenu(tray, WM_RBUTTONUP);
    ASSERT_NE(nullptr, hMenu);
    SendKeys(hMenu, { VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN });
    ASSERT_TRUE(tray.WaitForExit(0, kTimeoutMs));
    EXPECT_FALSE(tray.IconShown());
}

TEST(TrayEndToEnd, AboutInTheProgramMenuShowsTheVersionAndDropsClicksMeanwhile)
{
    CTrayProcess tray(kNoTools);
    ASSERT_TRUE(tray.StartWithIcon());
    HWND hMenu = OpenMenu(tray, WM_RBUTTONUP);
    ASSERT_NE(nullptr, hMenu);
    SendKeys(hMenu, { VK_DOWN, VK_RETURN });
    HWND hAbout = WaitForProcessWindow(tray.ProcessId(), kBoxClass, kTimeoutMs);
    ASSERT_NE(nullptr, hAbout);
    wchar_t szTitle[100] = {};
    GetWindowTextW(hAbout, szTitle, 99);
    EXPECT_STREQ(L"\u00DCber Ambertille", szTitle);
    EXPECT_EQ(GetWindow(hAbout, GW_OWNER), tray.Window());

    // The box belongs to the click that opened it: another click opens nothing.
    tray.Notify(WM_LBUTTONUP);
    EXPECT_EQ(nullptr, WaitForProcessWindow(tray.ProcessId(), kMenuClass, 1000));

    PostMessageW(hAbout, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    EXPECT_TRUE(WaitForNoProcessWindow(tray.ProcessId(), kBoxClass, kTimeoutMs));
    EXPECT_NE(nullptr, OpenMenu(tray, WM_LBUTTONUP));
}

TEST(TrayEndToEnd, UninstallAnsweredNoKeepsTheProgramAndTheRunValue)
{
    CRunValue runValue;
    CTrayProcess tray(kNoTools);
    ASSERT_TRUE(tray.StartWithIcon());
    HWND hMenu = OpenMenu(tray, WM_RBUTTONUP);
    ASSERT_NE(nullptr, hMenu);
    SendKeys(hMenu, { VK_DOWN, VK_DOWN, VK_RETURN });
    HWND hBox = WaitForProcessWindow(tray.ProcessId(), kBoxClass, kTimeoutMs);
    ASSERT_NE(nullptr, hBox);
    EXPECT_EQ(L"Wollen Sie das Programm wirklich de-registrieren?", BoxText(hBox));
    PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(IDNO, 0), 0);
    EXPECT_TRUE(WaitForNoProcessWindow(tray.ProcessId(), kBoxClass, kTimeoutMs));
    EXPECT_FALSE(tray.WaitForExit(0, 1000));
    EXPECT_TRUE(CRunValue::Present());
    EXPECT_TRUE(tray.IconShown());
}

TEST(TrayEndToEnd, SecondRunIsRefusedWhileTheFirstGoesOn)
{
    CTrayProcess tray(kNoTools);
    ASSERT_TRUE(tray.StartWithIcon());
    ASSERT_TRUE(tray.Start());
    HWND hBox = WaitForProcessWindow(tray.ProcessId(1), kBoxClass, kTimeoutMs);
    ASSERT_NE(nullptr, hBox);
    EXPECT_EQ(L"Das Programm l\u00E4uft bereits und kann nicht noch mal gestartet werden!", BoxText(hBox));
    PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    DWORD nExitCode = 1;
    EXPECT_TRUE(tray.WaitForExit(1, kTimeoutMs, &nExitCode));
    EXPECT_EQ(0u, nExitCode);
    EXPECT_TRUE(tray.IsRunning(0));
    EXPECT_TRUE(tray.IconShown());
}

TEST(TrayEndToEnd, ClickDuringAnOpenMenuIsDropped)
{
    CTrayProcess tray("");
    const std::wstring recorder = CopyRecorder(tray, L"Werkzeug");
    testsupport::WriteFileBytes(tray.Folder().File(L"ambertille.ini"),
                                "[tools]\r\ncount=1\r\n[tool1]\r\nname=Werkzeug\r\npath=" + Narrow(recorder) + "\r\n");
    ASSERT_TRUE(tray.StartWithIcon());
    HWND hMenu = OpenMenu(tray, WM_LBUTTONUP);
    ASSERT_NE(nullptr, hMenu);
    tray.Notify(WM_RBUTTONUP);
    Sleep(500);
    // The tools menu is still the one open: its first entry starts the tool.
    SendKeys(hMenu, { VK_DOWN, VK_RETURN });
    EXPECT_FALSE(WaitForTextFile(tray.Folder().File(L"Werkzeug.txt"), kTimeoutMs).empty());
    ASSERT_TRUE(WaitForNoProcessWindow(tray.ProcessId(), kMenuClass, kTimeoutMs));
    // Had the click been kept for later, its menu would open now.
    Sleep(700);
    EXPECT_EQ(nullptr, WaitForProcessWindow(tray.ProcessId(), kMenuClass, 0));

    hMenu = OpenMenu(tray, WM_RBUTTONUP);
    ASSERT_NE(nullptr, hMenu) << "the icon must answer again after the menu";
    SendKeys(hMenu, { VK_ESCAPE });
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
    EXPECT_TRUE(tray.WaitForIcon(true, kTimeoutMs));
}

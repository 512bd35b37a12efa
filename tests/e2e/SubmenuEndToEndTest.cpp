#include "TrayProcess.h"

#include "support/TextReport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using e2e::CTrayProcess;
using e2e::SendKeys;
using e2e::WaitForProcessWindow;
using testsupport::ExeFolder;
using testsupport::Narrow;
using testsupport::WaitForTextFile;

namespace {

constexpr DWORD kTimeoutMs = 10000;

// The newest visible popup menu window of the process once it holds more
// than a notice: a live folder shows "(wird gelesen …)" until its listing
// arrives on a busy machine, and keys typed meanwhile would go to that.
HWND WaitForSubmenu(DWORD nProcessId, HWND hTop, int nMinHeight)
{
    HWND hFound = nullptr;
    e2e::WaitUntil(kTimeoutMs, [&] {
        hFound = nullptr;
        HWND hWnd = nullptr;
        while ((hWnd = FindWindowExW(nullptr, hWnd, L"#32768", nullptr)) != nullptr) {
            DWORD nOwner = 0;
            GetWindowThreadProcessId(hWnd, &nOwner);
            RECT rc = {};
            if (nOwner == nProcessId && hWnd != hTop && IsWindowVisible(hWnd) && GetWindowRect(hWnd, &rc)
                && rc.bottom - rc.top > nMinHeight)
                hFound = hWnd;
        }
        return hFound != nullptr;
    });
    return hFound;
}

std::wstring CopyRecorder(const std::wstring& target)
{
    CopyFileW((ExeFolder() + L"\\launch_recorder.exe").c_str(), target.c_str(), FALSE);
    return target;
}

} // namespace

// From the keyboard, as a user without a mouse: the group opens with Right
// and its tool starts with Enter; the live folder opens with Right, lists
// its file under "Ordner öffnen" and starts it in its own folder.
TEST(SubmenuEndToEnd, AGroupAndALiveFolderOpenByKeyboardAndStartTheirEntries)
{
    CTrayProcess tray("");
    const std::wstring grouped = CopyRecorder(tray.Folder().File(L"Gruppiert.exe"));
    const std::wstring folder = tray.Folder().File(L"Ordner");
    CreateDirectoryW(folder.c_str(), nullptr);
    CopyRecorder(folder + L"\\Gelistet.exe");
    testsupport::WriteFileBytes(tray.Folder().File(L"ambertille.ini"),
                                "[tools]\r\ncount=2\r\n[tool1]\r\nname=Gruppiert\r\ngroup=Werkzeuge\r\npath="
                                    + Narrow(grouped) + "\r\n[tool2]\r\nname=Ordner\r\nsubmenu=TRUE\r\npath="
                                    + Narrow(folder) + "\r\n");
    ASSERT_TRUE(tray.StartWithIcon());
    const struct
    {
        const char* pszWay;
        std::vector<UINT> keysToSubmenu;
        std::vector<UINT> keysInSubmenu;
        std::wstring report;
        std::wstring workingFolder;  // empty: the tool's own, not checked
        int nMinHeight;              // of the submenu with its entries
    } ways[] = {
        { "the group's tool", { VK_DOWN, VK_RIGHT }, { VK_RETURN }, tray.Folder().File(L"Gruppiert.txt"), L"", 0 },
        { "the live folder's file", { VK_DOWN, VK_DOWN, VK_RIGHT }, { VK_DOWN, VK_RETURN },
          folder + L"\\Gelistet.txt", folder, 2 * GetSystemMetrics(SM_CYMENU) },
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.pszWay);
        tray.Notify(WM_LBUTTONUP);
        HWND hMenu = WaitForProcessWindow(tray.ProcessId(), L"#32768", kTimeoutMs);
        ASSERT_NE(nullptr, hMenu) << "the tools menu did not open";
        SendKeys(hMenu, way.keysToSubmenu);
        HWND hSubmenu = WaitForSubmenu(tray.ProcessId(), hMenu, way.nMinHeight);
        ASSERT_NE(nullptr, hSubmenu) << "the submenu did not open with its entries";
        SendKeys(hSubmenu, way.keysInSubmenu);
        const std::wstring report = WaitForTextFile(way.report, kTimeoutMs);
        ASSERT_FALSE(report.empty()) << "nothing was started";
        if (!way.workingFolder.empty()) {
            EXPECT_EQ(0, lstrcmpiW(way.workingFolder.c_str(), testsupport::ReportValue(report, L"cwd").c_str()))
                << Narrow(report);
        }
    }
}

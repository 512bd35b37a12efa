#include "TrayProcess.h"

#include "support/TextReport.h"
#include "support/UserInput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using e2e::CTrayProcess;
using testsupport::CopyRecorder;
using testsupport::Narrow;
using testsupport::PostKeys;
using testsupport::WaitFor;
using testsupport::WaitForTextFile;

namespace {

// The newest visible popup menu window of the process once it holds more
// than a notice: a live folder shows "(wird gelesen …)" until its listing
// arrives on a busy machine, and keys typed meanwhile would go to that.
testing::AssertionResult WaitForSubmenu(const CTrayProcess& tray, HWND hTop, int nMinHeight, HWND* phSubmenu)
{
    return WaitFor("the submenu with its entries", [&] {
        *phSubmenu = nullptr;
        HWND hWnd = nullptr;
        while ((hWnd = FindWindowExW(nullptr, hWnd, e2e::kMenuClass, nullptr)) != nullptr) {
            DWORD nOwner = 0;
            GetWindowThreadProcessId(hWnd, &nOwner);
            RECT rc = {};
            if (nOwner == tray.ProcessId() && hWnd != hTop && IsWindowVisible(hWnd) && GetWindowRect(hWnd, &rc)
                && rc.bottom - rc.top > nMinHeight)
                *phSubmenu = hWnd;
        }
        return *phSubmenu != nullptr;
    });
}

} // namespace

// From the keyboard, as a user without a mouse: the group opens with Right
// and its tool starts with Enter; the live folder opens with Right, lists
// its file under "Ordner öffnen" and starts it in its own folder.
TEST(SubmenuEndToEnd, AGroupAndALiveFolderOpenByKeyboardAndStartTheirEntries)
{
    CTrayProcess tray;
    const std::wstring grouped = CopyRecorder(tray.Folder(), L"Gruppiert");
    const std::wstring folder = tray.File(L"Ordner");
    CreateDirectoryW(folder.c_str(), nullptr);
    CopyRecorder(folder, L"Gelistet");
    tray.WriteSettings("[tools]\ncount=2\n[tool1]\nname=Gruppiert\ngroup=Werkzeuge\npath=" + Narrow(grouped)
                       + "\n[tool2]\nname=Ordner\nsubmenu=TRUE\npath=" + Narrow(folder) + "\n");
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
        { "the group's tool", { VK_DOWN, VK_RIGHT }, { VK_RETURN }, tray.File(L"Gruppiert.txt"), L"", 0 },
        { "the live folder's file", { VK_DOWN, VK_DOWN, VK_RIGHT }, { VK_DOWN, VK_RETURN },
          folder + L"\\Gelistet.txt", folder, 2 * GetSystemMetrics(SM_CYMENU) },
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.pszWay);
        HWND hMenu = nullptr;
        ASSERT_TRUE(tray.OpenMenu(WM_LBUTTONUP, &hMenu)) << "the tools menu did not open";
        PostKeys(hMenu, way.keysToSubmenu);
        HWND hSubmenu = nullptr;
        ASSERT_TRUE(WaitForSubmenu(tray, hMenu, way.nMinHeight, &hSubmenu));
        PostKeys(hSubmenu, way.keysInSubmenu);
        std::wstring report;
        ASSERT_TRUE(WaitForTextFile(way.report, &report)) << "nothing was started";
        if (!way.workingFolder.empty()) {
            EXPECT_EQ(0, lstrcmpiW(way.workingFolder.c_str(), testsupport::ReportValue(report, L"cwd").c_str()))
                << Narrow(report);
        }
    }
}

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
using testsupport::WaitForTextFile;

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
        std::vector<UINT> keys;
        std::wstring report;
        std::wstring workingFolder;  // empty: the tool's own, not checked
    } ways[] = {
        { "the group's tool", { VK_DOWN, VK_RIGHT, VK_RETURN }, tray.File(L"Gruppiert.txt"), L"" },
        { "the live folder's file", { VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN }, folder + L"\\Gelistet.txt",
          folder },
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.pszWay);
        HWND hMenu = nullptr;
        ASSERT_TRUE(tray.OpenMenu(WM_LBUTTONUP, &hMenu)) << "the tools menu did not open";
        PostKeys(hMenu, way.keys);
        std::wstring report;
        ASSERT_TRUE(WaitForTextFile(way.report, &report)) << "nothing was started";
        if (!way.workingFolder.empty()) {
            EXPECT_EQ(0, lstrcmpiW(way.workingFolder.c_str(), testsupport::ReportValue(report, L"cwd").c_str()))
                << Narrow(report);
        }
    }
}

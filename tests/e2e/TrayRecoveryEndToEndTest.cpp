#include "TrayProcess.h"

#include "support/TextReport.h"

#include <gtest/gtest.h>

#include <string>

using e2e::BalloonShown;
using e2e::CTrayProcess;
using testsupport::ExeFolder;
using testsupport::Narrow;
using testsupport::ReadFileBytes;
using testsupport::WaitFor;
using testsupport::WriteFileBytes;

namespace {

std::string ToolSection(int n, const std::wstring& iconFile)
{
    return "[tool" + std::to_string(n) + "]\nname=Werkzeug " + std::to_string(n) + "\npath=C:\\windows\\notepad.exe\n"
           "iconfile=" + Narrow(iconFile) + "\n";
}

// An icon file whose width makes the image size overflow: a loader that
// trusts it reads far beyond the file.
std::string OverflowingIcon()
{
    std::string bytes("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0", 14);
    const DWORD nPixels = 16 * 16 * 4 + 16 * 4;
    const DWORD nPlace[] = { static_cast<DWORD>(sizeof(BITMAPINFOHEADER)) + nPixels, 22 };
    bytes.append(reinterpret_cast<const char*>(nPlace), sizeof(nPlace));
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = 0x64000010;
    header.biHeight = 32;
    header.biPlanes = 1;
    header.biBitCount = 32;
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    return bytes + std::string(nPixels, '\x7F');
}

} // namespace

// What taskkill without /F does: the window is asked to close. The process
// must end with it, not run on without an icon.
TEST(TrayRecoveryEndToEnd, ClosingTheWindowEndsTheProgramAndRemovesTheIcon)
{
    CTrayProcess tray("[tools]\ncount=0\n");
    ASSERT_TRUE(tray.StartWithIcon());
    PostMessageW(tray.Window(), WM_CLOSE, 0, 0);
    DWORD nExitCode = 1;
    ASSERT_TRUE(tray.WaitForExit(0, &nExitCode));
    EXPECT_EQ(0u, nExitCode);
    EXPECT_FALSE(tray.IconShown());
}

// Icon files that are programs cut short, headers alone or broken icon
// files are passed over; the menus are built and open as ever. The count
// that a typo made huge does not hold up the start either.
TEST(TrayRecoveryEndToEnd, DamagedIconFilesAndAHugeCountLeaveBothMenusWorking)
{
    CTrayProcess tray;
    const std::string program = ReadFileBytes(ExeFolder() + L"\\ambertille.exe");
    ASSERT_GT(program.size(), 4096u);
    struct Damaged
    {
        const wchar_t* pszName;
        std::string bytes;
    };
    const Damaged files[] = {
        { L"cut3000.exe", program.substr(0, 3000) },
        { L"headers.exe", program.substr(0, 1024) },
        { L"half.exe", program.substr(0, program.size() / 2) },
        { L"broken.ico", std::string("\0\0\1\0\xE8\x03\x10\x10\0\0\1\0\x20\0\x28\x04\0\0\xF0\xFF\xFF\x7F", 22) },
        { L"overflow.ico", OverflowingIcon() },
    };
    std::string ini = "[tools]\ncount=2147483647\n";
    int n = 0;
    for (const Damaged& file : files) {
        const std::wstring path = tray.File(file.pszName);
        ASSERT_TRUE(WriteFileBytes(path, file.bytes));
        ini += ToolSection(++n, path);
    }
    tray.WriteSettings(ini);
    ASSERT_TRUE(tray.StartWithIcon());
    EXPECT_TRUE(tray.MenuOpensAndCloses(WM_LBUTTONUP));
    EXPECT_TRUE(tray.MenuOpensAndCloses(WM_RBUTTONUP));
    EXPECT_TRUE(tray.MenuOpensAndCloses(WM_LBUTTONUP)) << "the tools menu opens again";
    EXPECT_TRUE(tray.IsRunning());
}

// A settings file that a crash left empty comes back from the backup before
// the menus are built, and the user is told in a balloon; the backup stays.
TEST(TrayRecoveryEndToEnd, AnEmptySettingsFileIsRestoredFromTheBackupAtStart)
{
    CTrayProcess tray;
    const std::wstring ini = tray.SettingsFile();
    const std::string backup = "[tools]\r\ncount=1\r\n[tool1]\r\nname=Gerettet\r\npath=C:\\windows\\notepad.exe\r\n";
    ASSERT_TRUE(WriteFileBytes(ini + L".bak", backup));
    ASSERT_TRUE(WriteFileBytes(ini, ""));
    ASSERT_TRUE(WaitFor("no balloon before the start", [] { return !BalloonShown(); }));
    ASSERT_TRUE(tray.StartWithIcon());
    EXPECT_TRUE(WaitFor("the balloon about the restored list", BalloonShown));
    EXPECT_EQ(backup, ReadFileBytes(ini));
    EXPECT_EQ(backup, ReadFileBytes(ini + L".bak"));
    EXPECT_TRUE(tray.MenuOpensAndCloses(WM_LBUTTONUP));
}

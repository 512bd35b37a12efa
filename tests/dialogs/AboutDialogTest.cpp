#include "dialogs/CAboutDialog.h"
#include "resources/resource.h"
#include "tray/AppGlobals.h"

#include "support/DialogAutomation.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using tessvald::string::CString;
using namespace testsupport;

namespace {

std::wstring Fixture(const wchar_t* pszName)
{
    return ExeFolder() + L"\\" + pszName;
}

std::wstring OwnProgramPath()
{
    wchar_t szPath[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    return szPath;
}

std::vector<std::wstring> Lines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t nStart = 0;
    for (size_t nEnd; (nEnd = text.find(L'\n', nStart)) != std::wstring::npos; nStart = nEnd + 1)
        lines.push_back(text.substr(nStart, nEnd - nStart));
    lines.push_back(text.substr(nStart));
    return lines;
}

// The box reads the file that g_strModulePath names; each test points it
// at a module of its choice and puts the program's globals back afterwards.
class AboutDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_strSavedPath = g_strModulePath;
        m_hSavedInstance = g_hInstance;
        m_hSavedIcon = g_hAppIcon;
        g_hInstance = GetModuleHandleW(nullptr);
        g_hAppIcon = LoadIconW(nullptr, IDI_APPLICATION);
    }
    void TearDown() override
    {
        g_strModulePath = m_strSavedPath;
        g_hInstance = m_hSavedInstance;
        g_hAppIcon = m_hSavedIcon;
    }

    struct Seen
    {
        int nResult = 0;
        std::wstring title;
        std::wstring text;
        HICON hSmallIcon = nullptr;
        bool bForeground = false;
    };

    // Opens the box for the module and lets the user end it with the action.
    Seen Open(const std::wstring& modulePath, const std::function<void(HWND)>& endIt)
    {
        g_strModulePath = modulePath.c_str();
        Seen seen;
        CDialogAutomation automation([&](HWND hDlg) {
            seen.title = WindowText(hDlg);
            seen.text = ControlText(hDlg, IDC_ABOUT_TEXT);
            seen.hSmallIcon = reinterpret_cast<HICON>(SendMessageW(hDlg, WM_GETICON, ICON_SMALL, 0));
            seen.bForeground = GetForegroundWindow() == hDlg;
            endIt(hDlg);
        });
        CAboutDialog dialog;
        seen.nResult = dialog.DoModal(g_hInstance, nullptr);
        EXPECT_FALSE(automation.TimedOut());
        EXPECT_EQ(1, automation.Count());
        return seen;
    }

    static void ClickClose(HWND hDlg) { ClickButton(hDlg, IDOK); }

private:
    CString m_strSavedPath;
    HINSTANCE m_hSavedInstance = nullptr;
    HICON m_hSavedIcon = nullptr;
};

} // namespace

TEST_F(AboutDialogTest, ShowsTheProgramsOwnVersionResource)
{
    const Seen seen = Open(OwnProgramPath(), ClickClose);
    EXPECT_EQ(1, seen.nResult);
    EXPECT_EQ(L"Über Ambertille", seen.title);
    const std::vector<std::wstring> lines = Lines(seen.text);
    ASSERT_EQ(7u, lines.size()) << seen.text;
    EXPECT_EQ(L"Ambertille", lines[0]);
    EXPECT_EQ(L"", lines[1]);
    EXPECT_EQ(L"Ein Werkzeug zum Laden von Programmen über die Tray-Icon-Leiste.", lines[2]);
    EXPECT_EQ(L"", lines[3]);
    EXPECT_EQ(L"Copyright © 2026 Tessvald", lines[4]);
    EXPECT_EQ(L"", lines[5]);
    EXPECT_EQ(L"Version 2.0.5.42 ", lines[6]);
}

TEST_F(AboutDialogTest, EndsThePrivateBuildLineWithItsText)
{
    const Seen seen = Open(Fixture(L"verinfo_private.dll"), ClickClose);
    EXPECT_EQ(L"Über Prüfling", seen.title);
    EXPECT_EQ(L"Prüfling\n\nEin Prüfmodul für das Über-Fenster.\n\nCopyright © 2031 Prüfwerk\n\n"
              L"Version 10.0.65535.7 test",
              seen.text);
}

TEST_F(AboutDialogTest, ReadsTheEnglishTableThatTheTranslationNames)
{
    const Seen seen = Open(Fixture(L"verinfo_english.dll"), ClickClose);
    EXPECT_EQ(L"Über Probe", seen.title);
    EXPECT_EQ(L"Probe\n\nA test module in English.\n\nCopyright 2029 Test Works\n\nVersion 1.2.3.4 ", seen.text);
}

TEST_F(AboutDialogTest, OpensWithoutAVersionResource)
{
    const Seen seen = Open(Fixture(L"verinfo_none.dll"), ClickClose);
    EXPECT_EQ(1, seen.nResult);
    EXPECT_EQ(L"Über ", seen.title);
    // Absent values leave their places empty instead of showing "(null)".
    EXPECT_EQ(std::wstring::npos, seen.text.find(L"null"));
    EXPECT_EQ(L"Version  ", Lines(seen.text).back());
}

TEST_F(AboutDialogTest, ReadsTheFileAgainAtEveryOpening)
{
    EXPECT_EQ(L"Über Prüfling", Open(Fixture(L"verinfo_private.dll"), ClickClose).title);
    EXPECT_EQ(L"Über Probe", Open(Fixture(L"verinfo_english.dll"), ClickClose).title);
}

TEST_F(AboutDialogTest, EndCodesFollowTheWayItIsClosed)
{
    const struct
    {
        const char* pszWay;
        std::function<void(HWND)> endIt;
        int nExpected;
    } ways[] = {
        { "click on Schließen", ClickClose, 1 },
        { "Enter", [](HWND hDlg) { PressKey(hDlg, VK_RETURN); }, 1 },
        { "Esc", [](HWND hDlg) { PressKey(hDlg, VK_ESCAPE); }, 2 },
        { "close box", [](HWND hDlg) { PostMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0); }, 2 },
    };
    for (const auto& way : ways)
        EXPECT_EQ(way.nExpected, Open(Fixture(L"verinfo_private.dll"), way.endIt).nResult) << way.pszWay;
}

TEST_F(AboutDialogTest, CarriesTheProgramIconAndComesToTheFront)
{
    const Seen seen = Open(Fixture(L"verinfo_private.dll"), ClickClose);
    EXPECT_EQ(g_hAppIcon, seen.hSmallIcon);
    EXPECT_TRUE(seen.bForeground);
}

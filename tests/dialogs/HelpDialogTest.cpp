#include "dialogs/CHelpDialog.h"

#include "resources/resource.h"
#include "support/DialogAutomation.h"
#include "tray/AppGlobals.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

const wchar_t* const kInstallText =
    L"Tr\u00e4gt das Programm in der Registry ein. Wenn \":all\" mit angegeben wird, dann erfolgt die "
    L"Registrierung f\u00fcr alle Benutzer. Anderenfalls erfolgt die Registrierung nur f\u00fcr den aktuellen "
    L"Benutzer.";

// Shows the help screen for a program file of the given path and hands the
// open screen to the action, which must end it; returns the end code.
int ShowHelp(const wchar_t* pszModule, const std::function<void(HWND)>& action)
{
    const tessvald::string::CString saved(g_strModulePath);
    g_strModulePath = pszModule;
    CDialogAutomation automation([&action](HWND hDlg) { action(hDlg); });
    CHelpDialog dialog;
    const int nResult = dialog.DoModal(GetModuleHandleW(nullptr), nullptr);
    EXPECT_FALSE(automation.TimedOut());
    g_strModulePath = saved;
    return nResult;
}

struct ExpectedControl
{
    int nId;
    const wchar_t* pszClass;
    std::wstring text;
    RECT place;  // x, y, width, height in dialog units
};

RECT ChildRectInClient(HWND hDlg, HWND hChild)
{
    RECT rect;
    GetWindowRect(hChild, &rect);
    MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

TEST(HelpDialog, UsageLineNamesTheProgramFile)
{
    struct Case { const wchar_t* pszModule; const wchar_t* pszUsage; };
    const Case cases[] = {
        { L"C:\\Programme\\Ambertille.exe", L"Ambertille.exe [option]" },
        { L"C:\\Programme\\Ambertille", L"Ambertille [option]" },
        { L"D:\\Amber Tille\\amber.tille.EXE", L"amber.tille.EXE [option]" },
        { L"C:\\100%s\\x%d.exe", L"x%d.exe [option]" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszModule);
        std::wstring usage;
        ShowHelp(c.pszModule, [&usage](HWND hDlg) {
            usage = ControlText(hDlg, IDC_USAGE);
            PressKey(hDlg, VK_ESCAPE);
        });
        EXPECT_EQ(c.pszUsage, usage);
    }
}

TEST(HelpDialog, TemplateTextsAndPlaces)
{
    const std::vector<ExpectedControl> expected = {
        { IDOK, L"Button", L"&Schlie\u00dfen", { 240, 132, 50, 14 } },
        { -1, L"Static", L"Verwendung:", { 7, 7, 283, 8 } },
        { IDC_USAGE, L"Static", L"ambertille.exe [option]", { 25, 20, 265, 8 } },
        { -1, L"Static", L"Optionen:", { 7, 33, 283, 8 } },
        { -1, L"Static", L"-run", { 25, 46, 42, 8 } },
        { -1, L"Static", L"Startet das Programm, falls es noch nicht gestartet wurde.", { 70, 46, 220, 8 } },
        { -1, L"Static", L"-install[:all]", { 25, 59, 42, 8 } },
        { -1, L"Static", kInstallText, { 70, 59, 220, 32 } },
        { -1, L"Static", L"-remove", { 25, 96, 42, 8 } },
        { -1, L"Static", L"Entfernt das Programm wieder von der Registry.", { 70, 96, 220, 8 } },
        { -1, L"Static", L"-helpfile", { 25, 109, 42, 8 } },
        { -1, L"Static", L"Zeigt die externe Hilfedatei des Programms an.", { 70, 109, 220, 8 } },
        { -1, L"Static", L"-help", { 25, 122, 42, 8 } },
        { -1, L"Static", L"Zeigt diesen Hilfebildschirm an.", { 70, 122, 220, 8 } },
    };

    std::wstring title;
    std::vector<HWND> children;
    std::vector<RECT> actual;
    std::vector<RECT> mapped;
    LONG nStyle = 0;
    HICON hSmallIcon = nullptr;
    g_hAppIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 16, 16, 0));
    ASSERT_NE(nullptr, g_hAppIcon);
    ShowHelp(L"C:\\Tools\\ambertille.exe", [&](HWND hDlg) {
        title = WindowText(hDlg);
        nStyle = GetWindowLongW(hDlg, GWL_STYLE);
        hSmallIcon = reinterpret_cast<HICON>(SendMessageW(hDlg, WM_GETICON, ICON_SMALL, 0));
        for (HWND h = GetWindow(hDlg, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
            children.push_back(h);
            actual.push_back(ChildRectInClient(hDlg, h));
        }
        for (const ExpectedControl& control : expected) {
            // The dialog manager maps position and size apart, each rounded.
            RECT place = control.place;
            MapDialogRect(hDlg, &place);
            mapped.push_back(place);
        }
        // Texts are read while the screen is up.
        for (size_t i = 0; i < children.size() && i < expected.size(); ++i) {
            SCOPED_TRACE(expected[i].text);
            EXPECT_EQ(expected[i].nId, static_cast<int>(static_cast<short>(GetDlgCtrlID(children[i]))));
            EXPECT_EQ(expected[i].pszClass, ClassName(children[i]));
            EXPECT_EQ(expected[i].text, WindowText(children[i]));
            if (std::wstring(expected[i].pszClass) == L"Static") {
                EXPECT_EQ(SS_LEFT, GetWindowLongW(children[i], GWL_STYLE) & SS_TYPEMASK);
            }
        }
        PressKey(hDlg, VK_ESCAPE);
    });

    EXPECT_EQ(L"Ambertille - Aufrufparameter", title);
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU),
              nStyle & static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(g_hAppIcon, hSmallIcon);
    DestroyIcon(g_hAppIcon);
    g_hAppIcon = nullptr;
    ASSERT_EQ(expected.size(), children.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].text);
        EXPECT_EQ(mapped[i].left, actual[i].left);
        EXPECT_EQ(mapped[i].top, actual[i].top);
        EXPECT_EQ(mapped[i].right, actual[i].right - actual[i].left);
        EXPECT_EQ(mapped[i].bottom, actual[i].bottom - actual[i].top);
    }
}

TEST(HelpDialog, EndCodes)
{
    struct Case { const char* pszHow; std::function<void(HWND)> action; int nExpected; };
    const Case cases[] = {
        { "Enter", [](HWND hDlg) { PressKey(hDlg, VK_RETURN); }, IDOK },
        { "Esc", [](HWND hDlg) { PressKey(hDlg, VK_ESCAPE); }, IDCANCEL },
        { "close box", [](HWND hDlg) { PostMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL },
        { "button", [](HWND hDlg) { ClickButton(hDlg, IDOK); }, IDOK },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszHow);
        EXPECT_EQ(c.nExpected, ShowHelp(L"C:\\Tools\\ambertille.exe", c.action));
    }

    // Commands other than the two closing ones, and notifications other
    // than clicks, are ignored: the screen ends only with the Esc after them.
    EXPECT_EQ(IDCANCEL, ShowHelp(L"C:\\Tools\\ambertille.exe", [](HWND hDlg) {
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_SETFOCUS), 0);
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDC_USAGE, 0), 0);
        PressKey(hDlg, VK_ESCAPE);
    }));
}

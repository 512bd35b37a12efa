#include "RecordingShell.h"
#include "TrayTestSupport.h"

#include "foundation/ScopedHandle.h"
#include "support/DialogAutomation.h"
#include "support/RegistryGuard.h"
#include "support/TextReport.h"
#include "tray/AppGlobals.h"
#include "tray/ConfigFileWatch.h"
#include "tray/TrayMenus.h"
#include "tray/TrayNotice.h"
#include "tray/TrayWindow.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using testsupport::CAutostartValue;
using testsupport::CDialogAutomation;
using testsupport::CMenuDriver;
using testsupport::ClassName;
using testsupport::IsMessageBox;
using testsupport::kElevatedClick;
using testsupport::kElevatedEnter;
using testsupport::MessageBoxText;
using testsupport::Narrow;
using testsupport::Typed;
using testsupport::WaitForTextFile;
using testsupport::WindowText;
using traytest::CMainTestWindow;
using traytest::CRecordingShell;
using traytest::CTraySettings;
using traytest::DescribeMenu;

namespace {

bool TakeQuitMessage()
{
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

} // namespace

TEST(MainWindow, BuildsBothMenusWhenCreatedAndReleasesThemAndQuitsWhenDestroyed)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\n[tool1]\nname=One\n");
    {
        CMainTestWindow window;
        EXPECT_EQ(L"2025 One|-|2024 Programme bearbeiten", DescribeMenu(g_hToolsMenu));
        EXPECT_NE(nullptr, g_hProgramMenu);
        DestroyWindow(window.Get());
        EXPECT_EQ(nullptr, g_hToolsMenu);
        EXPECT_EQ(nullptr, g_hProgramMenu);
        EXPECT_TRUE(TakeQuitMessage()) << "a window closed from outside must end the program, not leave it iconless";
    }
}

TEST(MainWindow, LeftClickShowsTheToolsMenuRebuiltAfterAnOutsideEdit)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\n[tool1]\nname=One\n");
    RememberConfigFileState();
    CMainTestWindow window;

    settings.Write("[tools]\ncount=2\n[tool1]\nname=One\n[tool2]\nname=Two\n");
    bool bActiveWhileOpen = false;
    CMenuDriver driver({}, [&] { bActiveWhileOpen = g_bMenuActive; });
    window.Click(WM_LBUTTONUP);
    ASSERT_EQ(1u, driver.m_opened.size());
    EXPECT_EQ(L"2025 One|2026 Two|-|2024 Programme bearbeiten", driver.m_opened[0]);
    EXPECT_TRUE(bActiveWhileOpen);
    EXPECT_FALSE(g_bMenuActive);
}

TEST(MainWindow, EditThatKeepsSizeAndTimeGoesUnnoticed)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\n[tool1]\nname=One\n");
    RememberConfigFileState();
    CMainTestWindow window;
    BY_HANDLE_FILE_INFORMATION before = g_configFileInfo;

    settings.Write("[tools]\ncount=1\n[tool1]\nname=Uno\n");
    settings.SetWriteTime(before.ftLastWriteTime);

    CMenuDriver driver;
    window.Click(WM_LBUTTONUP);
    ASSERT_EQ(1u, driver.m_opened.size());
    EXPECT_EQ(L"2025 One|-|2024 Programme bearbeiten", driver.m_opened[0]);
}

TEST(MainWindow, ChoosingAToolStartsIt)
{
    CTraySettings settings;
    const std::wstring recorder = testsupport::CopyRecorder(settings.Folder(), L"chosen");
    settings.Write("[tools]\ncount=1\n[tool1]\nname=Chosen\nparam=picked\npath=" + Narrow(recorder) + "\n");
    RememberConfigFileState();
    CMainTestWindow window;

    CMenuDriver driver({ VK_DOWN, VK_RETURN });
    window.Click(WM_LBUTTONUP);
    std::wstring report;
    ASSERT_TRUE(WaitForTextFile(settings.File(L"chosen.txt"), &report, testsupport::kStartMs));
    EXPECT_NE(std::wstring::npos, report.find(L" picked\n")) << Narrow(report);
    EXPECT_FALSE(g_bMenuActive);
}

TEST(MainWindow, ClicksWhileAMenuIsOpenAreDropped)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\n[tool1]\nname=One\n");
    RememberConfigFileState();
    CMainTestWindow window;
    {
        CMenuDriver driver({}, [&] {
            window.Click(WM_RBUTTONUP);
            window.Click(WM_LBUTTONUP);
        });
        window.Click(WM_LBUTTONUP);
        EXPECT_EQ(1u, driver.m_opened.size());
    }
    // Once the menu is gone, the icon answers again.
    CMenuDriver driver;
    window.Click(WM_RBUTTONUP);
    ASSERT_EQ(1u, driver.m_opened.size());
    EXPECT_EQ(L"2025 \u00DCber ...|-|2027 Deinstallieren|2028 Beenden", driver.m_opened[0]);
}

TEST(MainWindow, OtherMouseMessagesOpenNothing)
{
    CTraySettings settings;
    CMainTestWindow window;
    CMenuDriver driver;
    for (UINT nMessage : { WM_MBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONDBLCLK })
        window.Click(nMessage);
    EXPECT_TRUE(driver.m_opened.empty());
}

// Another program may still refuse the log-off after the query: only its
// end, confirmed, ends the tray.
TEST(MainWindow, ExitAndSessionEndQuitTheLoop)
{
    CTraySettings settings;
    CMainTestWindow window;
    EXPECT_FALSE(TakeQuitMessage());
    EXPECT_TRUE(SendMessageW(window.Get(), WM_QUERYENDSESSION, 0, 0)) << "log-off must be allowed to go on";
    EXPECT_FALSE(TakeQuitMessage()) << "the query alone";
    SendMessageW(window.Get(), WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(TakeQuitMessage()) << "a log-off that was refused";
    SendMessageW(window.Get(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(TakeQuitMessage());

    CMenuDriver driver({ VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN });
    window.Click(WM_RBUTTONUP);
    EXPECT_TRUE(TakeQuitMessage());
}

TEST(MainWindow, SessionEndClosesAnOpenMenu)
{
    CTraySettings settings;
    CMainTestWindow window;
    // A key that does nothing keeps the driver from closing the menu itself.
    CMenuDriver driver({ VK_SHIFT }, [&] { SendMessageW(window.Get(), WM_ENDSESSION, TRUE, 0); });
    const DWORD nStart = GetTickCount();
    window.Click(WM_RBUTTONUP);
    EXPECT_LT(GetTickCount() - nStart, 1500u) << "the menu stayed open after the session end";
    EXPECT_TRUE(TakeQuitMessage());
}

TEST(MainWindow, UninstallAsksAndOnlyYesRemovesTheRunValueAndQuits)
{
    CTraySettings settings;
    CMainTestWindow window;
    for (int nAnswer : { IDNO, IDYES }) {
        SCOPED_TRACE(nAnswer == IDYES ? "yes" : "no");
        CAutostartValue runValue;
        std::wstring question;
        std::wstring caption;
        int nBoxes = 0;
        // The hidden window comes to the foreground too; only the box is answered.
        CDialogAutomation automation([&](HWND hBox) {
            if (!IsMessageBox(hBox))
                return;
            ++nBoxes;
            question = MessageBoxText(hBox);
            caption = WindowText(hBox);
            PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(nAnswer, 0), 0);
        });
        CMenuDriver driver({ VK_DOWN, VK_DOWN, VK_RETURN });
        window.Click(WM_RBUTTONUP);
        EXPECT_EQ(1, nBoxes);
        EXPECT_EQ(L"Wollen Sie das Programm wirklich de-registrieren?", question);
        EXPECT_EQ(L"Ambertille", caption);
        EXPECT_EQ(nAnswer == IDNO, CAutostartValue::Present());
        EXPECT_EQ(nAnswer == IDYES, TakeQuitMessage());
    }
}

TEST(RunTray, ReportsAClassThatCannotBeRegisteredAndEnds)
{
    CTraySettings settings;
    g_hInstance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = g_hInstance;
    wc.lpszClassName = L"AmbertilleWindowClass";
    ASSERT_NE(0, RegisterClassExW(&wc));
    std::wstring text;
    CDialogAutomation automation([&](HWND hBox) {
        if (!IsMessageBox(hBox))
            return;
        text = MessageBoxText(hBox);
        PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    });
    RunTray();
    UnregisterClassW(wc.lpszClassName, g_hInstance);
    EXPECT_EQ(0u, text.find(L"Das Fenster konnte nicht registriert werden!\n")) << Narrow(text);
    EXPECT_GT(text.size(), 46u) << "the system's reason is missing";
    EXPECT_EQ(nullptr, g_hMainWnd);
    EXPECT_FALSE(g_bIconAdded);
}

TEST(MainWindow, ADeletedSettingsFileLeavesNoToolsInTheNextMenu)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\n[tool1]\nname=One\npath=C:\\one.exe\n");
    RememberConfigFileState();
    CMainTestWindow window;
    DeleteFileW(settings.IniPath().c_str());
    for (int nClick = 0; nClick < 2; ++nClick) {
        CMenuDriver driver;
        window.Click(WM_LBUTTONUP);
        ASSERT_EQ(1u, driver.m_opened.size());
        EXPECT_EQ(L"2024 Programme bearbeiten", driver.m_opened[0]);
    }
    settings.Write("[tools]\ncount=1\n[tool1]\nname=Back\n");
    CMenuDriver driver;
    window.Click(WM_LBUTTONUP);
    ASSERT_EQ(1u, driver.m_opened.size());
    EXPECT_EQ(L"2025 Back|-|2024 Programme bearbeiten", driver.m_opened[0]);
}

// A settings file that another program holds locked is no list: the menu
// keeps what it shows (nothing, before the first reading) and the first
// click after the lock shows the file's tools.
TEST(MainWindow, ALockedSettingsFileIsNoListAndIsReadAgainOnceFree)
{
    const struct
    {
        const char* pszCase;
        bool bLockedAtStart;
        const wchar_t* pszWhileLocked;
    } cases[] = {
        { "locked at start", true, L"2024 Programme bearbeiten" },
        { "changed, then locked at a click", false, L"2025 One|-|2024 Programme bearbeiten" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CTraySettings settings;
        settings.Write("[tools]\ncount=1\n[tool1]\nname=One\n");
        RememberConfigFileState();
        const auto lock = [&] {
            return tessvald::CFileHandle(CreateFileW(settings.IniPath().c_str(), GENERIC_READ, 0, nullptr,
                                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        };
        tessvald::CFileHandle held;
        if (c.bLockedAtStart)
            held = lock();
        CMainTestWindow window;
        if (!c.bLockedAtStart) {
            settings.Write("[tools]\ncount=2\n[tool1]\nname=One\n[tool2]\nname=Two\n");
            held = lock();
        }
        ASSERT_TRUE(held);
        for (const wchar_t* pszExpected : { c.pszWhileLocked, c.bLockedAtStart ? L"2025 One|-|2024 Programme bearbeiten"
                                                                               : L"2025 One|2026 Two|-|2024 Programme bearbeiten" }) {
            CMenuDriver driver;
            window.Click(WM_LBUTTONUP);
            ASSERT_EQ(1u, driver.m_opened.size());
            EXPECT_EQ(pszExpected, driver.m_opened[0]);
            held.Reset();
        }
    }
}

TEST(MainWindow, MenusOpenedFromTheKeyboardStartOnTheirFirstEntry)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=2\n[tool1]\nname=One\n[tool2]\nname=Two\n");
    RememberConfigFileState();
    CMainTestWindow window;
    struct Case
    {
        UINT nEvent;
        int nSelected;
    };
    for (const Case& c : { Case{ NIN_KEYSELECT, 0 }, Case{ WM_CONTEXTMENU, 0 }, Case{ WM_LBUTTONUP, -1 } }) {
        SCOPED_TRACE(c.nEvent);
        CMenuDriver driver({ VK_ESCAPE });
        window.Click(c.nEvent);
        ASSERT_EQ(1u, driver.m_opened.size());
        ASSERT_FALSE(driver.m_selected.empty());
        EXPECT_EQ(c.nSelected, driver.m_selected[0]);
    }
}

// Letters pick entries by the first letter of their names; what a choice
// starts is seen at the shell, each tool with its number as parameter.
TEST(MainWindow, TypingALetterPicksTheEntriesThatBeginWithIt)
{
    CTraySettings settings;
    const std::wstring present = settings.File(L"present.exe");
    testsupport::WriteFileBytes(present, "MZ");
    const auto tool = [&](int n, const std::string& name) {
        return "[tool" + std::to_string(n) + "]\nname=" + name + "\nparam=tool" + std::to_string(n) + "\npath="
            + Narrow(present) + "\n";
    };
    settings.Write("\xEF\xBB\xBF[tools]\ncount=6\n" + tool(1, "B\xC3\xA4r") + tool(2, "\xC3\x9C" "bersicht")
                   + "[tool3]\nname=-\n" + tool(4, "beta") + "[tool5]\nname=Grau\npath=C:\\nowhere\\grau.exe\n"
                   + tool(6, "Paint"));
    RememberConfigFileState();
    CMainTestWindow window;
    CRecordingShell shell;
    struct Case
    {
        const char* pszName;
        std::vector<UINT> keys;
        std::vector<int> selected;  // before each key while the menu is open
        const wchar_t* pszStarted;  // the parameter of the tool started, or empty
    };
    const std::vector<Case> cases = {
        { "one match starts at once, any case and script", { Typed(L'\u00FC') }, { -1 }, L"tool2" },
        { "two matches: each press moves on", { Typed(L'b'), Typed(L'B'), Typed(L'b'), VK_ESCAPE }, { -1, 0, 3, 0 },
          L"" },
        { "Enter starts the selected match", { Typed(L'B'), Typed(L'b'), VK_RETURN }, { -1, 0, 3 }, L"tool4" },
        { "a greyed match is selected, never started", { Typed(L'g'), VK_RETURN, VK_ESCAPE }, { -1, 4 }, L"" },
        { "the editor's entry answers to its letter", { Typed(L'p'), Typed(L'p'), VK_ESCAPE }, { -1, 5, 7 }, L"" },
        { "no match keeps the menu as it is", { Typed(L'z'), VK_ESCAPE }, { -1, -1 }, L"" },
        { "Ctrl+Shift+Enter", { Typed(L'B'), kElevatedEnter }, { -1, 0 }, L"tool1" },
        { "Ctrl+Shift+click", { kElevatedClick }, { -1 }, L"tool1" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CRecordingShell::Call() = traytest::SShellCall();
        CMenuDriver driver(c.keys);
        window.Click(WM_LBUTTONUP);
        ASSERT_EQ(1u, driver.m_opened.size());
        ASSERT_GE(driver.m_selected.size(), c.selected.size());
        EXPECT_EQ(c.selected, std::vector<int>(driver.m_selected.begin(), driver.m_selected.begin() + c.selected.size()));
        EXPECT_EQ(c.pszStarted[0] != L'\0' ? 1 : 0, CRecordingShell::Call().nCalls);
        EXPECT_EQ(c.pszStarted, CRecordingShell::Call().parameters);
        const bool bElevated = c.keys.back() == kElevatedEnter || c.keys.back() == kElevatedClick;
        EXPECT_EQ(bElevated ? L"runas" : (c.pszStarted[0] != L'\0' ? L"open" : L""), CRecordingShell::Call().verb);
    }
}

TEST(MainWindow, TheProgramMenuAnswersToItsLetters)
{
    CTraySettings settings;
    CMainTestWindow window;
    std::vector<std::wstring> boxes;
    // The hidden window comes to the foreground too; only dialogs and boxes count.
    CDialogAutomation automation([&](HWND hBox) {
        if (ClassName(hBox) != L"#32770")
            return;
        boxes.push_back(WindowText(hBox));
        PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(IsMessageBox(hBox) ? IDNO : IDCANCEL, 0), 0);
    });
    for (wchar_t ch : { L'\u00FC', L'd' }) {
        CMenuDriver driver({ Typed(ch) });
        window.Click(WM_RBUTTONUP);
    }
    ASSERT_EQ(2u, boxes.size());
    EXPECT_NE(std::wstring::npos, boxes[0].find(L"Ambertille")) << "the About box";
    EXPECT_EQ(L"Ambertille", boxes[1]) << "the uninstall question";
    EXPECT_FALSE(TakeQuitMessage());
    CMenuDriver driver({ Typed(L'B') });
    window.Click(WM_RBUTTONUP);
    EXPECT_TRUE(TakeQuitMessage());
}

TEST(MainWindow, TheGlobalShortcutOpensTheToolsMenuAndATakenOneIsToldOnce)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\nhotkey=Ctrl+Alt+F11\n[tool1]\nname=One\n");
    RememberConfigFileState();
    TakeQueuedTrayNotices(traytest::State());
    // Another program holds the shortcut first.
    HWND hHolder = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(hHolder, 7, MOD_CONTROL | MOD_ALT, VK_F11));
    {
        CMainTestWindow window;
        EXPECT_EQ(L"Das Tastenk\u00fcrzel Strg+Alt+F11 ist bereits vergeben.", TakeQueuedTrayNotices(traytest::State()));
        settings.Write("[tools]\ncount=2\nhotkey=Ctrl+Alt+F11\n[tool1]\nname=One\n[tool2]\nname=Two\n");
        CMenuDriver driver;
        window.Click(WM_LBUTTONUP);
        EXPECT_EQ(L"", TakeQueuedTrayNotices(traytest::State())) << "told again at a rebuild";
    }
    UnregisterHotKey(hHolder, 7);

    CMainTestWindow window;
    EXPECT_EQ(L"", TakeQueuedTrayNotices(traytest::State()));
    EXPECT_FALSE(RegisterHotKey(hHolder, 7, MOD_CONTROL | MOD_ALT, VK_F11)) << "the tray holds it now";
    CMenuDriver driver({ VK_ESCAPE });
    SendMessageW(window.Get(), WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL | MOD_ALT, VK_F11));
    ASSERT_EQ(1u, driver.m_opened.size());
    EXPECT_EQ(L"2025 One|2026 Two|-|2024 Programme bearbeiten", driver.m_opened[0]);
    ASSERT_FALSE(driver.m_selected.empty());
    EXPECT_EQ(0, driver.m_selected[0]) << "opened from the keyboard";

    // Taken out of the file, the shortcut is given back.
    settings.Write("[tools]\ncount=1\n[tool1]\nname=One\n");
    CMenuDriver again;
    window.Click(WM_LBUTTONUP);
    EXPECT_TRUE(RegisterHotKey(hHolder, 7, MOD_CONTROL | MOD_ALT, VK_F11));
    UnregisterHotKey(hHolder, 7);
    DestroyWindow(hHolder);
}

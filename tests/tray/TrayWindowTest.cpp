#include "RecordingShell.h"
#include "TrayTestSupport.h"

#include "foundation/ScopedHandle.h"
#include "support/DialogAutomation.h"
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

using testsupport::CDialogAutomation;
using testsupport::ClassName;
using testsupport::ExeFolder;
using testsupport::IsMessageBox;
using testsupport::MessageBoxText;
using testsupport::WindowText;
using traytest::CRecordingShell;
using traytest::CTraySettings;
using traytest::DescribeMenu;
using testsupport::Narrow;
using testsupport::WaitForTextFile;

namespace {

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"AmbertilleWatchDog";

// A typed character among the keys of a CMenuDriver script.
constexpr UINT kTypedFlag = 0x10000;
constexpr UINT Typed(wchar_t ch)
{
    return kTypedFlag | ch;
}
// Ctrl+Shift+Enter pressed on the keyboard: the key state that goes with
// it exists only for real input, not for posted messages.
constexpr UINT kElevatedEnter = 0x20000;
// A click with Ctrl+Shift held on the first entry.
constexpr UINT kElevatedClick = 0x20001;

INPUT KeyInput(WORD nKey, bool bUp)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = nKey;
    input.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT MouseInput(DWORD nFlags, POINT pt)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(pt.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(pt.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = nFlags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return input;
}

// What happens once a popup menu of this thread shows: keys go to it one
// at a time, as a user presses them, or it is cancelled; the menus that
// opened are noted as text, and before each key which entry was selected.
class CMenuDriver
{
public:
    explicit CMenuDriver(std::vector<UINT> keys = {}, std::function<void()> whileOpen = nullptr)
        : m_keys(std::move(keys)), m_whileOpen(std::move(whileOpen))
    {
        s_pActive = this;
        m_hHook = SetWindowsHookExW(WH_CALLWNDPROC, HookProc, nullptr, GetCurrentThreadId());
        m_nTimer = SetTimer(nullptr, 0, 30, TimerProc);
    }
    CMenuDriver(const CMenuDriver&) = delete;
    CMenuDriver& operator=(const CMenuDriver&) = delete;
    virtual ~CMenuDriver()
    {
        KillTimer(nullptr, m_nTimer);
        UnhookWindowsHookEx(m_hHook);
        s_pActive = nullptr;
    }

    std::vector<std::wstring> m_opened;
    bool m_bActiveWhileOpen = false;
    // The selected position before each key and after the last; -1 for none.
    std::vector<int> m_selected;

private:
    static HWND FindMenuWindow()
    {
        HWND hFound = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND hWnd, LPARAM lParam) {
                if (ClassName(hWnd) == L"#32768" && IsWindowVisible(hWnd)) {
                    *reinterpret_cast<HWND*>(lParam) = hWnd;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&hFound));
        return hFound;
    }

    static LRESULT CALLBACK HookProc(int nCode, WPARAM wParam, LPARAM lParam)
    {
        const auto* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (nCode == HC_ACTION && s_pActive != nullptr && pMsg->message == WM_INITMENUPOPUP) {
            s_pActive->m_hMenu = reinterpret_cast<HMENU>(pMsg->wParam);
            s_pActive->m_opened.push_back(DescribeMenu(s_pActive->m_hMenu));
        }
        return CallNextHookEx(nullptr, nCode, wParam, lParam);
    }

    int SelectedPosition() const
    {
        const int nCount = GetMenuItemCount(m_hMenu);
        for (int i = 0; i < nCount; ++i) {
            if ((GetMenuState(m_hMenu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) != 0)
                return i;
        }
        return -1;
    }

    void PostInput(HWND hMenuWnd, UINT nKey) const
    {
        if (nKey == kElevatedEnter || nKey == kElevatedClick) {
            RECT rc = {};
            GetMenuItemRect(nullptr, m_hMenu, 0, &rc);
            const POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
            const bool bEnter = nKey == kElevatedEnter;
            INPUT inputs[] = { KeyInput(VK_CONTROL, false),
                               KeyInput(VK_SHIFT, false),
                               bEnter ? KeyInput(VK_RETURN, false) : MouseInput(MOUSEEVENTF_LEFTDOWN, pt),
                               bEnter ? KeyInput(VK_RETURN, true) : MouseInput(MOUSEEVENTF_LEFTUP, pt),
                               KeyInput(VK_SHIFT, true),
                               KeyInput(VK_CONTROL, true) };
            SendInput(ARRAYSIZE(inputs), inputs, sizeof(INPUT));
            return;
        }
        if ((nKey & kTypedFlag) != 0) {
            PostMessageW(hMenuWnd, WM_CHAR, nKey & 0xFFFF, 1);
            return;
        }
        PostMessageW(hMenuWnd, WM_KEYDOWN, nKey, 1);
        PostMessageW(hMenuWnd, WM_KEYUP, nKey, 0xC0000001);
    }

    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD)
    {
        CMenuDriver* self = s_pActive;
        HWND hMenuWnd = FindMenuWindow();
        if (self == nullptr || hMenuWnd == nullptr)
            return;
        if (!self->m_bActed) {
            self->m_bActed = true;
            self->m_bActiveWhileOpen = g_bMenuActive;
            if (self->m_whileOpen)
                self->m_whileOpen();
            if (self->m_keys.empty()) {
                EndMenu();
                return;
            }
        }
        if (self->m_nNextKey < self->m_keys.size() || self->m_selected.size() == self->m_keys.size()) {
            self->m_selected.push_back(self->SelectedPosition());
            self->m_nActedAt = GetTickCount();
        }
        if (self->m_nNextKey < self->m_keys.size()) {
            self->PostInput(hMenuWnd, self->m_keys[self->m_nNextKey++]);
            return;
        }
        // A menu still open long after the script ran (a second one that
        // should never have opened, or keys that did not arrive) is closed,
        // so the test fails instead of hanging.
        if (GetTickCount() - self->m_nActedAt > 2000)
            EndMenu();
    }

    static CMenuDriver* s_pActive;
    std::vector<UINT> m_keys;
    std::function<void()> m_whileOpen;
    HHOOK m_hHook = nullptr;
    UINT_PTR m_nTimer = 0;
    bool m_bActed = false;
    DWORD m_nActedAt = 0;
    std::size_t m_nNextKey = 0;
    HMENU m_hMenu = nullptr;
};

CMenuDriver* CMenuDriver::s_pActive = nullptr;

// A hidden window run by the program's window procedure, as "-run" makes it.
class CTrayTestWindow
{
public:
    CTrayTestWindow()
    {
        g_hInstance = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = MainWndProc;
        wc.hInstance = g_hInstance;
        wc.lpszClassName = L"AmbertilleTestWindow";
        RegisterClassExW(&wc);
        m_hWnd = CreateWindowExW(0, wc.lpszClassName, L"Ambertille test", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr,
                                 nullptr, g_hInstance, nullptr);
    }
    CTrayTestWindow(const CTrayTestWindow&) = delete;
    CTrayTestWindow& operator=(const CTrayTestWindow&) = delete;
    virtual ~CTrayTestWindow()
    {
        if (IsWindow(m_hWnd))
            DestroyWindow(m_hWnd);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        g_bMenuActive = false;
    }

    HWND Get() const { return m_hWnd; }
    void Click(UINT nMouseMessage) const { SendMessageW(m_hWnd, WM_TRAYNOTIFY, 0, nMouseMessage); }

private:
    HWND m_hWnd = nullptr;
};

bool TakeQuitMessage()
{
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

void SetRunValue()
{
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                             &hKey, nullptr));
    const wchar_t kData[] = L"\"C:\\Ambertille\\ambertille.exe\" -run";
    RegSetValueExW(hKey, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(kData), sizeof(kData));
    RegCloseKey(hKey);
}

bool HasRunValue()
{
    return RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, nullptr, nullptr)
        == ERROR_SUCCESS;
}

} // namespace

TEST(MainWindow, BuildsBothMenusWhenCreatedAndReleasesThemAndQuitsWhenDestroyed)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\n[tool1]\nname=One\n");
    {
        CTrayTestWindow window;
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
    CTrayTestWindow window;

    settings.Write("[tools]\ncount=2\n[tool1]\nname=One\n[tool2]\nname=Two\n");
    CMenuDriver driver;
    window.Click(WM_LBUTTONUP);
    ASSERT_EQ(1u, driver.m_opened.size());
    EXPECT_EQ(L"2025 One|2026 Two|-|2024 Programme bearbeiten", driver.m_opened[0]);
    EXPECT_TRUE(driver.m_bActiveWhileOpen);
    EXPECT_FALSE(g_bMenuActive);
}

TEST(MainWindow, EditThatKeepsSizeAndTimeGoesUnnoticed)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\n[tool1]\nname=One\n");
    RememberConfigFileState();
    CTrayTestWindow window;
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
    const std::wstring recorder = settings.File(L"chosen.exe");
    CopyFileW((ExeFolder() + L"\\launch_recorder.exe").c_str(), recorder.c_str(), FALSE);
    settings.Write("[tools]\ncount=1\n[tool1]\nname=Chosen\nparam=picked\npath=" + Narrow(recorder) + "\n");
    RememberConfigFileState();
    CTrayTestWindow window;

    CMenuDriver driver({ VK_DOWN, VK_RETURN });
    window.Click(WM_LBUTTONUP);
    const std::wstring report = WaitForTextFile(settings.File(L"chosen.txt"), 15000);
    EXPECT_NE(std::wstring::npos, report.find(L" picked\n")) << Narrow(report);
    EXPECT_FALSE(g_bMenuActive);
}

TEST(MainWindow, ClicksWhileAMenuIsOpenAreDropped)
{
    CTraySettings settings;
    settings.Write("[tools]\ncount=1\n[tool1]\nname=One\n");
    RememberConfigFileState();
    CTrayTestWindow window;
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
    CTrayTestWindow window;
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
    CTrayTestWindow window;
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
    CTrayTestWindow window;
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
    CTrayTestWindow window;
    for (int nAnswer : { IDNO, IDYES }) {
        SCOPED_TRACE(nAnswer == IDYES ? "yes" : "no");
        SetRunValue();
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
        EXPECT_EQ(nAnswer == IDNO, HasRunValue());
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
    CTrayTestWindow window;
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
        CTrayTestWindow window;
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
    CTrayTestWindow window;
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
    CTrayTestWindow window;
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
    CTrayTestWindow window;
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
        CTrayTestWindow window;
        EXPECT_EQ(L"Das Tastenk\u00fcrzel Strg+Alt+F11 ist bereits vergeben.", TakeQueuedTrayNotices(traytest::State()));
        settings.Write("[tools]\ncount=2\nhotkey=Ctrl+Alt+F11\n[tool1]\nname=One\n[tool2]\nname=Two\n");
        CMenuDriver driver;
        window.Click(WM_LBUTTONUP);
        EXPECT_EQ(L"", TakeQueuedTrayNotices(traytest::State())) << "told again at a rebuild";
    }
    UnregisterHotKey(hHolder, 7);

    CTrayTestWindow window;
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

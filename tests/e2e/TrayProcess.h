#pragma once

#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/Wait.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace e2e {

constexpr wchar_t kMenuClass[] = L"#32768";
constexpr wchar_t kBoxClass[] = L"#32770";
// What the shell posts to the tray window for the icon's events.
constexpr UINT kTrayNotify = WM_USER + 100;

// The built program copied under a name of its own into a fresh folder
// whose name has a blank, as "Program Files" has, with its settings file;
// started and driven from outside like the shell and a user would. What
// still runs when the object goes is ended as a session's end ends it, so
// its icon leaves the shared notification area, and by force after that.
class CTrayProcess
{
public:
    // The settings lines are written with CR LF beside the copy; none are
    // written when there are none.
    explicit CTrayProcess(const std::string& settings = "", const std::wstring& exeName = L"ambertille.exe");
    CTrayProcess(const CTrayProcess&) = delete;
    CTrayProcess& operator=(const CTrayProcess&) = delete;
    virtual ~CTrayProcess();

    const std::wstring& Exe() const { return m_exePath; }
    const std::wstring& Folder() const { return m_folder; }
    std::wstring File(const std::wstring& name) const { return m_folder + L"\\" + name; }
    std::wstring SettingsFile() const { return File(L"ambertille.ini"); }
    // Lines separated by '\n', written with CR LF.
    void WriteSettings(const std::string& lines) const;

    // Starts the copy with this command line; a second start makes a
    // second process of the same copy, its index 1.
    testing::AssertionResult Start(const wchar_t* pszArguments = L"-run");
    // Starts it with "-run" and waits for its window and icon.
    testing::AssertionResult StartWithIcon();
    // The index of the process started last.
    size_t Latest() const { return m_processes.size() - 1; }
    DWORD ProcessId(size_t nIndex = 0) const { return m_processes.at(nIndex)->Id(); }
    bool IsRunning(size_t nIndex = 0) const { return m_processes.at(nIndex)->IsRunning(); }
    testing::AssertionResult WaitForExit(size_t nIndex = 0, DWORD* pExitCode = nullptr);

    // The hidden window of that process, waited for; the first process's
    // is kept as Window().
    testing::AssertionResult WaitForWindow(size_t nIndex = 0, HWND* phWnd = nullptr);
    HWND Window() const { return m_hWnd; }
    // Whether the shell holds the program's icon (uID 0 of its window).
    bool IconShown() const;
    testing::AssertionResult WaitForIcon(bool bShown) const;

    // A visible window of the first process with this class (kMenuClass,
    // kBoxClass) and title (null: any), waited for; and its end.
    testing::AssertionResult WaitForShown(const wchar_t* pszClass, HWND* phWnd, const wchar_t* pszTitle = nullptr,
                                          size_t nIndex = 0) const;
    testing::AssertionResult WaitForGone(const wchar_t* pszClass, size_t nIndex = 0) const;

    // What the shell posts for a mouse message on the icon.
    void Notify(UINT nMouseMessage) const;
    // Whether a menu of the first process is on the screen.
    bool MenuShown() const;
    // The icon's click and the menu it opens.
    testing::AssertionResult OpenMenu(UINT nButton, HWND* phMenu) const;
    // Waits until the open menu takes keys: its loop runs on the
    // program's thread, which has the keyboard.
    testing::AssertionResult WaitForMenuReady() const;
    // The menu of that button opens and closes again on Esc.
    testing::AssertionResult MenuOpensAndCloses(UINT nButton) const;

private:
    HWND FindWindowOf(size_t nIndex) const;

    testsupport::CTempDir m_dir;
    std::wstring m_folder;
    std::wstring m_exePath;
    DWORD m_nCopyError = ERROR_SUCCESS;
    std::vector<std::unique_ptr<testsupport::CChildProcess>> m_processes;
    HWND m_hWnd = nullptr;
};

// A balloon of the notification area: a tooltip of the shell's, taller
// than the one-line tip that a pointer resting on an icon brings up.
bool BalloonShown();

} // namespace e2e

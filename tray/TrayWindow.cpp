#include "tray/TrayWindow.h"

#include "dialogs/CAboutDialog.h"
#include "dialogs/CManipulateDialog.h"
#include "resources/resource.h"
#include "tray/AppGlobals.h"
#include "tray/Autostart.h"
#include "tray/ConfigFileWatch.h"
#include "tray/HelpFile.h"
#include "tray/MenuIcons.h"
#include "tray/MessageBoxes.h"
#include "tray/ToolAvailability.h"
#include "tray/ToolLauncher.h"
#include "tray/TrayNotice.h"
#include "tray/TrayMenus.h"

HWND g_hMainWnd = nullptr;
NOTIFYICONDATAW g_nid = {};
bool g_bIconAdded = false;
bool g_bMenuActive = false;

namespace {

constexpr wchar_t kClassName[] = L"AmbertilleWindowClass";
constexpr wchar_t kWindowName[] = L"Ambertille";
constexpr wchar_t kCaption[] = L"Ambertille";
constexpr int kAddAttempts = 10;
constexpr DWORD kAddRetryDelayMs = 500;

// The session ended while a click was being handled; see OnQueryEndSession.
bool s_bQuitAfterClick = false;

// The task bar broadcasts this message when it starts anew (after the shell
// crashed or was restarted); its icons are gone then.
UINT TaskbarCreatedMessage()
{
    static const UINT s_nMessage = RegisterWindowMessageW(L"TaskbarCreated");
    return s_nMessage;
}

// Some failures leave no error code behind; the box must show all the same.
void ShowRunError(const wchar_t* pszText)
{
    const DWORD nCode = GetLastError();
    ShowError(nullptr, nCode != 0 ? nCode : kNoSystemText, kCaption, L"%s", pszText);
}

bool RegisterMainClass()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = g_hInstance;
    wc.lpszClassName = kClassName;
    wc.hIconSm = g_hAppIcon;
    return RegisterClassExW(&wc) != 0;
}

// Never shown: it sits just outside the screen's bottom-right corner with
// no size, and only owns the icon and the menus.
bool CreateMainWindow()
{
    g_hMainWnd = CreateWindowExW(0, kClassName, kWindowName, WS_OVERLAPPEDWINDOW, GetSystemMetrics(SM_CXSCREEN),
                                 GetSystemMetrics(SM_CYSCREEN), 0, 0, nullptr, nullptr, g_hInstance, nullptr);
    return g_hMainWnd != nullptr;
}

void FillNotifyIconData(HWND hWnd)
{
    g_nid = {};
    g_nid.cbSize = sizeof(g_nid);
    g_nid.hWnd = hWnd;
    g_nid.uID = 0;
    g_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    g_nid.uCallbackMessage = WM_TRAYNOTIFY;
    g_nid.hIcon = g_hAppIcon;
    lstrcpynW(g_nid.szTip, kWindowName, ARRAYSIZE(g_nid.szTip));
}

// At logon the task bar may not be ready yet when autostart runs us, so the
// shell gets about five seconds to accept the icon.
bool AddTrayIcon()
{
    for (int nAttempt = 0; nAttempt < kAddAttempts; ++nAttempt) {
        if (Shell_NotifyIconW(NIM_ADD, &g_nid)) {
            g_bIconAdded = true;
            return true;
        }
        Sleep(kAddRetryDelayMs);
    }
    return false;
}

void RunMessageLoop()
{
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void BuildMenus()
{
    BuildToolsMenu();
    BuildProgramMenu();
}

void ReleaseMenus()
{
    CloseHelpFile();
    DestroyToolsMenu();
    DestroyProgramMenu();
}

// The file may have been edited by someone else since the menus were built.
void RebuildMenusIfChanged()
{
    if (HasConfigFileChanged())
        BuildMenus();
}

UINT TrackMenu(HMENU hMenu, HWND hWnd)
{
    POINT pt = {};
    if (!GetCursorPos(&pt))
        pt = POINT{};
    const UINT nCommand = static_cast<UINT>(TrackPopupMenu(hMenu, TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_RIGHTALIGN,
                                                           pt.x, pt.y, 0, hWnd, nullptr));
    // Without a message after the menu, the next menu opened from the icon
    // may not close when the user clicks elsewhere.
    PostMessageW(hWnd, WM_NULL, 0, 0);
    return nCommand;
}

// "Programme bearbeiten": the list editor runs here with the window
// minimized around it, and a saved list rebuilds the tools menu.
// While the editor is open the hidden window shows minimized: its task bar
// button leads the user back to the editor it owns.
void EditToolList(HWND hWnd)
{
    CManipulateDialog editor;
    ShowWindow(hWnd, SW_MINIMIZE);
    if (editor.DoModal(g_hInstance, hWnd) == 1) {
        // The menus now show the file just saved (its options included), so
        // the next click must not take the save for an outside edit and
        // build them all over again.
        BuildMenus();
        RememberConfigFileState();
    }
    ShowWindow(hWnd, SW_HIDE);
}

void ShowAboutBox(HWND)
{
    CAboutDialog about;
    about.DoModal(g_hInstance, g_hMainWnd);
}

void ConfirmUninstall(HWND hWnd)
{
    if (AskQuestion(hWnd, kCaption, L"Wollen Sie das Programm wirklich de-registrieren?") != IDYES)
        return;
    RemoveAutostart();
    PostQuitMessage(0);
}

// One click is handled to its end, nested menu and dialog loops included,
// before the icon is listened to again.
void HandleClick(void (*pHandler)(HWND), HWND hWnd)
{
    g_bMenuActive = true;
    pHandler(hWnd);
    g_bMenuActive = false;
    if (!s_bQuitAfterClick)
        return;
    s_bQuitAfterClick = false;
    PostQuitMessage(0);
}

// The session may end while a menu is open. A menu's loop does not end on
// the quit message and may even swallow it, so the menu is closed and the
// quit is posted again once the click's handler has returned.
void OnQueryEndSession()
{
    PostQuitMessage(0);
    if (!g_bMenuActive)
        return;
    s_bQuitAfterClick = true;
    EndMenu();
}

LRESULT OnTrayNotify(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    SetForegroundWindow(hWnd);
    if (g_bMenuActive)
        return 0;
    switch (LOWORD(lParam)) {
    case WM_LBUTTONUP:
        HandleClick(ShowToolsMenu, hWnd);
        return 0;
    case WM_RBUTTONUP:
        HandleClick(ShowProgramMenu, hWnd);
        return 0;
    default:
        return DefWindowProcW(hWnd, nMsg, wParam, lParam);
    }
}

// The shell forgot our icon when its task bar started anew: the same icon
// goes back, or the program would run on unreachable and refuse a restart.
void OnTaskbarCreated()
{
    if (Shell_NotifyIconW(NIM_ADD, &g_nid))
        g_bIconAdded = true;
}

} // namespace

void RunTray()
{
    TaskbarCreatedMessage();
    if (!RegisterMainClass()) {
        ShowRunError(L"Das Fenster konnte nicht registrieret werden!");
        return;
    }
    if (!CreateMainWindow()) {
        ShowRunError(L"Das Fenster konnte nicht erzeugt werden!");
        return;
    }
    FillNotifyIconData(g_hMainWnd);
    if (!AddTrayIcon()) {
        ShowRunError(L"Das Programm konnte nicht beim Notifizierungsdienst angemeldet werden!");
        return;
    }
    ShowQueuedTrayNotices();
    RunMessageLoop();
}

void RemoveTrayIcon()
{
    if (!g_bIconAdded)
        return;
    Shell_NotifyIconW(NIM_DELETE, &g_nid);
    g_bIconAdded = false;
}

void DestroyMainWindow()
{
    if (g_hMainWnd == nullptr)
        return;
    DestroyWindow(g_hMainWnd);
    g_hMainWnd = nullptr;
}

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_CREATE:
        StartIconLoading(hWnd);
        BuildMenus();
        return 0;
    case WM_DESTROY:
        // A window closed from outside (WM_CLOSE, taskkill without /F)
        // must end the process too, or it runs on without an icon.
        StopIconLoading();
        ReleaseMenus();
        PostQuitMessage(0);
        return 0;
    case WM_QUERYENDSESSION:
        OnQueryEndSession();
        break;
    case WM_DRAWITEM:
        DrawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_MEASUREITEM:
        MeasureMenuItem(hWnd, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_HELP:
        ShowHelpFile(hWnd);
        return 0;
    case WM_TRAYNOTIFY:
        return OnTrayNotify(hWnd, nMsg, wParam, lParam);
    case WM_MENUICONSLOADED:
        OnMenuIconsLoaded();
        return 0;
    default:
        if (nMsg != 0 && nMsg == TaskbarCreatedMessage()) {
            OnTaskbarCreated();
            return 0;
        }
        break;
    }
    return DefWindowProcW(hWnd, nMsg, wParam, lParam);
}

void ShowToolsMenu(HWND hWnd)
{
    RebuildMenusIfChanged();
    if (g_hToolsMenu == nullptr)
        return;
    EnableToolEntries();
    const UINT nCommand = TrackMenu(g_hToolsMenu, hWnd);
    if (nCommand == IDM_EDIT_TOOLS)
        EditToolList(hWnd);
    else if (nCommand > IDM_EDIT_TOOLS)
        LaunchTool(hWnd, nCommand - IDM_EDIT_TOOLS);
}

void ShowProgramMenu(HWND hWnd)
{
    RebuildMenusIfChanged();
    if (g_hProgramMenu == nullptr)
        return;
    switch (TrackMenu(g_hProgramMenu, hWnd)) {
    case IDM_UNINSTALL:
        ConfirmUninstall(hWnd);
        break;
    case IDM_EXIT:
        PostQuitMessage(0);
        break;
    case IDM_ABOUT:
        ShowAboutBox(hWnd);
        break;
    default:
        break;
    }
}

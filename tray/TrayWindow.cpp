#include "tray/TrayWindow.h"

#include "dialogs/CAboutDialog.h"
#include "dialogs/CManipulateDialog.h"
#include "dialogs/ListedToolEdit.h"
#include "foundation/BackgroundWork.h"
#include "foundation/ComApartment.h"
#include "resources/resource.h"
#include "settings/CConfig.h"
#include "tray/AppGlobals.h"
#include "tray/Autostart.h"
#include "tray/ConfigFileWatch.h"
#include "tray/ElevationChord.h"
#include "tray/EntryContextMenu.h"
#include "tray/EntryContextWatch.h"
#include "tray/GlobalHotkey.h"
#include "tray/HelpFile.h"
#include "tray/MenuIcons.h"
#include "tray/MenuTypeAhead.h"
#include "tray/MessageBoxes.h"
#include "tray/NotifyIconEvents.h"
#include "tray/NotifyIconImage.h"
#include "tray/ShellContextMenu.h"
#include "tray/ToolAvailability.h"
#include "tray/ToolLauncher.h"
#include "tray/TrayNotice.h"
#include "tray/TrayMenus.h"
#include "tray/TrayState.h"

#include <memory>
#include <new>

HWND g_hMainWnd = nullptr;
NOTIFYICONDATAW g_nid = {};
bool g_bIconAdded = false;
bool g_bMenuActive = false;

namespace {

constexpr int kAddAttempts = 10;
// Posted to ourselves from WM_MENUCHAR: the menu has handled the answer by
// the time it arrives.
constexpr UINT WM_TYPEAHEAD_CHECK = WM_USER + 101;
// Posted by the availability look-ups that answered after their click.
constexpr UINT WM_TOOLSCHECKED = WM_APP + 0x42;
// Posted by the watch of the tools menu: an entry's context menu is asked
// for (wParam its position, lParam its menu).
constexpr UINT WM_ENTRYCONTEXT = WM_APP + 0x44;
constexpr DWORD kAddRetryDelayMs = 500;
// A settings file that could not be read is tried again this soon.
constexpr UINT_PTR kRereadTimerId = 1;
constexpr UINT kRereadDelayMs = 2000;
// The workers together get this long to end after the window is gone.
constexpr DWORD kWorkerStopMs = 1500;


// The task bar broadcasts this message when it starts anew (after the shell
// crashed or was restarted); its icons are gone then.
UINT TaskbarCreatedMessage()
{
    static const UINT s_nMessage = RegisterWindowMessageW(L"TaskbarCreated");
    return s_nMessage;
}

// Every message after WM_CREATE finds the state; earlier ones find none.
CTrayState* StateOf(HWND hWnd)
{
    return reinterpret_cast<CTrayState*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}

// Some failures leave no error code behind; the box must show all the same.
void ShowRunError(const wchar_t* pszText)
{
    const DWORD nCode = GetLastError();
    ShowError(nullptr, nCode != 0 ? nCode : kNoSystemText, kProgramName, L"%s", pszText);
}

bool RegisterMainClass()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = g_hInstance;
    wc.lpszClassName = kTrayWindowClass;
    wc.hIconSm = g_hAppIcon;
    return RegisterClassExW(&wc) != 0;
}

// Never shown: it sits just outside the screen's bottom-right corner with
// no size, and only owns the icon and the menus.
bool CreateMainWindow()
{
    g_hMainWnd = CreateWindowExW(0, kTrayWindowClass, kProgramName, WS_OVERLAPPEDWINDOW, GetSystemMetrics(SM_CXSCREEN),
                                 GetSystemMetrics(SM_CYSCREEN), 0, 0, nullptr, nullptr, g_hInstance, nullptr);
    return g_hMainWnd != nullptr;
}

void FillNotifyIconData(HWND hWnd)
{
    g_nid = {};
    g_nid.cbSize = sizeof(g_nid);
    g_nid.hWnd = hWnd;
    g_nid.uID = 0;
    // Version 4 hides the plain tip unless it is asked for.
    g_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    g_nid.uCallbackMessage = WM_TRAYNOTIFY;
    g_nid.hIcon = g_hAppIcon;
    lstrcpynW(g_nid.szTip, kProgramName, ARRAYSIZE(g_nid.szTip));
}

// Version 4 lets the icon be used from the keyboard and tells where to
// open; a shell that refuses it sends the button messages alone.
void SetIconVersion(CTrayState& state)
{
    g_nid.uVersion = NOTIFYICON_VERSION_4;
    state.m_notifyDecoder.SetVersion4(Shell_NotifyIconW(NIM_SETVERSION, &g_nid) != FALSE);
}

bool AddIconOnce(CTrayState& state)
{
    if (!Shell_NotifyIconW(NIM_ADD, &g_nid))
        return false;
    g_bIconAdded = true;
    SetIconVersion(state);
    return true;
}

// At logon the task bar may not be ready yet when autostart runs us, so the
// shell gets about five seconds to accept the icon.
bool AddTrayIcon(CTrayState& state)
{
    for (int nAttempt = 0; nAttempt < kAddAttempts; ++nAttempt) {
        if (AddIconOnce(state))
            return true;
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

// The shortcut is part of the options, so it follows every build.
void BuildMenus(HWND hWnd)
{
    BuildToolsMenu();
    BuildProgramMenu();
    ApplyGlobalHotkey(*StateOf(hWnd));
}

void ReleaseMenus(CTrayState& state)
{
    ReleaseGlobalHotkey(state);
    CloseHelpFile();
    DestroyToolsMenu();
    DestroyProgramMenu();
}

// A settings file that another program holds locked for a moment (a
// backup, a synchronisation, a virus scanner) gives no list at all, not an
// empty one: the menus keep the list they show, and the file is read again
// soon and at the next click. Without any menus yet they are built all the
// same, so both menus work meanwhile.
void BuildMenusFromFile(HWND hWnd)
{
    CConfigReadBatch batch(g_config);
    const bool bReadable = g_config.IsReadable();
    if (bReadable) {
        KillTimer(hWnd, kRereadTimerId);
    } else {
        ForgetConfigFileState();
        SetTimer(hWnd, kRereadTimerId, kRereadDelayMs, nullptr);
    }
    if (bReadable || g_hToolsMenu == nullptr)
        BuildMenus(hWnd);
}

// The file may have been edited by someone else since the menus were built.
void RebuildMenusIfChanged(HWND hWnd)
{
    if (HasConfigFileChanged())
        BuildMenusFromFile(hWnd);
}

// A menu on screen is not rebuilt under the user's pointer.
void OnRereadTimer(HWND hWnd)
{
    KillTimer(hWnd, kRereadTimerId);
    if (g_bMenuActive) {
        SetTimer(hWnd, kRereadTimerId, kRereadDelayMs, nullptr);
        return;
    }
    RebuildMenusIfChanged(hWnd);
}

POINT MenuPoint(const STrayRequest& request)
{
    if (request.bHasAnchor)
        return request.ptAnchor;
    POINT pt = {};
    if (!GetCursorPos(&pt))
        pt = POINT{};
    return pt;
}

// bElevate: the entry was chosen with Ctrl+Shift (Enter or a click).
UINT TrackMenu(HMENU hMenu, HWND hWnd, const STrayRequest& request, bool& bElevate, bool bEntryContext = false)
{
    const POINT pt = MenuPoint(request);
    CElevationChordWatch chord(hWnd);
    std::unique_ptr<CEntryContextWatch> pContextWatch;
    if (bEntryContext)
        pContextWatch = std::make_unique<CEntryContextWatch>(hWnd, WM_ENTRYCONTEXT);
    // A menu opened from the keyboard starts on its first entry, as the
    // menus of the shell do; the menu's loop takes the key from the queue.
    if (request.bFromKeyboard)
        PostMessageW(hWnd, WM_KEYDOWN, VK_DOWN, 0);
    const UINT nCommand = static_cast<UINT>(TrackPopupMenu(hMenu, TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_RIGHTALIGN,
                                                           pt.x, pt.y, 0, hWnd, nullptr));
    bElevate = chord.WasPressed() || IsElevationChordHeld();
    // Without a message after the menu, the next menu opened from the icon
    // may not close when the user clicks elsewhere.
    PostMessageW(hWnd, WM_NULL, 0, 0);
    return nCommand;
}

// The entry's context menu opens over the tools menu, which stays open; a
// choice closes both.
void OnEntryContext(HWND hWnd, CTrayState& state, HMENU hMenu, int nPosition)
{
    CEntryContextWatch* pWatch = CEntryContextWatch::Current();
    SMenuEntry entry;
    if (pWatch == nullptr || !FindMenuEntry(state, hMenu, nPosition, entry))
        return;
    pWatch->SetPaused(true);
    const EEntryAction eAction = ShowEntryContextMenu(hWnd, state, entry, pWatch->RequestPoint());
    pWatch->SetPaused(false);
    if (eAction == EEntryAction::None)
        return;
    state.m_ePendingAction = eAction;
    state.m_pendingEntry = entry;
    EndMenu();
}

// Explorer opens on the file's folder with the file selected.
void OpenLocation(const std::wstring& path)
{
    EnterComApartment();
    PIDLIST_ABSOLUTE pItem = nullptr;
    if (FAILED(SHParseDisplayName(path.c_str(), nullptr, &pItem, 0, nullptr)))
        return;
    SHOpenFolderAndSelectItems(pItem, 0, nullptr, 0);
    CoTaskMemFree(pItem);
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
        BuildMenus(hWnd);
        RememberConfigFileState();
    }
    ShowWindow(hWnd, SW_HIDE);
}

// A choice of an entry's context menu, once the tools menu has closed: a
// dialog or a start must not run inside the menu's loop.
void RunPendingEntryAction(HWND hWnd, CTrayState& state)
{
    const EEntryAction eAction = state.m_ePendingAction;
    state.m_ePendingAction = EEntryAction::None;
    const SMenuEntry& entry = state.m_pendingEntry;
    switch (eAction) {
    case EEntryAction::Edit:
        ShowWindow(hWnd, SW_MINIMIZE);
        if (EditListedTool(g_hInstance, hWnd, entry.nTool)) {
            BuildMenus(hWnd);
            RememberConfigFileState();
        }
        ShowWindow(hWnd, SW_HIDE);
        break;
    case EEntryAction::OpenLocation:
        OpenLocation(entry.strPath);
        break;
    case EEntryAction::RunAsAdministrator:
        if (entry.eKind == SMenuEntry::EKind::Tool)
            LaunchTool(hWnd, entry.nTool, true, state.m_pfnShellExecute);
        else
            LaunchFile(hWnd, entry.strName.c_str(), entry.strPath.c_str(), true, state.m_pfnShellExecute);
        break;
    case EEntryAction::None:
    case EEntryAction::ShellCommand:
        break;
    }
}

void ShowAboutBox(HWND)
{
    CAboutDialog about;
    about.DoModal(g_hInstance, g_hMainWnd);
}

void ConfirmUninstall(HWND hWnd)
{
    if (AskQuestion(hWnd, kProgramName, L"Wollen Sie das Programm wirklich de-registrieren?") != IDYES)
        return;
    RemoveAutostart();
    ReportAutostartLeft(hWnd);
    PostQuitMessage(0);
}

// One click is handled to its end, nested menu and dialog loops included,
// before the icon is listened to again.
void HandleClick(HWND hWnd, const STrayRequest& request)
{
    g_bMenuActive = true;
    if (request.eMenu == ETrayMenu::Tools)
        ShowToolsMenu(hWnd, request);
    else
        ShowProgramMenu(hWnd, request);
    g_bMenuActive = false;
    CTrayState& state = *StateOf(hWnd);
    if (!state.m_bQuitAfterClick)
        return;
    state.m_bQuitAfterClick = false;
    PostQuitMessage(0);
}

// Only the end of the session ends the tray: another program may still
// refuse the log-off after the query, and the user would be left without
// the icon for the rest of the session. A menu open then is closed: its
// loop does not end on the quit message and may even swallow it, so the
// quit is posted again once the click's handler has returned.
void OnEndSession(CTrayState& state, bool bEnding)
{
    if (!bEnding)
        return;
    PostQuitMessage(0);
    if (!g_bMenuActive)
        return;
    state.m_bQuitAfterClick = true;
    EndMenu();
}

// Decoded also while a menu is open, so that the second half of a click
// arriving then is not taken for a click later. Only a request makes the
// window the foreground one: a mouse passing over the icon must not take
// the focus from the user's program.
LRESULT OnTrayNotify(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
    const STrayRequest request = StateOf(hWnd)->m_notifyDecoder.Decode(wParam, lParam);
    if (request.eMenu == ETrayMenu::None)
        return 0;
    SetForegroundWindow(hWnd);
    if (!g_bMenuActive)
        HandleClick(hWnd, request);
    return 0;
}

// The shortcut opens the tools menu at the mouse pointer, ready for the keys.
LRESULT OnHotkey(HWND hWnd, WPARAM wParam)
{
    if (static_cast<int>(wParam) != kToolsMenuHotkeyId || g_bMenuActive)
        return 0;
    SetForegroundWindow(hWnd);
    HandleClick(hWnd, STrayRequest{ ETrayMenu::Tools, true, false, POINT{} });
    return 0;
}

LRESULT OnMenuChar(HWND hWnd, HMENU hMenu, wchar_t chTyped)
{
    const LRESULT nAnswer = AnswerMenuChar(hMenu, chTyped);
    if (HIWORD(nAnswer) == MNC_SELECT)
        PostMessageW(hWnd, WM_TYPEAHEAD_CHECK, LOWORD(nAnswer), reinterpret_cast<LPARAM>(hMenu));
    return nAnswer;
}

// The shell forgot our icon when its task bar started anew: the same icon
// goes back, or the program would run on unreachable and refuse a restart.
void OnTaskbarCreated(CTrayState& state)
{
    AddIconOnce(state);
}

LRESULT OnCreate(HWND hWnd)
{
    auto* pState = new (std::nothrow) CTrayState();
    if (pState == nullptr)
        return -1;
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pState));
    pState->Attach(hWnd);
    StartIconLoading(*pState, hWnd);
    pState->m_toolAvailability.SetNotify(hWnd, WM_TOOLSCHECKED);
    pState->m_liveFolders.SetWindow(hWnd);
    BuildMenusFromFile(hWnd);
    return 0;
}

// A window closed from outside (WM_CLOSE, taskkill without /F) must end
// the process too, or it runs on without an icon. The state's workers are
// told to stop as it goes; the end of the run waits for them.
void OnDestroy(HWND hWnd)
{
    std::unique_ptr<CTrayState> pState(StateOf(hWnd));
    KillTimer(hWnd, kRereadTimerId);
    ReleaseMenus(*pState);
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
    PostQuitMessage(0);
}

// The task bar's colours changed: the menus take theirs at their next
// opening (a menu on screen keeps its colours), the icon its picture now.
void OnColourChange(CTrayState& state, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (!IsColourChange(nMsg, wParam, lParam))
        return;
    state.m_palette.Invalidate();
    if (ChooseNotifyIcon(state) && g_bIconAdded)
        Shell_NotifyIconW(NIM_MODIFY, &g_nid);
}

// The messages of a window that has its state.
LRESULT OnStateMessage(HWND hWnd, CTrayState& state, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT nResult = 0;
    if (state.m_pShellMenu != nullptr && state.m_pShellMenu->HandleMenuMessage(nMsg, wParam, lParam, nResult))
        return nResult;
    switch (nMsg) {
    case WM_MENUSELECT:
        if (CEntryContextWatch* pWatch = CEntryContextWatch::Current())
            pWatch->OnMenuSelect(wParam, lParam);
        return 0;
    case WM_ENTRYCONTEXT:
        OnEntryContext(hWnd, state, reinterpret_cast<HMENU>(lParam), static_cast<int>(wParam));
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        OnEndSession(state, wParam != FALSE);
        return 0;
    case WM_TIMER:
        if (wParam == kRereadTimerId)
            OnRereadTimer(hWnd);
        else
            state.m_liveFolders.OnTimer(wParam);
        return 0;
    case WM_INITMENUPOPUP:
        state.m_liveFolders.OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_UNINITMENUPOPUP:
        state.m_liveFolders.OnUninitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_FOLDERLISTED:
        state.m_liveFolders.OnListed();
        return 0;
    case WM_TOOLSCHECKED:
        state.m_toolAvailability.TakeLateAnswers(g_hToolsMenu);
        RepaintOpenMenus();
        return 0;
    case WM_DRAWITEM:
        DrawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_MEASUREITEM:
        MeasureMenuItem(hWnd, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_HELP:
        ShowHelpFile(hWnd);
        return 0;
    case WM_MENUCHAR:
        return OnMenuChar(hWnd, reinterpret_cast<HMENU>(lParam), static_cast<wchar_t>(LOWORD(wParam)));
    case WM_TYPEAHEAD_CHECK:
        FollowMenuSelection(hWnd, reinterpret_cast<HMENU>(lParam), static_cast<UINT>(wParam));
        return 0;
    case WM_TRAYNOTIFY:
        return OnTrayNotify(hWnd, wParam, lParam);
    case WM_HOTKEY:
        return OnHotkey(hWnd, wParam);
    case WM_MENUICONSLOADED:
        OnMenuIconsLoaded(state);
        return 0;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        OnColourChange(state, nMsg, wParam, lParam);
        break;
    default:
        if (nMsg != 0 && nMsg == TaskbarCreatedMessage()) {
            OnTaskbarCreated(state);
            return 0;
        }
        break;
    }
    return DefWindowProcW(hWnd, nMsg, wParam, lParam);
}

} // namespace

void RunTray(const wchar_t* pszStartNotice)
{
    TaskbarCreatedMessage();
    if (!RegisterMainClass()) {
        ShowRunError(L"Das Fenster konnte nicht registriert werden!");
        return;
    }
    if (!CreateMainWindow()) {
        ShowRunError(L"Das Fenster konnte nicht erzeugt werden!");
        return;
    }
    CTrayState& state = *StateOf(g_hMainWnd);
    QueueTrayNotice(state, pszStartNotice);
    FillNotifyIconData(g_hMainWnd);
    ChooseNotifyIcon(state);
    if (!AddTrayIcon(state)) {
        ShowRunError(L"Das Programm konnte nicht beim Notifizierungsdienst angemeldet werden!");
        return;
    }
    ShowQueuedTrayNotices(state);
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

void StopTrayWorkers()
{
    WaitForBackgroundWork(kWorkerStopMs);
}

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_CREATE)
        return OnCreate(hWnd);
    CTrayState* pState = StateOf(hWnd);
    if (pState == nullptr)
        return DefWindowProcW(hWnd, nMsg, wParam, lParam);
    if (nMsg != WM_DESTROY)
        return OnStateMessage(hWnd, *pState, nMsg, wParam, lParam);
    OnDestroy(hWnd);
    return 0;
}

void ShowToolsMenu(HWND hWnd, const STrayRequest& request)
{
    RebuildMenusIfChanged(hWnd);
    PrepareMenusAt(MenuPoint(request));
    if (g_hToolsMenu == nullptr)
        return;
    EnableToolEntries();
    CTrayState& state = *StateOf(hWnd);
    state.m_liveFolders.BeginShowing(state.m_nFirstFreeId, state.m_toolsFont);
    bool bElevate = false;
    const UINT nCommand = TrackMenu(g_hToolsMenu, hWnd, request, bElevate, true);
    SLiveCommand live;
    if (state.m_liveFolders.FindCommand(nCommand, live))
        LaunchFile(hWnd, live.bOpenFolder ? live.strPath.c_str() : live.strName.c_str(), live.strPath.c_str(),
                   bElevate && !live.bOpenFolder, state.m_pfnShellExecute);
    else if (nCommand == IDM_EDIT_TOOLS)
        EditToolList(hWnd);
    else if (nCommand > IDM_EDIT_TOOLS)
        LaunchTool(hWnd, nCommand - IDM_EDIT_TOOLS, bElevate, state.m_pfnShellExecute);
    state.m_liveFolders.EndShowing();
    RunPendingEntryAction(hWnd, state);
}

void ShowProgramMenu(HWND hWnd, const STrayRequest& request)
{
    RebuildMenusIfChanged(hWnd);
    PrepareMenusAt(MenuPoint(request));
    if (g_hProgramMenu == nullptr)
        return;
    bool bElevate = false;
    switch (TrackMenu(g_hProgramMenu, hWnd, request, bElevate)) {
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

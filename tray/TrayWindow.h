#pragma once

#include <windows.h>
#include <shellapi.h>

// The running tray application: a hidden window that owns the notification
// icon and both menus, and the message loop.

constexpr UINT WM_TRAYNOTIFY = WM_USER + 100;
// The hidden window's class; with the program's name as the window's, it is
// the mark of a running tray.
constexpr wchar_t kTrayWindowClass[] = L"AmbertilleWindowClass";

extern HWND g_hMainWnd;
extern NOTIFYICONDATAW g_nid;
extern bool g_bIconAdded;
extern bool g_bMenuActive;

// Registers the class, creates the window, adds the icon (with the notice,
// when one is given) and runs the loop until WM_QUIT; a failing step is
// shown and ends the run.
void RunTray(const wchar_t* pszStartNotice = nullptr);
// Tear-down, also when the run never started.
void RemoveTrayIcon();
void DestroyMainWindow();
// After the window is gone: the worker threads get a moment to end. One
// still stuck then (a read on a dead share) is left behind, noted as
// abandoned work; the window is gone first, so a new start is not refused
// meanwhile.
void StopTrayWorkers();

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
struct STrayRequest;
// A menu at the request's point (or the cursor), its first entry selected
// when the request came from the keyboard.
void ShowToolsMenu(HWND hWnd, const STrayRequest& request);
void ShowProgramMenu(HWND hWnd, const STrayRequest& request);

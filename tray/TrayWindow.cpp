#include "tray/TrayWindow.h"

// The tray comes with its own unit; until then "-run" ends at once.
HWND g_hMainWnd = nullptr;
NOTIFYICONDATAW g_nid = {};
bool g_bIconAdded = false;
bool g_bMenuActive = false;

void RunTray()
{
}

void RemoveTrayIcon()
{
}

void DestroyMainWindow()
{
}

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hWnd, nMsg, wParam, lParam);
}

void ShowToolsMenu(HWND)
{
}

void ShowProgramMenu(HWND)
{
}

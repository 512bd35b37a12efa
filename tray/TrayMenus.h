#pragma once

#include <windows.h>

// The tools menu (left click) and the program menu (right click), with
// owner-drawn entries: an icon and the text in the chosen font, in the
// colours of the task bar's mode (tray/MenuColours), measured for the DPI
// of the monitor they open on.
extern HMENU g_hToolsMenu;
extern HMENU g_hProgramMenu;

void BuildToolsMenu();
void BuildProgramMenu();
void DestroyToolsMenu();
void DestroyProgramMenu();

// Before a menu opens at this point of the screen: both menus are built
// anew for the DPI of the monitor there when they were built for another,
// and take the colours in force when these changed since.
void PrepareMenusAt(POINT pt);
void PrepareMenusFor(UINT nDpi);

// WM_MEASUREITEM and WM_DRAWITEM of the main window.
void MeasureMenuItem(HWND hWnd, MEASUREITEMSTRUCT* pMeasure);
void DrawMenuItem(const DRAWITEMSTRUCT* pDraw);

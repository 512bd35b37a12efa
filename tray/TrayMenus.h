#pragma once

#include <windows.h>

// The tools menu (left click) and the program menu (right click), with
// owner-drawn entries: an icon and the text in the chosen font.
extern HMENU g_hToolsMenu;
extern HMENU g_hProgramMenu;

void BuildToolsMenu();
void BuildProgramMenu();
void DestroyToolsMenu();
void DestroyProgramMenu();

// WM_MEASUREITEM and WM_DRAWITEM of the main window.
void MeasureMenuItem(HWND hWnd, MEASUREITEMSTRUCT* pMeasure);
void DrawMenuItem(const DRAWITEMSTRUCT* pDraw);

#pragma once

#include "tray/AppGlobals.h"

#include <windows.h>

#include <cstdio>

// What the menu benchmarks share: their windows, the messages waiting for
// them, and the bare owner-drawn entries that show what the system itself
// needs for a menu of as many entries.
namespace bench {

// The menus open beside a notification area only; the program's globals
// name this bench as the program, as the tray's start names itself.
inline bool StartAsTrayProgram()
{
    if (FindWindowW(L"Shell_TrayWnd", nullptr) == nullptr) {
        std::printf("No notification area here: run inside a Wine desktop with a task bar (as scripts/bench "
                    "sets up) or on Windows.\n");
        return false;
    }
    g_hInstance = GetModuleHandleW(nullptr);
    wchar_t szPath[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    g_strModulePath.Assign(szPath);
    return true;
}

inline HWND MakeWindow(HINSTANCE hInstance, const wchar_t* pszClass, WNDPROC pfnProc)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = pfnProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = pszClass;
    RegisterClassExW(&wc);
    return CreateWindowExW(0, pszClass, L"Bench", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr, nullptr, hInstance,
                           nullptr);
}

inline void DispatchWaiting()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}

// A bare entry: a fixed size, drawn as a plain rectangle. True when the
// message was one of a bare entry's.
inline bool AnswerBareEntry(UINT nMsg, LPARAM lParam)
{
    if (nMsg == WM_MEASUREITEM) {
        auto* pMeasure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        pMeasure->itemWidth = 150;
        pMeasure->itemHeight = 24;
        return true;
    }
    if (nMsg == WM_DRAWITEM) {
        const auto* pDraw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        FillRect(pDraw->hDC, &pDraw->rcItem, GetSysColorBrush(COLOR_MENU));
        return true;
    }
    return false;
}

} // namespace bench

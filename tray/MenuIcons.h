#pragma once

#include "tray/IconCache.h"
#include "tray/IconLoader.h"

#include <windows.h>

// The pictures of both menus: the one cache they share, and the loader that
// fills it ahead of time while the main window lives.

// Posted to the main window when loaded icons wait to be taken.
constexpr UINT WM_MENUICONSLOADED = WM_APP + 0x41;

extern CIconCache g_iconCache;
extern CIconLoader g_iconLoader;

// At the main window's creation; at its destruction the loader is told to
// stop, and once the window is gone it is waited for, with a bound.
void StartIconLoading(HWND hWnd);
void RequestIconLoadingStop();
bool StopIconLoading(DWORD nTimeoutMs);
// Redraws the popup menus of this thread that are on screen.
void RepaintOpenMenus();
// After a menu build: new icons go to the loader, forgotten ones leave it.
void QueueMenuIcons();
// WM_MENUICONSLOADED: the icons go into the cache, and a menu on screen is
// repainted with them.
void OnMenuIconsLoaded();
// The icon as it can be drawn now: loaded, failed, or still pending (drawn
// as a placeholder). Without a running loader it is loaded here at once;
// with one it is moved ahead of the others.
CIconCache::CIcon::EState PrepareIconForDrawing(CIconCache::CIcon& icon);

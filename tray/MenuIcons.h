#pragma once

#include "tray/IconCache.h"

#include <windows.h>

class CTrayState;

// The pictures of both menus: the one cache they share (in the tray's
// state), and the loader that fills it ahead of time while the tray window
// lives.

// Posted to the main window when loaded icons wait to be taken.
constexpr UINT WM_MENUICONSLOADED = WM_APP + 0x41;

// At the main window's creation; the loader stops with the state.
void StartIconLoading(CTrayState& state, HWND hWnd);
// After a menu build: new icons go to the loader, forgotten ones leave it.
void QueueMenuIcons(CTrayState& state);
// WM_MENUICONSLOADED: the icons go into the cache, and a menu on screen is
// repainted with them.
void OnMenuIconsLoaded(CTrayState& state);
// The icon as it can be drawn now: loaded, failed, or still pending (drawn
// as a placeholder). Without a running loader it is loaded here at once;
// with one it is moved ahead of the others.
CIconCache::CIcon::EState PrepareIconForDrawing(CIconCache::CIcon& icon);
// Redraws the popup menus of this thread that are on screen.
void RepaintOpenMenus();

#include "tray/MenuIcons.h"

#include <cwchar>

CIconCache g_iconCache;
CIconLoader g_iconLoader;

namespace {

using EState = CIconCache::CIcon::EState;

constexpr wchar_t kMenuWindowClass[] = L"#32768";

BOOL CALLBACK InvalidateMenuWindow(HWND hWnd, LPARAM)
{
    wchar_t szClass[16] = {};
    GetClassNameW(hWnd, szClass, 16);
    if (std::wcscmp(szClass, kMenuWindowClass) == 0 && IsWindowVisible(hWnd))
        InvalidateRect(hWnd, nullptr, FALSE);
    return TRUE;
}

} // namespace

// Our popup menus are windows of this thread; redrawing them asks us to
// draw each visible entry again, with the icons and states that changed.
void RepaintOpenMenus()
{
    EnumThreadWindows(GetCurrentThreadId(), InvalidateMenuWindow, 0);
}

void StartIconLoading(HWND hWnd)
{
    g_iconLoader.Start(hWnd, WM_MENUICONSLOADED);
}

void RequestIconLoadingStop()
{
    g_iconLoader.RequestStop();
}

bool StopIconLoading(DWORD nTimeoutMs)
{
    return g_iconLoader.Stop(nTimeoutMs);
}

void QueueMenuIcons()
{
    const std::vector<const CIconCache::CIcon*> icons = g_iconCache.TakeNew();
    if (!g_iconLoader.IsRunning())
        return;
    g_iconLoader.Retain([](ULONG nSerial) { return g_iconCache.IsPending(nSerial); });
    for (const CIconCache::CIcon* pIcon : icons)
        g_iconLoader.Queue(*pIcon, g_iconCache.GetLoadFunction());
}

void OnMenuIconsLoaded()
{
    bool bArrived = false;
    for (CIconLoader::CResult& result : g_iconLoader.TakeResults())
        bArrived |= g_iconCache.Deliver(result.m_nSerial, result.m_hIcon.Release());
    if (bArrived)
        RepaintOpenMenus();
}

EState PrepareIconForDrawing(CIconCache::CIcon& icon)
{
    if (icon.m_eState != EState::Pending)
        return icon.m_eState;
    if (g_iconLoader.IsRunning())
        g_iconLoader.Prioritise(icon.m_nSerial);
    else
        g_iconCache.LoadNow(icon);
    return icon.m_eState;
}

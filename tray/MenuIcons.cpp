#include "tray/MenuIcons.h"

#include "tray/TrayState.h"

#include <cwchar>

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

void StartIconLoading(CTrayState& state, HWND hWnd)
{
    state.m_iconLoader.Start(hWnd, WM_MENUICONSLOADED);
}

void QueueMenuIcons(CTrayState& state)
{
    CIconCache& cache = state.m_iconCache;
    const std::vector<const CIconCache::CIcon*> icons = cache.TakeNew();
    if (!state.m_iconLoader.IsRunning())
        return;
    state.m_iconLoader.Retain([&cache](ULONG nSerial) { return cache.IsPending(nSerial); });
    for (const CIconCache::CIcon* pIcon : icons)
        state.m_iconLoader.Queue(*pIcon, cache.GetLoadFunction());
}

void OnMenuIconsLoaded(CTrayState& state)
{
    bool bArrived = false;
    for (CIconLoader::CResult& result : state.m_iconLoader.TakeResults())
        bArrived |= state.m_iconCache.Deliver(result.m_nSerial, result.m_hIcon.Release());
    if (bArrived)
        RepaintOpenMenus();
}

EState PrepareIconForDrawing(CIconCache::CIcon& icon)
{
    CTrayState* pState = CTrayState::Current();
    if (icon.m_eState != EState::Pending || pState == nullptr)
        return icon.m_eState;
    if (pState->m_iconLoader.IsRunning())
        pState->m_iconLoader.Prioritise(icon.m_nSerial);
    else
        pState->m_iconCache.LoadNow(icon);
    return icon.m_eState;
}

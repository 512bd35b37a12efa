#pragma once

#include <windows.h>

// A right click on an entry of an open menu, or the context-menu key or
// Shift+F10 on the selected one, asks for that entry's context menu while
// the menu stays open. Windows tells the menu's owner of a right click with
// WM_MENURBUTTONUP, Wine never does; the menu loop's message filter sees
// the click on both, and the keys too. While a watch lives, such a request
// is taken from the menu's loop and posted to the owner as nMessage, with
// the entry's position as wParam and its menu as lParam; the point to
// open at is RequestPoint.
class CEntryContextWatch
{
public:
    CEntryContextWatch(HWND hOwner, UINT nMessage);
    CEntryContextWatch(const CEntryContextWatch&) = delete;
    CEntryContextWatch& operator=(const CEntryContextWatch&) = delete;
    virtual ~CEntryContextWatch();

    // WM_MENUSELECT of the owner: the entry the keys speak of.
    void OnMenuSelect(WPARAM wParam, LPARAM lParam);
    // While the context menu itself is open, its clicks and keys are its own.
    void SetPaused(bool bPaused) { m_bPaused = bPaused; }
    POINT RequestPoint() const { return m_ptRequest; }

    // The watch of the menu being tracked now, or null.
    static CEntryContextWatch* Current();

private:
    static LRESULT CALLBACK FilterProc(int nCode, WPARAM wParam, LPARAM lParam);
    bool TakeClick(POINT pt);
    bool TakeKey();

    HWND m_hOwner;
    UINT m_nMessage;
    HHOOK m_hHook;
    bool m_bPaused;
    HMENU m_hSelectedMenu;
    int m_nSelectedPosition;
    POINT m_ptRequest;
};

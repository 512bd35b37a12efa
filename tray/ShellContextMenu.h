#pragma once

#include "resolve/CComRef.h"

#include <windows.h>
#include <shlobj.h>

// The shell's own context menu of a file or folder, as Explorer shows it:
// asked of the item's parent folder, its entries added to a menu of ours
// under a range of ids, and a chosen one carried out by the shell.
class CShellContextMenu
{
public:
    CShellContextMenu();
    CShellContextMenu(const CShellContextMenu&) = delete;
    CShellContextMenu& operator=(const CShellContextMenu&) = delete;
    virtual ~CShellContextMenu();

    // False when the shell has no menu for the path (it does not exist).
    bool Load(HWND hOwner, const wchar_t* pszPath);
    // Adds the entries at the position, numbered from nFirstId up to at most
    // nLastId; false when none were added.
    bool AddTo(HMENU hMenu, UINT nPosition, UINT nFirstId, UINT nLastId);
    bool Owns(UINT nId) const;
    bool Invoke(HWND hOwner, UINT nId, POINT pt) const;

    // Entries the shell draws itself ("Senden an", "Öffnen mit") need the
    // menu messages of its submenus while they are open. True when the
    // message was one of its own and it took it.
    bool HandleMenuMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& nResult);

private:
    bool IsOwnMenu(HMENU hMenu) const;

    tessvald::shelllink::CComRef<IContextMenu> m_menu;
    tessvald::shelllink::CComRef<IContextMenu2> m_menu2;
    tessvald::shelllink::CComRef<IContextMenu3> m_menu3;
    HMENU m_hMenu;
    UINT m_nFirstId;
    UINT m_nLastId;
};

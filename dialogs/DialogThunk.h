#pragma once

#include "foundation/ComApartment.h"
#include "tray/AppGlobals.h"

#include <windows.h>

// What every dialog of the program shares, without a base class: the
// dialog object travels as the creation parameter and lives in the window's
// user slot from WM_INITDIALOG on; messages that arrive before it (such as
// WM_SETFONT) or without it are left to the dialog manager. The program
// icon becomes the small icon, and the dialog comes to the foreground once
// it is set up.
//
// A dialog moved to a monitor of another DPI is told so once the dialog
// manager has scaled what its template made (WM_DIALOG_DPI_CHANGED).
//
// A dialog class provides two public members:
//   void OnInitDialog(HWND hDlg);
//   INT_PTR OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);
// OnMessage answers FALSE for whatever the dialog manager should handle.
// Posted to a dialog that moved to a monitor of another DPI, its wParam
// the new DPI. The dialog manager scales the controls and their font
// itself (per-monitor awareness, version 2), sending the new font to every
// control; what the dialog loads or sizes itself (icons, a font of its
// own) follows when this arrives, after all that.
constexpr UINT WM_DIALOG_DPI_CHANGED = WM_APP + 0x60;

template <class TDialog>
INT_PTR CALLBACK DialogThunk(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_INITDIALOG) {
        if (lParam == 0)
            return FALSE;
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        SendMessageW(hDlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_hAppIcon));
        reinterpret_cast<TDialog*>(lParam)->OnInitDialog(hDlg);
        SetForegroundWindow(hDlg);
        return TRUE;
    }
    auto* pDialog = reinterpret_cast<TDialog*>(GetWindowLongPtrW(hDlg, DWLP_USER));
    if (pDialog == nullptr)
        return FALSE;
    if (nMsg == WM_DPICHANGED)
        PostMessageW(hDlg, WM_DIALOG_DPI_CHANGED, LOWORD(wParam), 0);
    return pDialog->OnMessage(hDlg, nMsg, wParam, lParam);
}

// Registers the common controls' classes that the templates use, the first
// time a dialog opens: a tray that is only clicked never loads the library.
void EnsureCommonControls();

// Runs the template modally with the object as creation parameter and
// returns the end code: 1 confirmed or saved, 2 cancelled.
template <class TDialog>
INT_PTR RunModalDialog(TDialog& dialog, HINSTANCE hInstance, HWND hOwner, WORD nTemplateId)
{
    // The entry editor's file dialogs and shortcuts want COM.
    EnterComApartment();
    EnsureCommonControls();
    return DialogBoxParamW(hInstance, MAKEINTRESOURCEW(nTemplateId), hOwner, DialogThunk<TDialog>,
                           reinterpret_cast<LPARAM>(&dialog));
}

// Commands are acted on only as clicks (notification code 0); Enter, Esc
// and the close box arrive that way too.
inline bool IsClickCommand(WPARAM wParam)
{
    return HIWORD(wParam) == 0;
}

// The closing buttons of the simple screens: id 1 ends the dialog with 1,
// id 2 with 2. True when the command was one of them.
bool EndOnCloseButton(HWND hDlg, WPARAM wParam);

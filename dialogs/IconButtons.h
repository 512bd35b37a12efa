#pragma once

#include "foundation/ScopedHandle.h"

#include <windows.h>

#include <initializer_list>

// The icon-only buttons of the editors: their pictures, and a tooltip that
// says what each does; their window texts (what screen readers read) are
// the short names.

// An icon of the module the dialog's template came from, 16 × 16 at
// 96 dpi and scaled to the DPI given (the dialog's monitor's).
tessvald::CIconHandle LoadButtonIcon(HWND hDlg, WORD nIconId, UINT nDpi);
// Shows the icon on the button; the caller keeps it until the dialog goes.
void SetButtonIcon(HWND hDlg, int nButtonId, const tessvald::CIconHandle& icon);

struct ButtonToolTip
{
    int nId;
    const wchar_t* pszText;
};

// One tooltip window with a tool for each button that exists. The dialog
// owns it: the system destroys it with the dialog, before the dialog's own
// WM_DESTROY, so no one else may.
void AddButtonToolTips(HWND hDlg, std::initializer_list<ButtonToolTip> tips);

#pragma once

#include <windows.h>

#include <initializer_list>

// The icon-only buttons of the editors say in a tooltip what they do; their
// window texts (what screen readers read) are the short names.
struct ButtonToolTip
{
    int nId;
    const wchar_t* pszText;
};

// One tooltip window with a tool for each button that exists. The dialog
// owns it: the system destroys it with the dialog, before the dialog's own
// WM_DESTROY, so no one else may.
void AddButtonToolTips(HWND hDlg, std::initializer_list<ButtonToolTip> tips);

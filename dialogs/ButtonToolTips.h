#pragma once

#include "foundation/ScopedHandle.h"

#include <windows.h>

#include <initializer_list>

// The icon-only buttons of the editors say in a tooltip what they do; their
// window texts (what screen readers read) are the short names.
struct ButtonToolTip
{
    int nId;
    const wchar_t* pszText;
};

// One tooltip window owned by the dialog, with a tool for each button that
// exists. The holder destroys it; hold it no longer than the dialog lives.
tessvald::CWindowHandle AddButtonToolTips(HWND hDlg, std::initializer_list<ButtonToolTip> tips);

#include "dialogs/DialogThunk.h"

#include <commctrl.h>

void EnsureCommonControls()
{
    static bool s_bRegistered = false;
    if (s_bRegistered)
        return;
    // The list editor's list view, the entry editor's up-down, the
    // options' shortcut field and the tooltips of the icon buttons.
    INITCOMMONCONTROLSEX controls = { sizeof(controls),
                                      ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_HOTKEY_CLASS | ICC_BAR_CLASSES };
    s_bRegistered = InitCommonControlsEx(&controls) != FALSE;
}

bool EndOnCloseButton(HWND hDlg, WPARAM wParam)
{
    if (!IsClickCommand(wParam))
        return false;
    const WORD nId = LOWORD(wParam);
    if (nId != IDOK && nId != IDCANCEL)
        return false;
    EndDialog(hDlg, nId);
    return true;
}

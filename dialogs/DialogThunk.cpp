#include "dialogs/DialogThunk.h"

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

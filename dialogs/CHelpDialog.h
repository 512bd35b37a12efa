#pragma once

#include <windows.h>

// The screen "Ambertille - Aufrufparameter" that lists the command-line
// options. Its texts live in the template; only the usage line is filled
// in, with the program's own file name.
class CHelpDialog
{
public:
    CHelpDialog() = default;
    virtual ~CHelpDialog() = default;

    // 1 after "&Schließen" or Enter, 2 after Esc or the close box.
    int DoModal(HINSTANCE hInstance, HWND hOwner);

    void OnInitDialog(HWND hDlg);
    INT_PTR OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);
};

#pragma once

#include <windows.h>

// The About box: name, description, copyright and version of the program,
// read from its own version resource every time the box opens.
class CAboutDialog
{
public:
    CAboutDialog() = default;
    virtual ~CAboutDialog() = default;

    // 1 after "&Schließen" or Enter, 2 after Esc or the close box.
    int DoModal(HINSTANCE hInstance, HWND hOwner);

    void OnInitDialog(HWND hDlg);
    INT_PTR OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);
};

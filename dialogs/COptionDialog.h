#pragma once

#include "foundation/ScopedHandle.h"

#include <windows.h>

// "Optionen ändern": the tray menu's display options with a live preview
// of the chosen font. Changes the options in memory only, and only when
// the user closes it with "&Schließen"; saving is the list editor's call.
class COptionDialog
{
public:
    COptionDialog() = default;
    COptionDialog(const COptionDialog&) = delete;
    COptionDialog& operator=(const COptionDialog&) = delete;
    virtual ~COptionDialog() = default;

    // 1 after "&Schließen" (options applied), 2 after cancel (nothing changed).
    int DoModal(HINSTANCE hInstance, HWND hOwner);

    void OnInitDialog(HWND hDlg);
    INT_PTR OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);

private:
    void OnCommand(HWND hDlg, WORD nId, WORD nCode);
    void OnClick(HWND hDlg, WORD nId);
    void UpdatePreview(HWND hDlg);
    void OnSizeSelected(HWND hDlg);
    void Apply(HWND hDlg);

    // The font set on the preview control; replaced at every preview.
    tessvald::CFontHandle m_hPreviewFont;
};

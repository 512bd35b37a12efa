#pragma once

#include "foundation/ScopedHandle.h"
#include "settings/DisplayOptions.h"

#include <windows.h>

// "Optionen ändern": the tray menu's display options with a live preview
// of the chosen font, and the global shortcut. The caller puts the options
// to show into m_options and, after an end code of 1, applies what the
// user chose from there; saving them is the list editor's call. A shortcut
// that another program holds is refused at "&Schließen" (or Enter) and the
// dialog stays open.
class COptionDialog
{
public:
    COptionDialog() = default;
    COptionDialog(const COptionDialog&) = delete;
    COptionDialog& operator=(const COptionDialog&) = delete;
    virtual ~COptionDialog() = default;

    // 1 after "&Schließen" (m_options holds the choice), 2 after cancel
    // (m_options unchanged).
    int DoModal(HINSTANCE hInstance, HWND hOwner);

    void OnInitDialog(HWND hDlg);
    INT_PTR OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);

    // In: the options to show. Out: the user's choice, after "&Schließen".
    SDisplayOptions m_options = {};

private:
    void OnCommand(HWND hDlg, WORD nId, WORD nCode);
    void OnClick(HWND hDlg, WORD nId);
    void UpdatePreview(HWND hDlg);
    void OnDpiChanged(HWND hDlg, UINT nDpi);
    void OnSizeSelected(HWND hDlg);
    void SetUpHotkey(HWND hDlg);
    bool ReadChosenHotkey(HWND hDlg, UINT& nModifiers, UINT& nKey) const;
    void Apply(HWND hDlg, UINT nModifiers, UINT nKey);

    // The font set on the preview control; replaced at every preview.
    tessvald::CFontHandle m_hPreviewFont;
    // Of the monitor the dialog is on: the preview shows the font as large
    // as the menu on that monitor would.
    UINT m_nDpi = 96;
    // The hotkey control's value at opening: while it stays, the shortcut
    // in force is kept as it is, Win included, which the control cannot show.
    WORD m_nShownHotkey = 0;
};

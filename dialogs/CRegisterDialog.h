#pragma once

#include "foundation/CString.h"
#include "foundation/ScopedHandle.h"
#include "settings/CRecord.h"

#include <windows.h>

// The entry editor: name, path, show mode, parameters, working directory,
// description and icon of one tool, or the mark that it is a separator.
// It checks nothing and shows no message; whatever the fields hold when the
// user presses "&Schließen" becomes the record.
class CRegisterDialog
{
public:
    CRegisterDialog();
    CRegisterDialog(const CRegisterDialog&) = delete;
    CRegisterDialog& operator=(const CRegisterDialog&) = delete;
    virtual ~CRegisterDialog();

    // Edits a copy of the record (a new entry without one) under the given
    // title. 1 after "&Schließen", 2 after "&Abbrechen", Esc or the close box.
    int DoModal(HINSTANCE hInstance, HWND hOwner, const CRecord* pRecord, const wchar_t* pszTitle);
    // The result after an end code of 1; its section name is always empty.
    const CRecord& GetRecord() const { return m_record; }

    void OnInitDialog(HWND hDlg);
    INT_PTR OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);

private:
    void OnCommand(HWND hDlg, WPARAM wParam);
    void OnScroll(HWND hDlg, WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    void FillControls(HWND hDlg);
    void SetupIconPicker(HWND hDlg, const wchar_t* pszIconFile, LONG nIndex);
    void ShowIcon(HWND hDlg, const wchar_t* pszIconFile, LONG nPosition);
    void SetPreview(HWND hDlg, HICON hIcon);
    void BrowseForFile(HWND hDlg);
    void ReadControls(HWND hDlg);

    CRecord m_record;
    tessvald::string::CString m_strTitle;
    tessvald::CIconHandle m_separatorIcon;
    tessvald::CIconHandle m_browseIcon;
    tessvald::CIconHandle m_previewIcon;
};

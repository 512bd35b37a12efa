#pragma once

#include "dialogs/CFolderProbe.h"
#include "foundation/CString.h"
#include "foundation/ScopedHandle.h"
#include "settings/CRecord.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// The entry editor: name, path, show mode, parameters, working directory,
// description, group and icon of one tool, or the mark that it is a
// separator, and whether a folder's content shows as a submenu.
// Whatever the fields hold when the user presses "&Schließen" becomes the
// record, as long as it has a name or a path; a file that gives no entry
// is explained and changes nothing.
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

    // What the group field's drop-down offers, in this order; set before
    // DoModal.
    std::vector<std::wstring> m_groups;

    void OnInitDialog(HWND hDlg);
    INT_PTR OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);

private:
    void OnCommand(HWND hDlg, WPARAM wParam);
    void OnTimer(HWND hDlg, UINT_PTR nTimerId);
    void OnFolderAnswer(HWND hDlg, WPARAM nQuestion, bool bFolder);
    void OnScroll(HWND hDlg, WPARAM wParam, LPARAM lParam);
    void OnClose(HWND hDlg);
    void OnDestroy();
    void LoadButtonIcons(HWND hDlg);
    void OnDpiChanged(HWND hDlg, UINT nDpi);
    void FillControls(HWND hDlg);
    // The picker for the record's icon file and index.
    void SetupIconPicker(HWND hDlg);
    // The icon that the index names; nPosition is where it stands among
    // the file's icon groups (-1: not among them).
    void ShowIcon(HWND hDlg, LONG nIndex, LONG nPosition);
    void SetPreview(HWND hDlg, HICON hIcon);
    void BrowseForFile(HWND hDlg);
    void BrowseForIconFile(HWND hDlg);
    void ReadControls(HWND hDlg);
    // Asks at once whether the path field names a folder.
    void ProbePath(HWND hDlg);
    void UpdateSubmenuBox(HWND hDlg);

    enum class EFolder
    {
        Unknown,  // no answer yet
        Yes,
        No,       // also a path that did not answer in time
    };

    CRecord m_record;
    tessvald::string::CString m_strTitle;
    // The record's path and unknown keys as it was opened.
    tessvald::string::CString m_strOpenedPath;
    std::vector<std::pair<std::wstring, std::wstring>> m_extraKeys;
    CFolderProbe m_folderProbe;
    EFolder m_eFolder;
    tessvald::CIconHandle m_separatorIcon;
    tessvald::CIconHandle m_browseIcon;
    tessvald::CIconHandle m_previewIcon;
    // Of the monitor the dialog is on: the icons' sizes follow it.
    UINT m_nDpi;
};

#pragma once

#include "dialogs/CListView.h"
#include "foundation/ScopedHandle.h"
#include "settings/CRecord.h"
#include "settings/CToolListFile.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

// The program list editor "Programme bearbeiten". Its list view is the
// working copy of the tool list: one row per tool in menu order, each row
// owning a heap copy of its record as item data. It opens only on a list
// it could read, and nothing is written while it is open; "&Speichern"
// rewrites the settings file from the rows, after asking when the file was
// changed from outside since it was read. "&Abbrechen" asks before it
// drops rows that differ from what was read.
class CManipulateDialog
{
public:
    CManipulateDialog();
    CManipulateDialog(const CManipulateDialog&) = delete;
    CManipulateDialog& operator=(const CManipulateDialog&) = delete;
    virtual ~CManipulateDialog();

    // 1 once "&Speichern" has rewritten the settings file, 2 otherwise
    // (also when the list could not be read and the user gave up).
    int DoModal(HINSTANCE hInstance, HWND hOwner);

    void OnInitDialog(HWND hDlg);
    INT_PTR OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);

    // Inserts a row owning a copy of the record at the index; -1 appends it,
    // selected, focused and scrolled into view.
    static void InsertRow(HWND hList, const CRecord* pRecord, int nIndex);
    // Moves the selected rows one step, refused when one of them would be
    // pushed past an end.
    static void MoveSelection(HWND hList, bool bDown);

    // Rewrites the settings file from the rows in list order. False when the
    // file could not be written; the thread's last error then says why.
    static bool SaveToolList(HWND hList);

private:
    bool ReadToolList(HWND hOwner);
    bool ConfirmOverwrite(HWND hDlg) const;
    bool IsListChanged() const;
    void AddSystemMenuEntries(HWND hDlg);
    void SetupList();
    void SetButtonIcons(HWND hDlg);
    // The move buttons' pictures for the monitor's DPI.
    void LoadMoveIcons(HWND hDlg, UINT nDpi);
    void OnDpiChanged(HWND hDlg, UINT nDpi);

    void OnCommand(HWND hDlg, WORD nId);
    void OnNotify(HWND hDlg, const NMHDR* pHeader);
    void OnSysCommand(HWND hDlg, WPARAM wParam);
    void OnDropFiles(HWND hDlg, HDROP hDrop);
    void OnEnter(HWND hDlg);
    void OnNewEntry(HWND hDlg);
    void OnEditEntry(HWND hDlg);
    void OnDeleteEntries();
    void OnDeleteKey(HWND hDlg);
    void OnOptions(HWND hDlg);
    void ShowContextMenu(HWND hDlg);
    void OnSave(HWND hDlg);
    void OnCancel(HWND hDlg);
    void OnDestroy();
    // True when the key was the list's and is not to reach it.
    bool OnListKey(UINT nMsg, WPARAM wParam);
    static LRESULT CALLBACK ListKeysProc(HWND hList, UINT nMsg, WPARAM wParam, LPARAM lParam, UINT_PTR nId,
                                         DWORD_PTR pRefData);

    // The module of the editor's template, for the dialogs it opens.
    HINSTANCE m_hInstance;
    CListView m_list;
    // The tools as read when the editor opened.
    CToolListFile m_listFile;
    // Set when the options dialog was confirmed while the editor is open;
    // only then does "&Abbrechen" offer to save the options alone.
    bool m_bOptionsChanged;
    tessvald::CIconHandle m_moveUpIcon;
    tessvald::CIconHandle m_moveDownIcon;
};

// Where the editor goes: 10 pixels inside the work area's corner nearest to
// the task bar. A work area that starts at 0, 0 puts it bottom right, one
// with the bar at the top top right, one with the bar at the left bottom
// left; one moved on both axes gives the screen origin.
POINT PlaceInWorkAreaCorner(const RECT& rcWindow, const RECT& rcWorkArea);

// The record a row owns, or null.
CRecord* GetRowRecord(HWND hList, int nRow);

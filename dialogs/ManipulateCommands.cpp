// What the user does in the program list editor besides saving and
// cancelling: the buttons, their enabling, the list's double-click, context
// menu and keys, the system menu entries and dropped files. All of it
// changes only the rows (or the options in memory).
#include "dialogs/CManipulateDialog.h"

#include "dialogs/CAboutDialog.h"
#include "dialogs/CHelpDialog.h"
#include "dialogs/CListViewMoveItemsWrapper.h"
#include "dialogs/COptionDialog.h"
#include "dialogs/CRegisterDialog.h"
#include "dialogs/DialogThunk.h"
#include "dialogs/ResolveMessages.h"
#include "resources/resource.h"
#include "settings/CRecord.h"
#include "settings/SettingsLayout.h"
#include "tray/AppGlobals.h"
#include "tray/HelpFile.h"
#include "tray/MessageBoxes.h"

#include <commctrl.h>

#include <memory>
#include <new>

using tessvald::CMenuHandle;

namespace {

// The list's own window procedure while the editor has it subclassed. One
// editor at a time: the tray drops clicks while one is open.
WNDPROC g_pfnPreviousListProc = nullptr;

enum ContextCommand : UINT
{
    kMenuNew = 100,
    kMenuEdit = 200,
    kMenuDelete = 300,
    kMenuSelectAll = 400,
    kMenuSelectNone = 500,
};

int RowCount(HWND hList)
{
    return static_cast<int>(SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
}

int SelectedCount(HWND hList)
{
    return static_cast<int>(SendMessageW(hList, LVM_GETSELECTEDCOUNT, 0, 0));
}

bool IsRowSelected(HWND hList, int nRow)
{
    return (SendMessageW(hList, LVM_GETITEMSTATE, static_cast<WPARAM>(nRow), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

int FirstSelectedRow(HWND hList)
{
    const int nCount = RowCount(hList);
    for (int nRow = 0; nRow < nCount; ++nRow) {
        if (IsRowSelected(hList, nRow))
            return nRow;
    }
    return -1;
}

int LastSelectedRow(HWND hList)
{
    for (int nRow = RowCount(hList) - 1; nRow >= 0; --nRow) {
        if (IsRowSelected(hList, nRow))
            return nRow;
    }
    return -1;
}

int NextSelectedRow(HWND hList)
{
    return static_cast<int>(SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SetRowsSelected(HWND hList, int nRow, bool bSelected)
{
    LVITEMW item = {};
    item.state = bSelected ? LVIS_SELECTED : 0;
    item.stateMask = LVIS_SELECTED;
    SendMessageW(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
}

// As if the button had been clicked; its window travels along.
void SendButtonCommand(HWND hDlg, int nId)
{
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nId, 0), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, nId)));
}

bool IsCtrlWithoutShift()
{
    return GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0;
}

void UpdateButtons(HWND hDlg, HWND hList)
{
    const int nSelected = SelectedCount(hList);
    const bool bAny = nSelected > 0;
    EnableWindow(GetDlgItem(hDlg, IDC_MOVE_UP), bAny && FirstSelectedRow(hList) != 0);
    EnableWindow(GetDlgItem(hDlg, IDC_MOVE_DOWN), bAny && LastSelectedRow(hList) != RowCount(hList) - 1);
    EnableWindow(GetDlgItem(hDlg, IDC_EDIT), nSelected == 1);
    EnableWindow(GetDlgItem(hDlg, IDC_DELETE), bAny);
    // A focused button that was just disabled leaves the dialog without a
    // focus, and keys would go nowhere.
    if (GetFocus() == nullptr)
        SendMessageW(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hList), TRUE);
}

void AppendSeparatorRow(HWND hList)
{
    CRecord record;
    record.SetName(L"@");
    record.SetShow(-1);
    record.SetIconIndex(-1);
    CManipulateDialog::InsertRow(hList, &record, -1);
}

void AddDroppedFile(HWND hList, HDROP hDrop, UINT nFile)
{
    const UINT nLength = DragQueryFileW(hDrop, nFile, nullptr, 0);
    std::unique_ptr<wchar_t[]> pszName(new (std::nothrow) wchar_t[nLength + 1]());
    if (!pszName)
        return;
    DragQueryFileW(hDrop, nFile, pszName.get(), nLength + 1);
    // The settings file could not give such a path back.
    if (nLength > kMaxValueLength) {
        ShowError(GetParent(hList), kNoSystemText, L"Ambertille",
                  L"Die Datei \u201E%s\u201C kann nicht in die Liste aufgenommen werden: Ihr Pfad ist l\u00E4nger "
                  L"als %u Zeichen.",
                  pszName.get(), static_cast<unsigned>(kMaxValueLength));
        return;
    }
    CRecord record;
    if (ResolveWithMessage(GetParent(hList), pszName.get(), record))
        CManipulateDialog::InsertRow(hList, &record, -1);
}

} // namespace

void CManipulateDialog::MoveSelection(HWND hList, bool bDown)
{
    const int nCount = RowCount(hList);
    if (nCount == 0)
        return;
    if (bDown && LastSelectedRow(hList) == nCount - 1)
        return;
    if (!bDown && FirstSelectedRow(hList) == 0)
        return;
    CListViewMoveItemsWrapper mover(hList);
    mover.Move(bDown);
}

void CManipulateDialog::OnCommand(HWND hDlg, WPARAM wParam)
{
    HWND hList = GetDlgItem(hDlg, IDC_TOOL_LIST);
    switch (LOWORD(wParam)) {
    case IDC_MOVE_UP:
        MoveSelection(hList, false);
        break;
    case IDC_MOVE_DOWN:
        MoveSelection(hList, true);
        break;
    case IDC_SEPARATOR:
        AppendSeparatorRow(hList);
        break;
    case IDC_NEW:
        OnNewEntry(hDlg);
        break;
    case IDC_EDIT:
        OnEditEntry(hDlg);
        break;
    case IDC_DELETE:
        OnDeleteEntries(hDlg);
        break;
    case IDC_OPTIONS: {
        COptionDialog options;
        if (options.DoModal(g_hInstance, hDlg) == 1)
            m_bOptionsChanged = true;
        break;
    }
    case IDHELP:
        ShowHelpFile(hDlg);
        break;
    default:
        break;
    }
}

void CManipulateDialog::OnNewEntry(HWND hDlg)
{
    CRegisterDialog editor;
    if (editor.DoModal(g_hInstance, hDlg, nullptr, L"Eintrag erstellen") == 1)
        InsertRow(GetDlgItem(hDlg, IDC_TOOL_LIST), &editor.GetRecord(), -1);
}

// The row keeps its section; the section names are numbered afresh on save.
void CManipulateDialog::OnEditEntry(HWND hDlg)
{
    HWND hList = GetDlgItem(hDlg, IDC_TOOL_LIST);
    const int nRow = NextSelectedRow(hList);
    CRecord* pRecord = nRow >= 0 ? GetRowRecord(hList, nRow) : nullptr;
    if (pRecord == nullptr)
        return;
    CRegisterDialog editor;
    if (editor.DoModal(g_hInstance, hDlg, pRecord, L"Eintrag bearbeiten") != 1)
        return;
    pRecord->CopyFrom(&editor.GetRecord(), true);

    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = nRow;
    item.pszText = const_cast<wchar_t*>(pRecord->m_strName.GetText());
    item.lParam = reinterpret_cast<LPARAM>(pRecord);
    SendMessageW(hList, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SetRowCells(hList, nRow, *pRecord);
}

void CManipulateDialog::OnDeleteEntries(HWND hDlg)
{
    HWND hList = GetDlgItem(hDlg, IDC_TOOL_LIST);
    for (int nRow = NextSelectedRow(hList); nRow >= 0; nRow = NextSelectedRow(hList)) {
        CRecord* pRecord = GetRowRecord(hList, nRow);
        if (!SendMessageW(hList, LVM_DELETEITEM, static_cast<WPARAM>(nRow), 0))
            break;
        delete pRecord;
    }
}

// The selection stays where the first deleted row stood, or on the new last
// row when the deletion reached the end.
void CManipulateDialog::OnDeleteKey(HWND hDlg)
{
    HWND hList = GetDlgItem(hDlg, IDC_TOOL_LIST);
    if (SelectedCount(hList) == 0)
        return;
    int nRow = FirstSelectedRow(hList);
    SendButtonCommand(hDlg, IDC_DELETE);
    const int nCount = RowCount(hList);
    if (nRow >= nCount)
        nRow = nCount - 1;
    if (nRow >= 0)
        SetRowsSelected(hList, nRow, true);
}

void CManipulateDialog::OnNotify(HWND hDlg, const NMHDR* pHeader)
{
    if (pHeader == nullptr || pHeader->idFrom != IDC_TOOL_LIST)
        return;
    HWND hList = pHeader->hwndFrom;
    switch (pHeader->code) {
    case LVN_ITEMCHANGED:
        UpdateButtons(hDlg, hList);
        break;
    case NM_DBLCLK: {
        const int nSelected = SelectedCount(hList);
        if (nSelected == 0)
            SendButtonCommand(hDlg, IDC_NEW);
        else if (nSelected == 1)
            SendButtonCommand(hDlg, IDC_EDIT);
        break;
    }
    case NM_RCLICK:
        ShowContextMenu(hDlg);
        break;
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN*>(pHeader)->wVKey == VK_DELETE)
            OnDeleteKey(hDlg);
        break;
    default:
        break;
    }
}

void CManipulateDialog::ShowContextMenu(HWND hDlg)
{
    HWND hList = GetDlgItem(hDlg, IDC_TOOL_LIST);
    const int nSelected = SelectedCount(hList);
    CMenuHandle menu(CreatePopupMenu());
    if (!menu)
        return;
    AppendMenuW(menu.Get(), MF_STRING, kMenuNew, L"Neu");
    AppendMenuW(menu.Get(), MF_STRING | (nSelected != 1 ? MF_GRAYED : 0), kMenuEdit, L"Bearbeiten");
    AppendMenuW(menu.Get(), MF_STRING | (nSelected == 0 ? MF_GRAYED : 0), kMenuDelete, L"Löschen");
    AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.Get(), MF_STRING, kMenuSelectAll, L"Alles auswählen");
    AppendMenuW(menu.Get(), MF_STRING, kMenuSelectNone, L"Auswahl aufheben");

    POINT pt = {};
    GetCursorPos(&pt);
    const UINT nCommand = static_cast<UINT>(
        TrackPopupMenu(menu.Get(), TPM_RETURNCMD, pt.x, pt.y, 0, hDlg, nullptr));
    switch (nCommand) {
    case kMenuNew:
        SendButtonCommand(hDlg, IDC_NEW);
        break;
    case kMenuEdit:
        SendButtonCommand(hDlg, IDC_EDIT);
        break;
    case kMenuDelete:
        SendButtonCommand(hDlg, IDC_DELETE);
        break;
    case kMenuSelectAll:
        SetRowsSelected(hList, -1, true);
        break;
    case kMenuSelectNone:
        SetRowsSelected(hList, -1, false);
        break;
    default:
        break;
    }
}

void CManipulateDialog::OnSysCommand(HWND hDlg, WPARAM wParam)
{
    if (wParam == IDM_ABOUT) {
        CAboutDialog about;
        about.DoModal(g_hInstance, hDlg);
    } else if (wParam == IDM_USAGE) {
        CHelpDialog help;
        help.DoModal(g_hInstance, hDlg);
    }
}

// Every accepted file is appended and becomes the only selected row; a
// file that cannot be resolved is skipped without a word.
void CManipulateDialog::OnDropFiles(HWND hDlg, HDROP hDrop)
{
    HWND hList = GetDlgItem(hDlg, IDC_TOOL_LIST);
    const UINT nFiles = DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    for (UINT nFile = 0; nFile < nFiles; ++nFile)
        AddDroppedFile(hList, hDrop, nFile);
    DragFinish(hDrop);
}

void CManipulateDialog::SubclassList(HWND hList)
{
    g_pfnPreviousListProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
}

void CManipulateDialog::RestoreList(HWND hList)
{
    if (g_pfnPreviousListProc == nullptr)
        return;
    SetWindowLongPtrW(hList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_pfnPreviousListProc));
    g_pfnPreviousListProc = nullptr;
}

// Enter edits the selected entry; Ctrl with the arrows moves the selection,
// and no other Ctrl combination reaches the list (its own select-all and
// scrolling shortcuts stay out).
LRESULT CALLBACK CManipulateDialog::ListProc(HWND hList, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_GETDLGCODE:
        if (wParam == VK_RETURN && IsWindowEnabled(GetDlgItem(GetParent(hList), IDC_EDIT)))
            SendButtonCommand(GetParent(hList), IDC_EDIT);
        break;
    case WM_KEYDOWN:
        if (!IsCtrlWithoutShift())
            break;
        if (wParam == VK_UP)
            MoveSelection(hList, false);
        else if (wParam == VK_DOWN)
            MoveSelection(hList, true);
        return 0;
    case WM_KEYUP:
        if (IsCtrlWithoutShift())
            return 0;
        break;
    default:
        break;
    }
    return CallWindowProcW(g_pfnPreviousListProc, hList, nMsg, wParam, lParam);
}

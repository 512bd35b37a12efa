#include "dialogs/CManipulateDialog.h"

#include "dialogs/CAboutDialog.h"
#include "dialogs/CHelpDialog.h"
#include "dialogs/CListViewMoveItemsWrapper.h"
#include "dialogs/COptionDialog.h"
#include "dialogs/CRegisterDialog.h"
#include "dialogs/DialogThunk.h"
#include "dialogs/IconButtons.h"
#include "dialogs/ListedToolEdit.h"
#include "dialogs/ResolveMessages.h"
#include "foundation/Dpi.h"
#include "resolve/FileTypes.h"
#include "resources/resource.h"
#include "settings/CConfig.h"
#include "settings/DisplayOptions.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLayout.h"
#include "tray/HelpFile.h"
#include "tray/MessageBoxes.h"
#include "tray/ToolGroups.h"

#include <commctrl.h>

#include <memory>
#include <new>
#include <utility>

using tessvald::CMenuHandle;
using tessvald::string::CString;

namespace {

constexpr int kMargin = 10;
constexpr int kColumns = 4;
constexpr wchar_t kCaption[] = L"Ambertille";
constexpr UINT_PTR kListKeysId = 1;

enum ContextCommand : UINT
{
    kMenuNew = 100,
    kMenuEdit = 200,
    kMenuDelete = 300,
    kMenuSelectAll = 400,
    kMenuSelectNone = 500,
};

// A question about the editor's work carries the editor's title.
int AskAboutEditor(HWND hDlg, const wchar_t* pszQuestion)
{
    wchar_t szTitle[256] = {};
    GetWindowTextW(hDlg, szTitle, 256);
    return AskQuestion(hDlg, szTitle, L"%s", pszQuestion);
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

// The rows' records in list order.
std::vector<CRecord*> RowRecords(const CListView& list)
{
    std::vector<CRecord*> records;
    const int nCount = list.GetItemCount();
    for (int nRow = 0; nRow < nCount; ++nRow)
        records.push_back(GetRowRecord(list.GetHandle(), nRow));
    return records;
}

// The "Anzeige", "Typ" and "Gruppe" cells follow the record.
void SetRowCells(const CListView& list, int nRow, const CRecord& record)
{
    list.SetItemText(nRow, 1, record.GetShowText());
    CString strType(L"");
    GetFileTypeName(record.m_strPath.GetText(), strType);
    list.SetItemText(nRow, 2, strType.GetText());
    list.SetItemText(nRow, 3, record.m_strGroup.GetText());
}

// The groups of the rows but one (-1: of all rows), for the entry
// editor's drop-down.
std::vector<std::wstring> GroupsOfOtherRows(const CListView& list, int nSkippedRow)
{
    std::vector<const wchar_t*> values;
    const std::vector<CRecord*> records = RowRecords(list);
    for (std::size_t nRow = 0; nRow < records.size(); ++nRow) {
        if (static_cast<int>(nRow) != nSkippedRow && records[nRow] != nullptr)
            values.push_back(records[nRow]->m_strGroup.GetText());
    }
    return ListGroupPaths(values);
}

// The row and field of the first value too long to be read back, shown
// with the row selected so the user finds it.
bool RefuseOverlongValue(HWND hDlg, const CListView& list)
{
    const std::vector<CRecord*> records = RowRecords(list);
    for (std::size_t nRow = 0; nRow < records.size(); ++nRow) {
        const SToolField* pField = records[nRow] != nullptr ? FindOverlongField(*records[nRow]) : nullptr;
        if (pField == nullptr)
            continue;
        list.SelectOnly(static_cast<int>(nRow));
        ShowError(hDlg, kNoSystemText, kCaption,
                  L"Der Eintrag \u201E%s\u201C kann nicht gespeichert werden: Das Feld \u201E%s\u201C hat mehr als "
                  L"%u Zeichen.\n\nK\u00FCrzen Sie den Text, und speichern Sie dann erneut.",
                  records[nRow]->m_strName.GetText(), pField->pszLabel, static_cast<unsigned>(kMaxValueLength));
        return true;
    }
    return false;
}

void UpdateButtons(HWND hDlg, const CListView& list)
{
    const int nSelected = list.GetSelectedCount();
    const bool bAny = nSelected > 0;
    EnableWindow(GetDlgItem(hDlg, IDC_MOVE_UP), bAny && list.GetNextSelectedItem() != 0);
    EnableWindow(GetDlgItem(hDlg, IDC_MOVE_DOWN), bAny && list.GetLastSelectedItem() != list.GetItemCount() - 1);
    EnableWindow(GetDlgItem(hDlg, IDC_EDIT), nSelected == 1);
    EnableWindow(GetDlgItem(hDlg, IDC_DELETE), bAny);
    // A focused button that was just disabled leaves the dialog without a
    // focus, and keys would go nowhere.
    if (GetFocus() == nullptr)
        SendMessageW(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list.GetHandle()), TRUE);
}

void AddDroppedFile(HWND hDlg, HWND hList, HDROP hDrop, UINT nFile)
{
    const UINT nLength = DragQueryFileW(hDrop, nFile, nullptr, 0);
    std::unique_ptr<wchar_t[]> pszName(new (std::nothrow) wchar_t[nLength + 1]());
    if (!pszName)
        return;
    DragQueryFileW(hDrop, nFile, pszName.get(), nLength + 1);
    // The settings file could not give such a path back.
    if (nLength > kMaxValueLength) {
        ShowError(hDlg, kNoSystemText, kCaption,
                  L"Die Datei \u201E%s\u201C kann nicht in die Liste aufgenommen werden: Ihr Pfad ist l\u00E4nger "
                  L"als %u Zeichen.",
                  pszName.get(), static_cast<unsigned>(kMaxValueLength));
        return;
    }
    CRecord record;
    if (ResolveWithMessage(hDlg, pszName.get(), record))
        CManipulateDialog::InsertRow(hList, &record, -1);
}

} // namespace

POINT PlaceInWorkAreaCorner(const RECT& rcWindow, const RECT& rcWorkArea)
{
    const LONG nWidth = rcWindow.right - rcWindow.left;
    const LONG nHeight = rcWindow.bottom - rcWindow.top;
    const bool bLeftAtZero = rcWorkArea.left == 0;
    const bool bTopAtZero = rcWorkArea.top == 0;
    if (bLeftAtZero && bTopAtZero)
        return { rcWorkArea.right - nWidth - kMargin, rcWorkArea.bottom - nHeight - kMargin };
    if (bLeftAtZero)
        return { rcWorkArea.right - nWidth - kMargin, rcWorkArea.top + kMargin };
    if (bTopAtZero)
        return { rcWorkArea.left + kMargin, rcWorkArea.bottom - nHeight - kMargin };
    return { 0, 0 };
}

CRecord* GetRowRecord(HWND hList, int nRow)
{
    return reinterpret_cast<CRecord*>(CListView(hList).GetItemParam(nRow));
}

CManipulateDialog::CManipulateDialog() : m_hInstance(nullptr), m_bOptionsChanged(false)
{
}

CManipulateDialog::~CManipulateDialog() = default;

int CManipulateDialog::DoModal(HINSTANCE hInstance, HWND hOwner)
{
    if (!ReadToolList(hOwner))
        return 2;
    m_hInstance = hInstance;
    return static_cast<int>(RunModalDialog(*this, hInstance, hOwner, IDD_MANIPULATE));
}

// A file that another program holds locked is no list: an editor opened on
// it would show no rows, and its "Speichern" would write an empty list.
bool CManipulateDialog::ReadToolList(HWND hOwner)
{
    return ReadToolListOrGiveUp(hOwner, m_listFile);
}

bool CManipulateDialog::ConfirmOverwrite(HWND hDlg) const
{
    if (m_listFile.IsUnchangedOnDisk())
        return true;
    return AskAboutEditor(hDlg, L"Die Programmliste wurde au\u00DFerhalb dieses Fensters ge\u00E4ndert, seit Sie "
                                L"es ge\u00F6ffnet haben.\n\nM\u00F6chten Sie diese \u00C4nderungen mit Ihrer "
                                L"Liste \u00FCberschreiben?")
        == IDYES;
}

// Judged by what a save would write: a row moved and moved back, or an
// entry closed with "Schließen" as it was, is no change.
bool CManipulateDialog::IsListChanged() const
{
    const std::vector<CRecord*> records = RowRecords(m_list);
    if (records.size() != m_listFile.Tools().size())
        return true;
    for (std::size_t nRow = 0; nRow < records.size(); ++nRow) {
        if (records[nRow] == nullptr || !HaveSameFields(*records[nRow], m_listFile.Tools()[nRow]))
            return true;
    }
    return false;
}

void CManipulateDialog::OnInitDialog(HWND hDlg)
{
    AddSystemMenuEntries(hDlg);
    m_list = CListView(GetDlgItem(hDlg, IDC_TOOL_LIST));
    if (m_list.GetHandle() != nullptr) {
        SetupList();
        for (std::size_t i = 0; i < m_listFile.Tools().size(); ++i)
            InsertRow(m_list.GetHandle(), &m_listFile.Tools()[i], static_cast<int>(i));
        for (int nColumn = 0; nColumn < kColumns; ++nColumn)
            m_list.SetColumnWidth(nColumn, LVSCW_AUTOSIZE_USEHEADER);
        m_list.SetItemState(0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
        m_list.SetSelectionMark(0);
    }

    RECT rcWindow = {};
    RECT rcWorkArea = {};
    GetWindowRect(hDlg, &rcWindow);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWorkArea, 0);
    const POINT ptCorner = PlaceInWorkAreaCorner(rcWindow, rcWorkArea);
    SetWindowPos(hDlg, HWND_TOP, ptCorner.x, ptCorner.y, 0, 0, SWP_NOSIZE);

    SetButtonIcons(hDlg);
}

INT_PTR CManipulateDialog::OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_COMMAND:
        if (IsClickCommand(wParam))
            OnCommand(hDlg, LOWORD(wParam));
        break;
    case WM_NOTIFY:
        OnNotify(hDlg, reinterpret_cast<const NMHDR*>(lParam));
        break;
    case WM_SYSCOMMAND:
        OnSysCommand(hDlg, wParam);
        break;
    case WM_DROPFILES:
        OnDropFiles(hDlg, reinterpret_cast<HDROP>(wParam));
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_DIALOG_DPI_CHANGED:
        OnDpiChanged(hDlg, static_cast<UINT>(wParam));
        break;
    default:
        break;
    }
    // The dialog manager's own handling always follows, so the standard
    // system commands keep working.
    return FALSE;
}

// The menu ends with "Aufruf ...", "Über ...", a separator line and the
// close item; a menu without a close item is left alone.
void CManipulateDialog::AddSystemMenuEntries(HWND hDlg)
{
    HMENU hMenu = GetSystemMenu(hDlg, FALSE);
    const int nCount = hMenu != nullptr ? GetMenuItemCount(hMenu) : 0;
    int nClose = 0;
    while (nClose < nCount && GetMenuItemID(hMenu, nClose) != SC_CLOSE)
        ++nClose;
    if (nClose >= nCount)
        return;

    struct Entry { UINT nType; UINT nId; const wchar_t* pszText; };
    const Entry entries[] = {
        { MFT_SEPARATOR, 0, nullptr },
        { MFT_STRING, IDM_ABOUT, L"Über ..." },
        { MFT_STRING, IDM_USAGE, L"Aufruf ..." },
    };
    for (const Entry& entry : entries) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_TYPE;
        info.fType = entry.nType;
        info.wID = entry.nId;
        info.dwTypeData = const_cast<wchar_t*>(entry.pszText);
        InsertMenuItemW(hMenu, static_cast<UINT>(nClose), TRUE, &info);
    }
}

void CManipulateDialog::SetupList()
{
    SetWindowSubclass(m_list.GetHandle(), ListKeysProc, kListKeysId, reinterpret_cast<DWORD_PTR>(this));
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    m_list.InsertColumn(0, L"Programmname");
    m_list.InsertColumn(1, L"Anzeige");
    m_list.InsertColumn(2, L"Typ");
    m_list.InsertColumn(3, L"Gruppe");
}

void CManipulateDialog::LoadMoveIcons(HWND hDlg, UINT nDpi)
{
    tessvald::CIconHandle upIcon = LoadButtonIcon(hDlg, IDI_MOVE_UP, nDpi);
    tessvald::CIconHandle downIcon = LoadButtonIcon(hDlg, IDI_MOVE_DOWN, nDpi);
    SetButtonIcon(hDlg, IDC_MOVE_UP, upIcon);
    SetButtonIcon(hDlg, IDC_MOVE_DOWN, downIcon);
    m_moveUpIcon = std::move(upIcon);
    m_moveDownIcon = std::move(downIcon);
}

// The dialog manager has scaled the controls and sent them the new font;
// the columns are fitted to their texts again.
void CManipulateDialog::OnDpiChanged(HWND hDlg, UINT nDpi)
{
    LoadMoveIcons(hDlg, nDpi);
    for (int nColumn = 0; nColumn < kColumns; ++nColumn)
        m_list.SetColumnWidth(nColumn, LVSCW_AUTOSIZE_USEHEADER);
}

void CManipulateDialog::SetButtonIcons(HWND hDlg)
{
    LoadMoveIcons(hDlg, tessvald::WindowDpi(hDlg));
    AddButtonToolTips(hDlg, {
        { IDC_MOVE_UP, L"Die ausgewählten Einträge eine Zeile nach oben schieben (Strg+Pfeil nach oben)" },
        { IDC_MOVE_DOWN, L"Die ausgewählten Einträge eine Zeile nach unten schieben (Strg+Pfeil nach unten)" },
    });
}

void CManipulateDialog::InsertRow(HWND hList, const CRecord* pRecord, int nIndex)
{
    if (hList == nullptr || pRecord == nullptr)
        return;
    const CListView list(hList);
    const bool bAppend = nIndex == -1;
    if (bAppend)
        nIndex = list.GetItemCount();

    CRecord* pCopy = new (std::nothrow) CRecord(*pRecord);
    if (pCopy == nullptr)
        return;
    if (bAppend)
        SetToolSection(*pCopy, static_cast<ULONG>(nIndex));

    const int nRow = list.InsertItem(nIndex, pCopy->m_strName.GetText(), reinterpret_cast<LPARAM>(pCopy));
    if (nRow < 0) {
        delete pCopy;
        return;
    }
    SetRowCells(list, nRow, *pCopy);
    if (bAppend)
        list.SelectOnly(nRow);
    list.SetColumnWidth(0, LVSCW_AUTOSIZE);
}

void CManipulateDialog::MoveSelection(HWND hList, bool bDown)
{
    const CListView list(hList);
    const int nCount = list.GetItemCount();
    if (nCount == 0)
        return;
    if (bDown ? list.GetLastSelectedItem() == nCount - 1 : list.GetNextSelectedItem() == 0)
        return;
    CListViewMoveItemsWrapper mover(hList);
    mover.Move(bDown);
}

bool CManipulateDialog::SaveToolList(HWND hList)
{
    if (hList == nullptr)
        return true;
    const std::vector<CRecord*> records = RowRecords(CListView(hList));
    return ::SaveToolList(records.data(), static_cast<ULONG>(records.size()), GetParent(hList));
}

void CManipulateDialog::OnCommand(HWND hDlg, WORD nId)
{
    switch (nId) {
    case IDC_SAVE:
        OnSave(hDlg);
        break;
    case IDCANCEL:
        OnCancel(hDlg);
        break;
    case IDOK:
        OnEnter(hDlg);
        break;
    case IDC_MOVE_UP:
        MoveSelection(m_list.GetHandle(), false);
        break;
    case IDC_MOVE_DOWN:
        MoveSelection(m_list.GetHandle(), true);
        break;
    case IDC_SEPARATOR: {
        CRecord separator;
        MakeSeparator(separator);
        InsertRow(m_list.GetHandle(), &separator, -1);
        break;
    }
    case IDC_NEW:
        OnNewEntry(hDlg);
        break;
    case IDC_EDIT:
        OnEditEntry(hDlg);
        break;
    case IDC_DELETE:
        OnDeleteEntries();
        break;
    case IDC_OPTIONS:
        OnOptions(hDlg);
        break;
    case IDHELP:
        ShowHelpFile(hDlg);
        break;
    default:
        break;
    }
}

// The editor has no default button, so Enter comes as IDOK from wherever
// the focus is; in the list it edits the one selected entry.
void CManipulateDialog::OnEnter(HWND hDlg)
{
    if (GetFocus() == m_list.GetHandle() && IsWindowEnabled(GetDlgItem(hDlg, IDC_EDIT)))
        SendButtonCommand(hDlg, IDC_EDIT);
}

void CManipulateDialog::OnNewEntry(HWND hDlg)
{
    CRegisterDialog editor;
    editor.m_groups = GroupsOfOtherRows(m_list, -1);
    if (editor.DoModal(m_hInstance, hDlg, nullptr, L"Eintrag erstellen") == 1)
        InsertRow(m_list.GetHandle(), &editor.GetRecord(), -1);
}

// The row keeps its section; the section names are numbered afresh on save.
void CManipulateDialog::OnEditEntry(HWND hDlg)
{
    const int nRow = m_list.GetNextSelectedItem();
    CRecord* pRecord = nRow >= 0 ? GetRowRecord(m_list.GetHandle(), nRow) : nullptr;
    if (pRecord == nullptr)
        return;
    CRegisterDialog editor;
    editor.m_groups = GroupsOfOtherRows(m_list, nRow);
    if (editor.DoModal(m_hInstance, hDlg, pRecord, L"Eintrag bearbeiten") != 1)
        return;
    pRecord->CopyFrom(&editor.GetRecord(), true);
    m_list.SetItem(nRow, pRecord->m_strName.GetText(), reinterpret_cast<LPARAM>(pRecord));
    SetRowCells(m_list, nRow, *pRecord);
}

void CManipulateDialog::OnDeleteEntries()
{
    for (int nRow = m_list.GetNextSelectedItem(); nRow >= 0; nRow = m_list.GetNextSelectedItem()) {
        CRecord* pRecord = GetRowRecord(m_list.GetHandle(), nRow);
        if (!m_list.DeleteItem(nRow))
            break;
        delete pRecord;
    }
}

// The selection stays where the first deleted row stood, or on the new last
// row when the deletion reached the end.
void CManipulateDialog::OnDeleteKey(HWND hDlg)
{
    if (m_list.GetSelectedCount() == 0)
        return;
    int nRow = m_list.GetNextSelectedItem();
    SendButtonCommand(hDlg, IDC_DELETE);
    const int nCount = m_list.GetItemCount();
    if (nRow >= nCount)
        nRow = nCount - 1;
    if (nRow >= 0)
        m_list.SetSelected(nRow, true);
}

// The dialog works on a copy; the program's options change only when the
// user confirms it.
void CManipulateDialog::OnOptions(HWND hDlg)
{
    COptionDialog options;
    options.m_options = GetDisplayOptions();
    if (options.DoModal(m_hInstance, hDlg) != 1)
        return;
    SetDisplayOptions(options.m_options);
    m_bOptionsChanged = true;
}

void CManipulateDialog::OnNotify(HWND hDlg, const NMHDR* pHeader)
{
    if (pHeader == nullptr || pHeader->idFrom != IDC_TOOL_LIST)
        return;
    switch (pHeader->code) {
    case LVN_ITEMCHANGED:
        UpdateButtons(hDlg, m_list);
        break;
    case NM_DBLCLK: {
        const int nSelected = m_list.GetSelectedCount();
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
    const int nSelected = m_list.GetSelectedCount();
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
        m_list.SetSelected(-1, true);
        break;
    case kMenuSelectNone:
        m_list.SetSelected(-1, false);
        break;
    default:
        break;
    }
}

void CManipulateDialog::OnSysCommand(HWND hDlg, WPARAM wParam)
{
    if (wParam == IDM_ABOUT) {
        CAboutDialog about;
        about.DoModal(m_hInstance, hDlg);
    } else if (wParam == IDM_USAGE) {
        CHelpDialog help;
        help.DoModal(m_hInstance, hDlg);
    }
}

// Every accepted file is appended and becomes the only selected row; a
// file that gives no entry is named in a message, and the rest go on.
void CManipulateDialog::OnDropFiles(HWND hDlg, HDROP hDrop)
{
    const UINT nFiles = DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    for (UINT nFile = 0; nFile < nFiles; ++nFile)
        AddDroppedFile(hDlg, m_list.GetHandle(), hDrop, nFile);
    DragFinish(hDrop);
}

// A failed save keeps the editor open with its rows, so nothing the user
// did is lost: they may retry, or cancel knowingly.
void CManipulateDialog::OnSave(HWND hDlg)
{
    if (RefuseOverlongValue(hDlg, m_list) || !ConfirmOverwrite(hDlg))
        return;
    if (!SaveToolList(m_list.GetHandle())) {
        ShowError(hDlg, GetLastError(), kCaption, L"Die Programmliste konnte nicht gespeichert werden!");
        return;
    }
    EndDialog(hDlg, 1);
}

// Changed rows are dropped only when the user says so; "Nein" keeps the
// editor open to save them. A confirmed options change is then offered for
// saving on its own.
void CManipulateDialog::OnCancel(HWND hDlg)
{
    if (IsListChanged()
        && AskAboutEditor(hDlg, L"Sollen die \u00C4nderungen an der Programmliste verworfen werden?\n\nW\u00E4hlen "
                                L"Sie \u201ENein\u201C, um zur Liste zur\u00FCckzukehren und sie zu speichern.")
            != IDYES)
        return;
    if (m_bOptionsChanged && AskAboutEditor(hDlg, L"Soll die Änderung der Optionen gespeichert werden?") == IDYES
        && !::SaveOptions(hDlg)) {
        ShowError(hDlg, GetLastError(), kCaption, L"Die Optionen konnten nicht gespeichert werden!");
    }
    EndDialog(hDlg, 2);
}

void CManipulateDialog::OnDestroy()
{
    if (m_list.GetHandle() != nullptr) {
        const std::vector<CRecord*> records = RowRecords(m_list);
        m_list.DeleteAllItems();
        for (CRecord* pRecord : records)
            delete pRecord;
        RemoveWindowSubclass(m_list.GetHandle(), ListKeysProc, kListKeysId);
    }
    CloseHelpFile();
    m_moveUpIcon.Reset();
    m_moveDownIcon.Reset();
}

// Ctrl with the arrows moves the selection, and no other Ctrl combination
// reaches the list (its own select-all and scrolling shortcuts stay out).
bool CManipulateDialog::OnListKey(UINT nMsg, WPARAM wParam)
{
    if ((nMsg != WM_KEYDOWN && nMsg != WM_KEYUP) || !IsCtrlWithoutShift())
        return false;
    if (nMsg == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN))
        MoveSelection(m_list.GetHandle(), wParam == VK_DOWN);
    return true;
}

LRESULT CALLBACK CManipulateDialog::ListKeysProc(HWND hList, UINT nMsg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                 DWORD_PTR pRefData)
{
    auto* pDialog = reinterpret_cast<CManipulateDialog*>(pRefData);
    if (pDialog->OnListKey(nMsg, wParam))
        return 0;
    return DefSubclassProc(hList, nMsg, wParam, lParam);
}

#include "dialogs/CManipulateDialog.h"

#include "dialogs/ButtonToolTips.h"
#include "dialogs/DialogThunk.h"
#include "resolve/FileTypes.h"
#include "resources/resource.h"
#include "settings/CConfig.h"
#include "settings/CRecord.h"
#include "settings/ProfileFormat.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLayout.h"
#include "tray/AppGlobals.h"
#include "tray/HelpFile.h"
#include "tray/MessageBoxes.h"

#include <commctrl.h>

#include <new>
#include <vector>

using tessvald::string::CString;

namespace {

constexpr int kMargin = 10;

void InsertColumn(HWND hList, int nColumn, const wchar_t* pszText)
{
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(pszText);
    column.iSubItem = nColumn;
    SendMessageW(hList, LVM_INSERTCOLUMNW, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(&column));
}

void SetRowState(HWND hList, int nRow, UINT nState, UINT nMask)
{
    LVITEMW item = {};
    item.state = nState;
    item.stateMask = nMask;
    SendMessageW(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
}

void SetCellText(HWND hList, int nRow, int nColumn, const wchar_t* pszText)
{
    LVITEMW item = {};
    item.iSubItem = nColumn;
    item.pszText = const_cast<wchar_t*>(pszText);
    SendMessageW(hList, LVM_SETITEMTEXTW, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
}

int RowCount(HWND hList)
{
    return static_cast<int>(SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
}

HICON LoadButtonIcon(WORD nId)
{
    return static_cast<HICON>(LoadImageW(g_hInstance, MAKEINTRESOURCEW(nId), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

constexpr wchar_t kCaption[] = L"Ambertille";

// A section without a name yields no row, unlike the menu, which shows
// such a tool with an empty text.
bool ReadListedTool(ULONG nTool, CRecord& record)
{
    record.Reset();
    SetToolSection(record, nTool);
    return ReadRecord(&record) && !record.m_strName.IsEmpty();
}

// The digest of the settings file as it is now; 0 when there is none, and
// false when it cannot be read (nothing can be told then).
bool HashFileNow(unsigned long long& nHash)
{
    std::string bytes;
    if (ReadWholeFile(g_config.GetFileName(), bytes)) {
        nHash = HashProfileBytes(bytes);
        return true;
    }
    nHash = 0;
    return IsMissingFileError(GetLastError());
}

// The row and field of the first value too long to be read back, shown
// with the row selected so the user finds it.
bool RefuseOverlongValue(HWND hDlg, HWND hList, const std::vector<CRecord*>& records)
{
    for (std::size_t nRow = 0; nRow < records.size(); ++nRow) {
        const SToolField* pField = records[nRow] != nullptr ? FindOverlongField(*records[nRow]) : nullptr;
        if (pField == nullptr)
            continue;
        ListView_SetItemState(hList, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(hList, static_cast<int>(nRow), LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(hList, static_cast<int>(nRow), FALSE);
        ShowError(hDlg, kNoSystemText, kCaption,
                  L"Der Eintrag \u201E%s\u201C kann nicht gespeichert werden: Das Feld \u201E%s\u201C hat mehr als "
                  L"%u Zeichen.\n\nK\u00FCrzen Sie den Text, und speichern Sie dann erneut.",
                  records[nRow]->m_strName.GetText(), pField->pszLabel, static_cast<unsigned>(kMaxValueLength));
        return true;
    }
    return false;
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
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nRow;
    if (!SendMessageW(hList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<CRecord*>(item.lParam);
}

namespace {

// The rows' records in list order.
std::vector<CRecord*> RowRecords(HWND hList)
{
    std::vector<CRecord*> records;
    const int nCount = RowCount(hList);
    for (int nRow = 0; nRow < nCount; ++nRow)
        records.push_back(GetRowRecord(hList, nRow));
    return records;
}

} // namespace

CManipulateDialog::CManipulateDialog() : m_nLoadedHash(0), m_bOptionsChanged(false)
{
}

CManipulateDialog::~CManipulateDialog() = default;

int CManipulateDialog::DoModal(HINSTANCE hInstance, HWND hOwner)
{
    if (!ReadToolList(hOwner))
        return 2;
    return static_cast<int>(RunModalDialog(*this, hInstance, hOwner, IDD_MANIPULATE));
}

// A file that another program holds locked is no list: an editor opened on
// it would show no rows, and its "Speichern" would write an empty list.
bool CManipulateDialog::ReadToolList(HWND hOwner)
{
    while (!ReadToolsIfReadable()) {
        if (AskRetry(hOwner, g_config.GetReadError(), kCaption,
                     L"Die Programmliste kann gerade nicht gelesen werden, deshalb kann sie nicht bearbeitet "
                     L"werden. Schlie\u00DFen Sie das Programm, das die Einstellungsdatei \u201E%s\u201C "
                     L"ge\u00F6ffnet hat, und w\u00E4hlen Sie dann \u201EWiederholen\u201C.",
                     g_config.GetFileName()) != IDRETRY)
            return false;
    }
    return true;
}

// One look at the file for the check, the tools and the digest.
bool CManipulateDialog::ReadToolsIfReadable()
{
    CConfigReadBatch batch(g_config);
    if (!g_config.IsReadable())
        return false;
    m_loadedTools.clear();
    m_nLoadedHash = g_config.GetContentHash();
    ULONG nCount = 0;
    if (!ReadToolCount(nCount))
        return true;
    CRecord record;
    for (ULONG nTool = 1; nTool <= nCount; ++nTool) {
        if (ReadListedTool(nTool, record))
            m_loadedTools.push_back(record);
    }
    return true;
}

// Judged by the bytes, not by size and time: an editor that keeps both
// (or a change within one clock tick) must not slip through.
bool CManipulateDialog::ConfirmOverwrite(HWND hDlg) const
{
    unsigned long long nHash = 0;
    if (!HashFileNow(nHash) || nHash == m_nLoadedHash)
        return true;
    wchar_t szTitle[256] = {};
    GetWindowTextW(hDlg, szTitle, 256);
    return AskQuestion(hDlg, szTitle,
                       L"Die Programmliste wurde au\u00DFerhalb dieses Fensters ge\u00E4ndert, seit Sie es "
                       L"ge\u00F6ffnet haben.\n\nM\u00F6chten Sie diese \u00C4nderungen mit Ihrer Liste "
                       L"\u00FCberschreiben?")
        == IDYES;
}

void CManipulateDialog::OnInitDialog(HWND hDlg)
{
    AddSystemMenuEntries(hDlg);

    HWND hList = GetDlgItem(hDlg, IDC_TOOL_LIST);
    if (hList != nullptr) {
        SetupList(hList);
        LoadRows(hList);
        for (int nColumn = 0; nColumn < 3; ++nColumn)
            SendMessageW(hList, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nColumn), LVSCW_AUTOSIZE_USEHEADER);
        SetRowState(hList, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
        SendMessageW(hList, LVM_SETSELECTIONMARK, 0, 0);
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
        if (!IsClickCommand(wParam))
            break;
        if (LOWORD(wParam) == IDC_SAVE)
            OnSave(hDlg);
        else if (LOWORD(wParam) == IDCANCEL)
            OnCancel(hDlg);
        else
            OnCommand(hDlg, wParam);
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
        OnDestroy(hDlg);
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

void CManipulateDialog::SetupList(HWND hList)
{
    SubclassList(hList);
    SendMessageW(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    InsertColumn(hList, 0, L"Programmname");
    InsertColumn(hList, 1, L"Anzeige");
    InsertColumn(hList, 2, L"Typ");
}

void CManipulateDialog::LoadRows(HWND hList)
{
    for (std::size_t i = 0; i < m_loadedTools.size(); ++i)
        InsertRow(hList, &m_loadedTools[i], static_cast<int>(i));
}

void CManipulateDialog::SetButtonIcons(HWND hDlg)
{
    m_moveUpIcon.Reset(LoadButtonIcon(IDI_MOVE_UP));
    SendDlgItemMessageW(hDlg, IDC_MOVE_UP, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_moveUpIcon.Get()));
    m_moveDownIcon.Reset(LoadButtonIcon(IDI_MOVE_DOWN));
    SendDlgItemMessageW(hDlg, IDC_MOVE_DOWN, BM_SETIMAGE, IMAGE_ICON,
                        reinterpret_cast<LPARAM>(m_moveDownIcon.Get()));
    AddButtonToolTips(hDlg, {
        { IDC_MOVE_UP, L"Die ausgewählten Einträge eine Zeile nach oben schieben (Strg+Pfeil nach oben)" },
        { IDC_MOVE_DOWN, L"Die ausgewählten Einträge eine Zeile nach unten schieben (Strg+Pfeil nach unten)" },
    });
}

void CManipulateDialog::InsertRow(HWND hList, const CRecord* pRecord, int nIndex)
{
    if (hList == nullptr || pRecord == nullptr)
        return;
    const bool bAppend = nIndex == -1;
    if (bAppend)
        nIndex = RowCount(hList);

    CRecord* pCopy = new (std::nothrow) CRecord(*pRecord);
    if (pCopy == nullptr)
        return;
    if (bAppend)
        SetToolSection(*pCopy, static_cast<ULONG>(nIndex));

    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = nIndex;
    item.pszText = const_cast<wchar_t*>(pCopy->m_strName.GetText());
    item.lParam = reinterpret_cast<LPARAM>(pCopy);
    const int nRow = static_cast<int>(SendMessageW(hList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (nRow < 0) {
        delete pCopy;
        return;
    }
    SetRowCells(hList, nRow, *pCopy);

    if (bAppend) {
        SetRowState(hList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        SendMessageW(hList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(nRow), FALSE);
        SetRowState(hList, nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    SendMessageW(hList, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
}

// The "Anzeige" and "Typ" cells follow the record.
void CManipulateDialog::SetRowCells(HWND hList, int nRow, const CRecord& record)
{
    SetCellText(hList, nRow, 1, record.GetShowText());
    CString strType(L"");
    GetFileTypeName(record.m_strPath.GetText(), strType);
    SetCellText(hList, nRow, 2, strType.GetText());
}

bool CManipulateDialog::SaveToolList(HWND hList)
{
    if (hList == nullptr)
        return true;
    const std::vector<CRecord*> records = RowRecords(hList);
    return ::SaveToolList(records.data(), static_cast<ULONG>(records.size()), GetParent(hList));
}

// A failed save keeps the editor open with its rows, so nothing the user
// did is lost: they may retry, or cancel knowingly.
void CManipulateDialog::OnSave(HWND hDlg)
{
    HWND hList = GetDlgItem(hDlg, IDC_TOOL_LIST);
    if ((hList != nullptr && RefuseOverlongValue(hDlg, hList, RowRecords(hList))) || !ConfirmOverwrite(hDlg))
        return;
    if (!SaveToolList(hList)) {
        ShowError(hDlg, GetLastError(), L"Ambertille", L"Die Programmliste konnte nicht gespeichert werden!");
        return;
    }
    EndDialog(hDlg, 1);
}

// List changes are dropped without a question; only a confirmed options
// change is offered for saving on its own.
void CManipulateDialog::OnCancel(HWND hDlg)
{
    if (m_bOptionsChanged) {
        wchar_t szTitle[256] = {};
        GetWindowTextW(hDlg, szTitle, 256);
        if (AskQuestion(hDlg, szTitle, L"Soll die Änderung der Optionen gespeichert werden?") == IDYES
            && !::SaveOptions(hDlg)) {
            ShowError(hDlg, GetLastError(), L"Ambertille", L"Die Optionen konnten nicht gespeichert werden!");
        }
    }
    EndDialog(hDlg, 2);
}

void CManipulateDialog::OnDestroy(HWND hDlg)
{
    HWND hList = GetDlgItem(hDlg, IDC_TOOL_LIST);
    if (hList != nullptr) {
        const std::vector<CRecord*> records = RowRecords(hList);
        SendMessageW(hList, LVM_DELETEALLITEMS, 0, 0);
        for (CRecord* pRecord : records)
            delete pRecord;
        RestoreList(hList);
    }
    CloseHelpFile();
    m_moveUpIcon.Reset();
    m_moveDownIcon.Reset();
}

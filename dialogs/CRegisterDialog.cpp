#include "dialogs/CRegisterDialog.h"

#include "dialogs/DialogThunk.h"
#include "dialogs/IconButtons.h"
#include "dialogs/ResolveMessages.h"
#include "foundation/Dpi.h"
#include "foundation/WideFormat.h"
#include "resolve/FileIcon.h"
#include "resolve/IconIndex.h"
#include "resolve/ResourceModule.h"
#include "resources/resource.h"
#include "settings/ShowModes.h"
#include "settings/SettingsLayout.h"
#include "tray/MessageBoxes.h"

#include <commctrl.h>
#include <commdlg.h>

#include <utility>

using tessvald::CModuleHandle;
using tessvald::string::CString;
using tessvald::string::FormatBuffer;

namespace {

// The longest text the settings file takes back (the reader refuses
// longer values), so no field may hold more.
constexpr int kMaxFieldLength = 1023;

// Pairs of display text and pattern, ending with an empty pair.
constexpr wchar_t kFileFilter[] =
    L"Alle Dateien (*.*)\0*.*\0"
    L"Programme (*.exe)\0*.exe\0"
    L"Verknüpfungen (*.lnk)\0*.lnk\0"
    L"PDF-Dokumente (*.pdf)\0*.pdf\0"
    L"Hilfedateien (*.chm)\0*.chm\0";

constexpr wchar_t kIconFileFilter[] =
    L"Symboldateien (*.ico;*.exe;*.dll)\0*.ico;*.exe;*.dll\0"
    L"Alle Dateien (*.*)\0*.*\0";

// What the "Ressource" label shows for an icon file, which is one icon
// and no resource.
constexpr wchar_t kNoResource[] = L"keine (Symboldatei)";

const int kTextFields[] = { IDC_NAME, IDC_PATH, IDC_PARAM, IDC_WORKING, IDC_DESCRIPTION, IDC_ICON_FILE };

// The folder look-up's answer (CFolderProbe).
constexpr UINT kFolderAnswerMessage = WM_APP + 1;
// A typed path is looked up once the typing pauses, so a path on a share
// typed letter by letter does not start a look-up per server name.
constexpr UINT_PTR kPathPauseTimer = 1;
constexpr UINT kPathPauseMs = 250;
// A path that has not answered by then counts as no folder; an answer that
// comes later still counts. Local disks answer in milliseconds.
constexpr UINT_PTR kFolderDeadlineTimer = 2;
constexpr UINT kFolderDeadlineMs = 1500;

// The whole text of a control, however long.
CString ReadControlText(HWND hDlg, int nId)
{
    CString strText(L"");
    HWND hControl = GetDlgItem(hDlg, nId);
    const LRESULT nLength = SendMessageW(hControl, WM_GETTEXTLENGTH, 0, 0);
    if (nLength <= 0)
        return strText;
    wchar_t* pszBuffer = strText.GetBuffer(static_cast<std::uint32_t>(nLength));
    SendMessageW(hControl, WM_GETTEXT, static_cast<WPARAM>(nLength) + 1, reinterpret_cast<LPARAM>(pszBuffer));
    strText.ReleaseBuffer();
    strText.FreeBuffer();
    return strText;
}

void SetNumberText(HWND hDlg, int nId, LONG nValue)
{
    wchar_t szText[50] = {};
    FormatBuffer(szText, 50, L"%d", static_cast<int>(nValue));
    SetDlgItemTextW(hDlg, nId, szText);
}

BOOL CALLBACK CountNameProc(HMODULE, LPCWSTR, LPWSTR, LONG_PTR lParam)
{
    ++*reinterpret_cast<LONG*>(lParam);
    return TRUE;
}

// The number of icon groups of a module; 0 for none. The positions that the
// picker offers are the ones CResourceLocator finds, so this is the first
// position it would not find, counted in one pass.
LONG CountIconGroups(HMODULE hModule)
{
    LONG nCount = 0;
    if (hModule != nullptr)
        EnumResourceNamesW(hModule, RT_GROUP_ICON, CountNameProc, reinterpret_cast<LONG_PTR>(&nCount));
    return nCount;
}

// Asks for one file; false when the user cancels. A path longer than a
// field takes does not fit the buffer, which the dialog reports as its own
// error; the user is told and nothing is taken.
bool ChooseFile(HWND hDlg, const wchar_t* pszTitle, const wchar_t* pszFilter, DWORD nFlags, wchar_t* pszFile)
{
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(OPENFILENAMEW);
    ofn.hwndOwner = hDlg;
    ofn.lpstrFilter = pszFilter;
    ofn.nFilterIndex = 0;
    ofn.lpstrFile = pszFile;
    ofn.nMaxFile = kMaxFieldLength + 1;
    ofn.lpstrTitle = pszTitle;
    ofn.Flags = nFlags;
    if (GetOpenFileNameW(&ofn))
        return true;
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
        ShowError(hDlg, kNoSystemText, L"Ambertille",
                  L"Der Pfad der gewählten Datei ist länger als %d Zeichen; mehr fasst ein Feld des Eintrags "
                  L"nicht. Verschieben Sie die Datei in einen Ordner mit kürzerem Pfad, und wählen Sie sie dann "
                  L"erneut.",
                  kMaxFieldLength);
    return false;
}

bool IsBlank(const CString& strText)
{
    for (const wchar_t* pch = strText.GetText(); *pch != L'\0'; ++pch) {
        if (*pch != L' ' && *pch != L'\t')
            return false;
    }
    return true;
}

// Everything but the separator toggle, the group and the two closing
// buttons follows the separator mode: a separator line stands in a group
// like any entry.
void EnableControls(HWND hDlg, bool bEnabled)
{
    for (HWND hChild = GetWindow(hDlg, GW_CHILD); hChild != nullptr; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
        const int nId = GetDlgCtrlID(hChild);
        if (nId == IDCANCEL || nId == IDC_CLOSE || nId == IDC_SEPARATOR_TOGGLE || nId == IDC_GROUP
            || nId == IDC_GROUP_LABEL)
            continue;
        EnableWindow(hChild, bEnabled);
    }
}

bool IsSeparatorChecked(HWND hDlg)
{
    return IsDlgButtonChecked(hDlg, IDC_SEPARATOR_TOGGLE) == BST_CHECKED;
}

WORD SpinPosition(HWND hDlg)
{
    return LOWORD(SendDlgItemMessageW(hDlg, IDC_ICON_SPIN, UDM_GETPOS, 0, 0));
}

// The up-down's own arrow keys work only through a buddy that can take the
// focus; ours is the frame. Focused itself (its label's access key or Tab),
// it steps through the icons as a click on its arrows does.
void StepSpin(HWND hSpin, int nStep)
{
    int nLower = 0;
    int nUpper = -1;
    SendMessageW(hSpin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&nLower), reinterpret_cast<LPARAM>(&nUpper));
    const int nPosition = static_cast<int>(SendMessageW(hSpin, UDM_GETPOS32, 0, 0));
    const int nNext = nPosition + nStep;
    if (nUpper < nLower || nNext < nLower || nNext > nUpper)
        return;
    SendMessageW(hSpin, UDM_SETPOS32, 0, nNext);
    SendMessageW(GetParent(hSpin), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, nNext), reinterpret_cast<LPARAM>(hSpin));
}

constexpr UINT_PTR kSpinKeysId = 1;

LRESULT CALLBACK SpinKeysProc(HWND hSpin, UINT nMsg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (nMsg) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        if (wParam == VK_UP || wParam == VK_RIGHT) {
            StepSpin(hSpin, 1);
            return 0;
        }
        if (wParam == VK_DOWN || wParam == VK_LEFT) {
            StepSpin(hSpin, -1);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hSpin, SpinKeysProc, kSpinKeysId);
        break;
    default:
        break;
    }
    return DefSubclassProc(hSpin, nMsg, wParam, lParam);
}

} // namespace

CRegisterDialog::CRegisterDialog() : m_eFolder(EFolder::Unknown), m_nDpi(tessvald::kBaseDpi)
{
}

CRegisterDialog::~CRegisterDialog() = default;

int CRegisterDialog::DoModal(HINSTANCE hInstance, HWND hOwner, const CRecord* pRecord, const wchar_t* pszTitle)
{
    m_strTitle.Assign(pszTitle != nullptr ? pszTitle : L"");
    m_record.Reset();
    if (pRecord != nullptr)
        m_record.CopyFrom(pRecord, false);
    m_strOpenedPath.Assign(m_record.m_strPath);
    m_extraKeys = m_record.m_extraKeys;
    m_eFolder = EFolder::Unknown;
    return static_cast<int>(RunModalDialog(*this, hInstance, hOwner, IDD_REGISTER));
}

void CRegisterDialog::OnInitDialog(HWND hDlg)
{
    for (ULONG nRow = 0; nRow < GetShowModeCount(); ++nRow) {
        SendDlgItemMessageW(hDlg, IDC_SHOW_MODE, CB_INSERTSTRING, nRow,
                            reinterpret_cast<LPARAM>(GetShowModeName(nRow)));
    }
    SetWindowTextW(hDlg, m_strTitle.GetText());

    m_nDpi = tessvald::WindowDpi(hDlg);
    LoadButtonIcons(hDlg);
    SetWindowSubclass(GetDlgItem(hDlg, IDC_ICON_SPIN), SpinKeysProc, kSpinKeysId, 0);
    AddButtonToolTips(hDlg, {
        { IDC_SEPARATOR_TOGGLE, L"Diesen Eintrag als Trennlinie im Menü zeigen" },
        { IDC_BROWSE, L"Eine Datei auswählen und alle Felder aus ihr füllen" },
        { IDC_ICON_BROWSE, L"Die Datei auswählen, aus der das Symbol stammt" },
    });
    for (int nId : kTextFields)
        SendDlgItemMessageW(hDlg, nId, EM_SETLIMITTEXT, kMaxFieldLength, 0);
    SendDlgItemMessageW(hDlg, IDC_GROUP, CB_LIMITTEXT, kMaxFieldLength, 0);
    for (const std::wstring& group : m_groups)
        SendDlgItemMessageW(hDlg, IDC_GROUP, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(group.c_str()));
    // Set once: the group is no part of a file that a browse reads.
    SetDlgItemTextW(hDlg, IDC_GROUP, m_record.m_strGroup.GetText());
    m_folderProbe.SetWindow(hDlg, kFolderAnswerMessage);

    // The mode comes first, so that the picker can keep its up-down
    // disabled when the file offers no choice.
    const bool bSeparator = m_record.IsSeparator();
    CheckDlgButton(hDlg, IDC_SEPARATOR_TOGGLE, bSeparator ? BST_CHECKED : BST_UNCHECKED);
    EnableControls(hDlg, !bSeparator);
    FillControls(hDlg);
    // Set here and by a shortcut that asks for administrator rights: no
    // other file can say whether the entry needs them, so the user's choice
    // stays through a browse.
    CheckDlgButton(hDlg, IDC_RUN_AS, m_record.m_bRunAs ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hDlg, IDC_SUBMENU, m_record.m_bSubmenu ? BST_CHECKED : BST_UNCHECKED);
    UpdateSubmenuBox(hDlg);
    ProbePath(hDlg);
}

INT_PTR CRegisterDialog::OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_COMMAND:
        OnCommand(hDlg, wParam);
        break;
    case WM_TIMER:
        OnTimer(hDlg, static_cast<UINT_PTR>(wParam));
        break;
    case kFolderAnswerMessage:
        OnFolderAnswer(hDlg, wParam, lParam != 0);
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        OnScroll(hDlg, wParam, lParam);
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
    return FALSE;
}

// The new icons are on the buttons before the old ones go.
void CRegisterDialog::LoadButtonIcons(HWND hDlg)
{
    tessvald::CIconHandle separatorIcon = LoadButtonIcon(hDlg, IDI_SEPARATOR, m_nDpi);
    tessvald::CIconHandle browseIcon = LoadButtonIcon(hDlg, IDI_BROWSE, m_nDpi);
    SetButtonIcon(hDlg, IDC_SEPARATOR_TOGGLE, separatorIcon);
    SetButtonIcon(hDlg, IDC_BROWSE, browseIcon);
    SetButtonIcon(hDlg, IDC_ICON_BROWSE, browseIcon);
    m_separatorIcon = std::move(separatorIcon);
    m_browseIcon = std::move(browseIcon);
}

void CRegisterDialog::OnDpiChanged(HWND hDlg, UINT nDpi)
{
    m_nDpi = nDpi;
    LoadButtonIcons(hDlg);
    SetupIconPicker(hDlg);
}

void CRegisterDialog::OnCommand(HWND hDlg, WPARAM wParam)
{
    if (LOWORD(wParam) == IDC_PATH && HIWORD(wParam) == EN_CHANGE) {
        SetTimer(hDlg, kPathPauseTimer, kPathPauseMs, nullptr);
        return;
    }
    if (!IsClickCommand(wParam))
        return;
    switch (LOWORD(wParam)) {
    case IDC_CLOSE:
        OnClose(hDlg);
        break;
    case IDCANCEL:
        EndDialog(hDlg, 2);
        break;
    case IDC_BROWSE:
        BrowseForFile(hDlg);
        break;
    case IDC_ICON_BROWSE:
        BrowseForIconFile(hDlg);
        break;
    case IDC_SEPARATOR_TOGGLE:
        EnableControls(hDlg, !IsSeparatorChecked(hDlg));
        UpdateSubmenuBox(hDlg);
        break;
    default:
        // Enter arrives as the default button "&Schließen"; IDOK comes
        // only without one and is no command of the editor.
        break;
    }
}

void CRegisterDialog::OnTimer(HWND hDlg, UINT_PTR nTimerId)
{
    if (nTimerId == kPathPauseTimer) {
        ProbePath(hDlg);
    } else if (nTimerId == kFolderDeadlineTimer) {
        KillTimer(hDlg, kFolderDeadlineTimer);
        m_eFolder = EFolder::No;
        UpdateSubmenuBox(hDlg);
    }
}

void CRegisterDialog::OnFolderAnswer(HWND hDlg, WPARAM nQuestion, bool bFolder)
{
    if (!m_folderProbe.IsLatest(nQuestion))
        return;
    KillTimer(hDlg, kFolderDeadlineTimer);
    m_eFolder = bFolder ? EFolder::Yes : EFolder::No;
    UpdateSubmenuBox(hDlg);
}

// Until the path has answered, the box keeps what it showed before.
void CRegisterDialog::ProbePath(HWND hDlg)
{
    KillTimer(hDlg, kPathPauseTimer);
    m_folderProbe.Ask(ReadControlText(hDlg, IDC_PATH).GetText());
    SetTimer(hDlg, kFolderDeadlineTimer, kFolderDeadlineMs, nullptr);
}

// The box can be set only for a folder. A path that is no folder clears
// it, except the path the entry was opened with: a live folder whose share
// or stick is away just now stays one through an edit of its name.
void CRegisterDialog::UpdateSubmenuBox(HWND hDlg)
{
    if (m_eFolder == EFolder::No && !ReadControlText(hDlg, IDC_PATH).Equals(m_strOpenedPath.GetText(), true))
        CheckDlgButton(hDlg, IDC_SUBMENU, BST_UNCHECKED);
    HWND hBox = GetDlgItem(hDlg, IDC_SUBMENU);
    const bool bEnabled = m_eFolder == EFolder::Yes && !IsSeparatorChecked(hDlg);
    // A focused box that is disabled would leave the dialog without a
    // focus, and keys would go nowhere.
    if (!bEnabled && GetFocus() == hBox)
        SendMessageW(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hDlg, IDC_PATH)), TRUE);
    EnableWindow(hBox, bEnabled);
}

// The up-down reports every step as a thumb position. Only a step changes
// the index: an entry opened and closed untouched keeps the one it had,
// also a resource number or a position beyond the file's icons.
void CRegisterDialog::OnScroll(HWND hDlg, WPARAM wParam, LPARAM lParam)
{
    if (reinterpret_cast<HWND>(lParam) != GetDlgItem(hDlg, IDC_ICON_SPIN) || LOWORD(wParam) != SB_THUMBPOSITION)
        return;
    m_record.SetIconIndex(SpinPosition(hDlg));
    ShowIcon(hDlg, m_record.m_nIconIndex, m_record.m_nIconIndex);
}

// An entry without a name and without a path starts nothing and shows
// nothing; the editor says so and stays open.
void CRegisterDialog::OnClose(HWND hDlg)
{
    if (!IsSeparatorChecked(hDlg) && IsBlank(ReadControlText(hDlg, IDC_NAME))
        && IsBlank(ReadControlText(hDlg, IDC_PATH))) {
        ShowError(hDlg, kNoSystemText, L"Ambertille",
                  L"Der Eintrag hat weder einen Programmnamen noch einen Programmpfad. Geben Sie mindestens "
                  L"eines von beiden an, oder verwerfen Sie den Eintrag mit „Abbrechen“.");
        SendMessageW(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hDlg, IDC_NAME)), TRUE);
        return;
    }
    ReadControls(hDlg);
    EndDialog(hDlg, 1);
}

void CRegisterDialog::OnDestroy()
{
    m_folderProbe.SetWindow(nullptr, 0);
    // The controls go with the dialog right after this; no paint reaches
    // them in between.
    m_separatorIcon.Reset();
    m_browseIcon.Reset();
    m_previewIcon.Reset();
}

void CRegisterDialog::FillControls(HWND hDlg)
{
    SetDlgItemTextW(hDlg, IDC_NAME, m_record.m_strName.GetText());
    SetDlgItemTextW(hDlg, IDC_PATH, m_record.m_strPath.GetText());
    SetDlgItemTextW(hDlg, IDC_PARAM, m_record.m_strParam.GetText());
    SetDlgItemTextW(hDlg, IDC_WORKING, m_record.m_strWorking.GetText());
    SetDlgItemTextW(hDlg, IDC_DESCRIPTION, m_record.m_strDescription.GetText());
    SetDlgItemTextW(hDlg, IDC_ICON_FILE, m_record.m_strIconFile.GetText());
    SendDlgItemMessageW(hDlg, IDC_SHOW_MODE, CB_SETCURSEL, static_cast<WPARAM>(FindShowMode(m_record.m_nShow)), 0);
    SetupIconPicker(hDlg);
}

// A negative index names a group by its resource number; the picker shows
// where that group stands. A file that is no module but loads as an icon
// (.ico, .cur) holds one icon at position 0.
void CRegisterDialog::SetupIconPicker(HWND hDlg)
{
    LONG nCount = 0;
    LONG nPosition = m_record.m_nIconIndex;
    {
        CModuleHandle module = LoadResourceModule(m_record.m_strIconFile.GetText());
        nCount = CountIconGroups(module.Get());
        if (nPosition < 0 && !FindIconPosition(module.Get(), nPosition, nPosition))
            nPosition = -1;
    }
    ShowIcon(hDlg, m_record.m_nIconIndex, nPosition);
    if (nCount == 0 && m_previewIcon)
        nCount = 1;
    if (nCount > 0)
        SetNumberText(hDlg, IDC_ICON_COUNT, nCount);
    else
        SetDlgItemTextW(hDlg, IDC_ICON_COUNT, L"");

    // The range's low word is its upper end, the high word its lower end:
    // count - 1 as a whole gives 0 to count - 1, and -1 to -1 for no icons.
    HWND hSpin = GetDlgItem(hDlg, IDC_ICON_SPIN);
    SendMessageW(hSpin, UDM_SETRANGE, 0, static_cast<LPARAM>(nCount - 1));
    SendMessageW(hSpin, UDM_SETPOS32, 0, nPosition > 0 ? nPosition : 0);
    EnableWindow(hSpin, nCount > 1 && !IsSeparatorChecked(hDlg));
}

// An icon that comes from no group is an icon file's one icon (.ico, .cur).
void CRegisterDialog::ShowIcon(HWND hDlg, LONG nIndex, LONG nPosition)
{
    CString strGroup;
    const int nSize = tessvald::MetricForDpi(SM_CXICON, m_nDpi);
    SetPreview(hDlg, LoadIconFromFile(m_record.m_strIconFile.GetText(), nIndex, nSize, nSize, &strGroup));
    const bool bFromGroup = !strGroup.IsEmpty();
    if (!m_previewIcon || (bFromGroup && nPosition < 0)) {
        SetDlgItemTextW(hDlg, IDC_ICON_POSITION, L"");
        SetDlgItemTextW(hDlg, IDC_ICON_RESOURCE, L"");
        return;
    }
    SetNumberText(hDlg, IDC_ICON_POSITION, bFromGroup ? nPosition + 1 : 1);
    SetDlgItemTextW(hDlg, IDC_ICON_RESOURCE, bFromGroup ? strGroup.GetText() : kNoResource);
}

// Takes ownership of the icon; the previous one goes once the control has
// let go of it.
void CRegisterDialog::SetPreview(HWND hDlg, HICON hIcon)
{
    SendDlgItemMessageW(hDlg, IDC_ICON_PREVIEW, STM_SETICON, reinterpret_cast<WPARAM>(hIcon), 0);
    m_previewIcon.Reset(hIcon);
}

void CRegisterDialog::BrowseForFile(HWND hDlg)
{
    wchar_t szFile[kMaxFieldLength + 1] = {};
    // A chosen shortcut must come back as the shortcut itself: its
    // arguments, working directory and icon are what the entry is made of.
    if (!ChooseFile(hDlg, L"Programm auswählen", kFileFilter,
                    OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NODEREFERENCELINKS, szFile))
        return;

    CRecord resolved;
    if (!ResolveWithMessage(hDlg, szFile, resolved))
        return;
    m_record.CopyFrom(&resolved, false);
    FillControls(hDlg);
    if (resolved.m_bRunAs)
        CheckDlgButton(hDlg, IDC_RUN_AS, BST_CHECKED);
    ProbePath(hDlg);
}

// Another file's icons for the entry; it starts at the file's first.
void CRegisterDialog::BrowseForIconFile(HWND hDlg)
{
    wchar_t szFile[kMaxFieldLength + 1] = {};
    if (!ChooseFile(hDlg, L"Symboldatei auswählen", kIconFileFilter,
                    OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST, szFile))
        return;
    m_record.SetIconFile(szFile);
    m_record.SetIconIndex(0);
    SetDlgItemTextW(hDlg, IDC_ICON_FILE, szFile);
    SetupIconPicker(hDlg);
}

// Keys the editor does not know stay as they were; they may belong to a
// later version of the program.
void CRegisterDialog::ReadControls(HWND hDlg)
{
    const LONG nIconIndex = m_record.m_nIconIndex;
    const bool bSeparator = IsSeparatorChecked(hDlg);
    m_record.Reset();
    if (bSeparator)
        MakeSeparator(m_record);
    m_record.SetGroup(ReadControlText(hDlg, IDC_GROUP).GetText());
    m_record.m_extraKeys = m_extraKeys;
    if (bSeparator)
        return;
    m_record.SetName(ReadControlText(hDlg, IDC_NAME).GetText());
    m_record.SetPath(ReadControlText(hDlg, IDC_PATH).GetText());
    const LRESULT nRow = SendDlgItemMessageW(hDlg, IDC_SHOW_MODE, CB_GETCURSEL, 0, 0);
    m_record.SetShow(nRow == CB_ERR ? -1 : GetShowModeValue(static_cast<ULONG>(nRow)));
    m_record.SetParam(ReadControlText(hDlg, IDC_PARAM).GetText());
    m_record.SetWorking(ReadControlText(hDlg, IDC_WORKING).GetText());
    m_record.SetDescription(ReadControlText(hDlg, IDC_DESCRIPTION).GetText());
    m_record.SetIconFile(ReadControlText(hDlg, IDC_ICON_FILE).GetText());
    m_record.SetIconIndex(nIconIndex);
    m_record.SetRunAs(IsDlgButtonChecked(hDlg, IDC_RUN_AS) == BST_CHECKED);
    m_record.SetSubmenu(IsDlgButtonChecked(hDlg, IDC_SUBMENU) == BST_CHECKED);
}

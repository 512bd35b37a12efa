#include "dialogs/CRegisterDialog.h"

#include "dialogs/ButtonToolTips.h"
#include "dialogs/DialogThunk.h"
#include "foundation/WideFormat.h"
#include "resolve/CResourceLocator.h"
#include "resolve/SafeIconFile.h"
#include "resolve/ResourceModule.h"
#include "resolve/EntryResolver.h"
#include "resources/resource.h"
#include "settings/ShowModes.h"
#include "tray/AppGlobals.h"

#include <commctrl.h>
#include <commdlg.h>

using tessvald::CIconHandle;
using tessvald::CModuleHandle;
using tessvald::resources::CResourceLocator;
using tessvald::string::CString;
using tessvald::string::FormatBuffer;

namespace {

constexpr DWORD kPathCapacity = 1024;

// Pairs of display text and pattern, ending with an empty pair.
constexpr wchar_t kFileFilter[] =
    L"Alle Dateien (*.*)\0*.*\0"
    L"Programme (*.exe)\0*.exe\0"
    L"Verknüpfungen (*.lnk)\0*.lnk\0"
    L"PDF-Dokumente (*.pdf)\0*.pdf\0"
    L"Hilfedateien (*.chm)\0*.chm\0";

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

// The number of icon groups of a file; 0 for a file that is no module. The
// positions that the picker offers are the ones CResourceLocator finds, so
// this is the first position it would not find, counted in one pass.
LONG CountIconGroups(const wchar_t* pszFile)
{
    CModuleHandle module = LoadResourceModule(pszFile);
    LONG nCount = 0;
    if (module)
        EnumResourceNamesW(module.Get(), RT_GROUP_ICON, CountNameProc, reinterpret_cast<LONG_PTR>(&nCount));
    return nCount;
}

HICON LoadButtonIcon(WORD nId)
{
    return static_cast<HICON>(LoadImageW(g_hInstance, MAKEINTRESOURCEW(nId), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

// Everything but the separator toggle and the two closing buttons follows
// the separator mode.
void EnableControls(HWND hDlg, bool bEnabled)
{
    for (HWND hChild = GetWindow(hDlg, GW_CHILD); hChild != nullptr; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
        const int nId = GetDlgCtrlID(hChild);
        if (nId == IDCANCEL || nId == IDC_CLOSE || nId == IDC_SEPARATOR_TOGGLE)
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

// A file without icon groups leaves the up-down at -1 to -1, which offers
// no position at all.
bool SpinOffersPositions(HWND hDlg)
{
    int nLower = 0;
    int nUpper = -1;
    SendDlgItemMessageW(hDlg, IDC_ICON_SPIN, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&nLower),
                        reinterpret_cast<LPARAM>(&nUpper));
    return nUpper >= 0;
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

CRegisterDialog::CRegisterDialog() = default;

CRegisterDialog::~CRegisterDialog() = default;

int CRegisterDialog::DoModal(HINSTANCE hInstance, HWND hOwner, const CRecord* pRecord, const wchar_t* pszTitle)
{
    m_strTitle.Assign(pszTitle != nullptr ? pszTitle : L"");
    m_record.Reset();
    if (pRecord != nullptr)
        m_record.CopyFrom(pRecord, false);
    return static_cast<int>(RunModalDialog(*this, hInstance, hOwner, IDD_REGISTER));
}

void CRegisterDialog::OnInitDialog(HWND hDlg)
{
    for (ULONG nRow = 0; nRow < GetShowModeCount(); ++nRow) {
        SendDlgItemMessageW(hDlg, IDC_SHOW_MODE, CB_INSERTSTRING, nRow,
                            reinterpret_cast<LPARAM>(GetShowModeName(nRow)));
    }
    SetWindowTextW(hDlg, m_strTitle.GetText());

    m_separatorIcon.Reset(LoadButtonIcon(IDI_SEPARATOR));
    SendDlgItemMessageW(hDlg, IDC_SEPARATOR_TOGGLE, BM_SETIMAGE, IMAGE_ICON,
                        reinterpret_cast<LPARAM>(m_separatorIcon.Get()));
    m_browseIcon.Reset(LoadButtonIcon(IDI_BROWSE));
    SendDlgItemMessageW(hDlg, IDC_BROWSE, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_browseIcon.Get()));
    SetWindowSubclass(GetDlgItem(hDlg, IDC_ICON_SPIN), SpinKeysProc, kSpinKeysId, 0);
    AddButtonToolTips(hDlg, {
        { IDC_SEPARATOR_TOGGLE, L"Diesen Eintrag als Trennlinie im Menü zeigen" },
        { IDC_BROWSE, L"Eine Datei wählen und alle Felder aus ihr füllen" },
    });

    // The mode comes first, so that the picker can keep its up-down
    // disabled when the file offers no choice.
    const bool bSeparator = m_record.IsSeparator();
    CheckDlgButton(hDlg, IDC_SEPARATOR_TOGGLE, bSeparator ? BST_CHECKED : BST_UNCHECKED);
    EnableControls(hDlg, !bSeparator);
    FillControls(hDlg);
    // Set once: a browse replaces the fields from the chosen file, which
    // cannot say whether the entry needs administrator rights, so the
    // user's choice stays.
    CheckDlgButton(hDlg, IDC_RUN_AS, m_record.m_bRunAs ? BST_CHECKED : BST_UNCHECKED);
}

INT_PTR CRegisterDialog::OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_COMMAND:
        OnCommand(hDlg, wParam);
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        OnScroll(hDlg, wParam, lParam);
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    default:
        break;
    }
    return FALSE;
}

void CRegisterDialog::OnCommand(HWND hDlg, WPARAM wParam)
{
    if (!IsClickCommand(wParam))
        return;
    switch (LOWORD(wParam)) {
    case IDC_CLOSE:
        ReadControls(hDlg);
        EndDialog(hDlg, 1);
        break;
    case IDCANCEL:
        EndDialog(hDlg, 2);
        break;
    case IDC_BROWSE:
        BrowseForFile(hDlg);
        break;
    case IDC_SEPARATOR_TOGGLE:
        EnableControls(hDlg, !IsSeparatorChecked(hDlg));
        break;
    default:
        // Enter arrives as the default button "&Schließen"; IDOK comes
        // only without one and is no command of the editor.
        break;
    }
}

// The up-down reports every step as a thumb position; the stored index
// follows only on accept.
void CRegisterDialog::OnScroll(HWND hDlg, WPARAM wParam, LPARAM lParam)
{
    if (reinterpret_cast<HWND>(lParam) != GetDlgItem(hDlg, IDC_ICON_SPIN) || LOWORD(wParam) != SB_THUMBPOSITION)
        return;
    ShowIcon(hDlg, m_record.m_strIconFile.GetText(), SpinPosition(hDlg));
}

void CRegisterDialog::OnDestroy()
{
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
    SetupIconPicker(hDlg, m_record.m_strIconFile.GetText(), m_record.m_nIconIndex);
}

void CRegisterDialog::SetupIconPicker(HWND hDlg, const wchar_t* pszIconFile, LONG nIndex)
{
    const LONG nCount = CountIconGroups(pszIconFile);
    if (nCount > 0)
        SetNumberText(hDlg, IDC_ICON_COUNT, nCount);
    else
        SetDlgItemTextW(hDlg, IDC_ICON_COUNT, L"");

    // The range's low word is its upper end, the high word its lower end:
    // count - 1 as a whole gives 0 to count - 1, and -1 to -1 for no icons.
    HWND hSpin = GetDlgItem(hDlg, IDC_ICON_SPIN);
    SendMessageW(hSpin, UDM_SETRANGE, 0, static_cast<LPARAM>(nCount - 1));
    SendMessageW(hSpin, UDM_SETPOS, 0, static_cast<LPARAM>(static_cast<WORD>(nIndex)));
    EnableWindow(hSpin, nCount > 1 && !IsSeparatorChecked(hDlg));

    ShowIcon(hDlg, pszIconFile, nIndex);
}

void CRegisterDialog::ShowIcon(HWND hDlg, const wchar_t* pszIconFile, LONG nPosition)
{
    SetPreview(hDlg, nullptr);
    SetDlgItemTextW(hDlg, IDC_ICON_POSITION, L"");
    SetDlgItemTextW(hDlg, IDC_ICON_RESOURCE, L"");

    CModuleHandle module = LoadResourceModule(pszIconFile);
    CResourceLocator locator;
    if (!locator.Locate(module.Get(), RT_GROUP_ICON, nPosition)) {
        // No module (an .ico file) or no such group: the file itself may
        // still be an icon.
        SetPreview(hDlg, LoadIconFile(pszIconFile, 0, 0, LR_DEFAULTSIZE));
        return;
    }
    HICON hIcon = static_cast<HICON>(LoadImageW(module.Get(), locator.GetName(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    if (hIcon == nullptr)
        return;
    SetPreview(hDlg, hIcon);
    SetNumberText(hDlg, IDC_ICON_POSITION, nPosition + 1);
    LPCWSTR lpName = locator.GetName();
    if (IS_INTRESOURCE(lpName))
        SetNumberText(hDlg, IDC_ICON_RESOURCE, static_cast<LONG>(reinterpret_cast<ULONG_PTR>(lpName)));
    else
        SetDlgItemTextW(hDlg, IDC_ICON_RESOURCE, lpName);
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
    wchar_t szFile[kPathCapacity + 1] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(OPENFILENAMEW);
    ofn.hwndOwner = hDlg;
    ofn.lpstrFilter = kFileFilter;
    ofn.nFilterIndex = 0;
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = kPathCapacity;
    // A chosen shortcut must come back as the shortcut itself: its
    // arguments, working directory and icon are what the entry is made of.
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NODEREFERENCELINKS;
    if (!GetOpenFileNameW(&ofn))
        return;

    CRecord resolved;
    if (!ResolveData(CString(szFile), resolved))
        return;
    m_record.CopyFrom(&resolved, false);
    FillControls(hDlg);
}

void CRegisterDialog::ReadControls(HWND hDlg)
{
    // Without positions to offer, the up-down's -1 read as unsigned would
    // become index 65535 and cost the entry its icon; the index stays.
    const LONG nIconIndex = SpinOffersPositions(hDlg) ? static_cast<LONG>(SpinPosition(hDlg)) : m_record.m_nIconIndex;
    m_record.Reset();
    if (IsSeparatorChecked(hDlg)) {
        m_record.SetName(L"@");
        m_record.SetShow(-1);
        m_record.SetIconIndex(-1);
        return;
    }
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
}

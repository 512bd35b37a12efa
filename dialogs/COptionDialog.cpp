#include "dialogs/COptionDialog.h"

#include "dialogs/DialogThunk.h"
#include "foundation/CString.h"
#include "foundation/Dpi.h"
#include "foundation/ScopedDC.h"
#include "foundation/WideFormat.h"
#include "resources/resource.h"
#include "settings/DisplayOptions.h"
#include "settings/HotkeyText.h"
#include "tray/MessageBoxes.h"

#include <commctrl.h>

#include <string>
#include <utility>

using tessvald::CClientDC;
using tessvald::CFontHandle;
using tessvald::string::CString;

namespace {

constexpr int kFontControls[] = {
    IDC_PREVIEW, IDC_FACE, IDC_SIZE, IDC_FONT_GROUP, IDC_BOLD, IDC_ITALIC, IDC_UNDERLINE,
    IDC_FACE_LABEL, IDC_SIZE_LABEL,
};
constexpr int kSizeChoices[] = { 6, 7, 8, 9, 10, 11, 12, 14, 16 };
constexpr int kMinimumPoints = 6;
constexpr int kNumberChars = 16;
// Any id serves for the trial registration: it is taken back at once.
constexpr int kTrialHotkeyId = 1;

// The hotkey control's modifier flags beside RegisterHotKey's.
struct ModifierPair
{
    BYTE nControlFlag;
    UINT nModifier;
};
constexpr ModifierPair kModifierPairs[] = {
    { HOTKEYF_CONTROL, MOD_CONTROL },
    { HOTKEYF_ALT, MOD_ALT },
    { HOTKEYF_SHIFT, MOD_SHIFT },
};

bool IsChecked(HWND hDlg, int nId)
{
    return IsDlgButtonChecked(hDlg, nId) == BST_CHECKED;
}

void SetCheck(HWND hDlg, int nId, bool bChecked)
{
    CheckDlgButton(hDlg, nId, bChecked ? BST_CHECKED : BST_UNCHECKED);
}

// The edit field inside the size box, where the user types a size.
HWND SizeEdit(HWND hDlg)
{
    COMBOBOXINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetComboBoxInfo(GetDlgItem(hDlg, IDC_SIZE), &info))
        return nullptr;
    return info.hwndItem;
}

void SetNumberText(HWND hWnd, int nValue)
{
    wchar_t szNumber[kNumberChars] = {};
    tessvald::string::FormatBuffer(szNumber, kNumberChars, L"%d", nValue);
    SetWindowTextW(hWnd, szNumber);
}

int CALLBACK AddFaceName(const LOGFONTW* pLogFont, const TEXTMETRICW*, DWORD, LPARAM lParam)
{
    // A family is reported once per character set. The exact search keeps
    // a face whose name begins another listed face ("Arial" beside
    // "Arial Black") from being taken for a duplicate.
    HWND hFaces = reinterpret_cast<HWND>(lParam);
    const LPARAM pszFace = reinterpret_cast<LPARAM>(pLogFont->lfFaceName);
    if (SendMessageW(hFaces, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), pszFace) == CB_ERR)
        SendMessageW(hFaces, CB_ADDSTRING, 0, pszFace);
    return 1;
}

void FillFaceList(HWND hDlg, HDC hDC, BYTE nCharSet)
{
    LOGFONTW logFont = {};
    logFont.lfCharSet = nCharSet;
    EnumFontFamiliesExW(hDC, &logFont, AddFaceName, reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDC_FACE)), 0);
}

// Selects the current face by its whole name; a face that is not installed
// selects nothing, so closing keeps it instead of taking a similar name.
void SelectCurrentFace(HWND hDlg, const wchar_t* pszFace)
{
    const LRESULT nIndex = SendDlgItemMessageW(hDlg, IDC_FACE, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(pszFace));
    if (nIndex != CB_ERR)
        SendDlgItemMessageW(hDlg, IDC_FACE, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
}

void FillSizeList(HWND hDlg)
{
    for (int nPoints : kSizeChoices) {
        wchar_t szNumber[kNumberChars] = {};
        tessvald::string::FormatBuffer(szNumber, kNumberChars, L"%d", nPoints);
        SendDlgItemMessageW(hDlg, IDC_SIZE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(szNumber));
    }
}

void EnableFontControls(HWND hDlg, bool bEnable)
{
    for (int nId : kFontControls)
        EnableWindow(GetDlgItem(hDlg, nId), bEnable ? TRUE : FALSE);
}

// The typed size as a character height at the DPI; empty, non-numeric and
// too small sizes count as the smallest one.
LONG ReadSizeHeight(HWND hDlg, int nDpi)
{
    HWND hEdit = SizeEdit(hDlg);
    const int nLength = GetWindowTextLengthW(hEdit);
    CString strSize;
    GetWindowTextW(hEdit, strSize.GetBuffer(static_cast<std::uint32_t>(nLength)), nLength + 1);
    strSize.ReleaseBuffer();
    std::int32_t nPoints = strSize.ToLong();
    if (nPoints < kMinimumPoints)
        nPoints = kMinimumPoints;
    return FontHeightFromPoints(nPoints, nDpi);
}

// Copies the selected face when it fits the buffer; otherwise the buffer
// keeps what it holds.
void CopySelectedFace(HWND hDlg, wchar_t* pszBuffer, int nSize)
{
    HWND hFaces = GetDlgItem(hDlg, IDC_FACE);
    const LRESULT nIndex = SendMessageW(hFaces, CB_GETCURSEL, 0, 0);
    if (nIndex == CB_ERR)
        return;
    const LRESULT nLength = SendMessageW(hFaces, CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex), 0);
    if (nLength == CB_ERR || nLength >= nSize)
        return;
    SendMessageW(hFaces, CB_GETLBTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pszBuffer));
}

LONG WeightOf(HWND hDlg)
{
    return IsChecked(hDlg, IDC_BOLD) ? FW_BOLD : FW_NORMAL;
}

BYTE FlagOf(HWND hDlg, int nId)
{
    return IsChecked(hDlg, nId) ? 1 : 0;
}

WORD ToControlValue(UINT nModifiers, UINT nKey)
{
    BYTE nFlags = 0;
    for (const ModifierPair& pair : kModifierPairs) {
        if ((nModifiers & pair.nModifier) != 0)
            nFlags |= pair.nControlFlag;
    }
    return MAKEWORD(static_cast<BYTE>(nKey), nFlags);
}

// The control marks extended keys, which RegisterHotKey does not need.
void FromControlValue(WORD nValue, UINT& nModifiers, UINT& nKey)
{
    nModifiers = 0;
    for (const ModifierPair& pair : kModifierPairs) {
        if ((HIBYTE(nValue) & pair.nControlFlag) != 0)
            nModifiers |= pair.nModifier;
    }
    nKey = LOBYTE(nValue);
}

WORD HotkeyControlValue(HWND hDlg)
{
    return LOWORD(SendDlgItemMessageW(hDlg, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0));
}

// Asks the system whether another program holds the combination: a trial
// registration on the dialog, taken back at once. Only a refusal because it
// is taken counts; any other failure is left to the tray, which reports it
// when it registers the shortcut.
bool IsHotkeyTaken(HWND hDlg, UINT nModifiers, UINT nKey)
{
    if (RegisterHotKey(hDlg, kTrialHotkeyId, nModifiers, nKey)) {
        UnregisterHotKey(hDlg, kTrialHotkeyId);
        return false;
    }
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

void RefuseHotkey(HWND hDlg, const std::wstring& reason)
{
    ShowError(hDlg, kNoSystemText, L"Ambertille", L"%s", reason.c_str());
    SendMessageW(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hDlg, IDC_HOTKEY)), TRUE);
}

} // namespace

int COptionDialog::DoModal(HINSTANCE hInstance, HWND hOwner)
{
    return static_cast<int>(RunModalDialog(*this, hInstance, hOwner, IDD_OPTIONS));
}

void COptionDialog::OnInitDialog(HWND hDlg)
{
    CClientDC dc(hDlg);
    m_nDpi = tessvald::WindowDpi(hDlg);

    // Short paths are kept for the settings file only; the box just shows them.
    EnableWindow(GetDlgItem(hDlg, IDC_SHORT_PATH), FALSE);
    SetCheck(hDlg, IDC_LARGE_ICONS, m_options.bLargeIcons);
    SetCheck(hDlg, IDC_SHORT_PATH, m_options.bShortPath);
    SetCheck(hDlg, IDC_SYSTEM_FONT, m_options.bSystemFont);

    const LOGFONTW& font = m_options.logFont;
    FillFaceList(hDlg, dc.Get(), font.lfCharSet);
    SelectCurrentFace(hDlg, font.lfFaceName);

    HWND hSizeEdit = SizeEdit(hDlg);
    SetWindowLongPtrW(hSizeEdit, GWL_STYLE, GetWindowLongPtrW(hSizeEdit, GWL_STYLE) | ES_NUMBER);
    FillSizeList(hDlg);
    SetNumberText(hSizeEdit, FontPointsFromHeight(font.lfHeight, GetDeviceCaps(dc.Get(), LOGPIXELSY)));

    SetCheck(hDlg, IDC_BOLD, font.lfWeight == FW_BOLD);
    SetCheck(hDlg, IDC_ITALIC, font.lfItalic != 0);
    SetCheck(hDlg, IDC_UNDERLINE, font.lfUnderline != 0);

    EnableFontControls(hDlg, !m_options.bSystemFont);
    UpdatePreview(hDlg);
    SetUpHotkey(hDlg);
}

void COptionDialog::SetUpHotkey(HWND hDlg)
{
    // A letter, digit or the space bar alone or with Shift alone would fire
    // on ordinary typing: the control adds Ctrl+Alt to such a combination
    // as it is typed. That holds for F-keys too, which the settings file
    // may name alone; such a stored shortcut is still shown and kept.
    HWND hHotkey = GetDlgItem(hDlg, IDC_HOTKEY);
    SendMessageW(hHotkey, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    m_nShownHotkey =
        m_options.nHotkeyKey != 0 ? ToControlValue(m_options.nHotkeyModifiers, m_options.nHotkeyKey) : 0;
    SendMessageW(hHotkey, HKM_SETHOTKEY, m_nShownHotkey, 0);
}

// The shortcut to apply, or false (after telling the user why) when the
// chosen one cannot be stored or another program holds it.
bool COptionDialog::ReadChosenHotkey(HWND hDlg, UINT& nModifiers, UINT& nKey) const
{
    const WORD nValue = HotkeyControlValue(hDlg);
    if (nValue == m_nShownHotkey) {
        nModifiers = m_options.nHotkeyModifiers;
        nKey = m_options.nHotkeyKey;
        return true;
    }
    FromControlValue(nValue, nModifiers, nKey);
    if (nKey == 0) {
        nModifiers = 0;
        return true;
    }
    const std::wstring text = GermanHotkeyText(nModifiers, nKey);
    if (text.empty()) {
        RefuseHotkey(hDlg, L"Dieses Tastenkürzel lässt sich nicht verwenden. Möglich sind Buchstaben, Ziffern, "
                           L"F1 bis F24 und die Leertaste, zusammen mit Strg, Alt oder Umschalt.");
        return false;
    }
    if (IsHotkeyTaken(hDlg, nModifiers, nKey)) {
        RefuseHotkey(hDlg, L"Das Tastenkürzel " + text + L" ist bereits vergeben.");
        return false;
    }
    return true;
}

INT_PTR COptionDialog::OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM)
{
    if (nMsg == WM_DIALOG_DPI_CHANGED) {
        OnDpiChanged(hDlg, static_cast<UINT>(wParam));
        return TRUE;
    }
    if (nMsg != WM_COMMAND)
        return FALSE;
    OnCommand(hDlg, LOWORD(wParam), HIWORD(wParam));
    return TRUE;
}

// The dialog manager gave the preview the dialog's new font too; it shows
// the chosen one again, at the new DPI.
void COptionDialog::OnDpiChanged(HWND hDlg, UINT nDpi)
{
    m_nDpi = nDpi;
    UpdatePreview(hDlg);
}

void COptionDialog::OnCommand(HWND hDlg, WORD nId, WORD nCode)
{
    switch (nId) {
    case IDC_FACE:
        if (nCode == CBN_SELCHANGE)
            UpdatePreview(hDlg);
        break;
    case IDC_SIZE:
        if (nCode == CBN_SELCHANGE)
            OnSizeSelected(hDlg);
        else if (nCode == CBN_EDITCHANGE)
            UpdatePreview(hDlg);
        break;
    default:
        if (nCode == BN_CLICKED)
            OnClick(hDlg, nId);
        break;
    }
}

void COptionDialog::OnClick(HWND hDlg, WORD nId)
{
    switch (nId) {
    case IDC_BOLD:
    case IDC_ITALIC:
    case IDC_UNDERLINE:
        UpdatePreview(hDlg);
        break;
    case IDC_SYSTEM_FONT:
        // The preview keeps showing the chosen font; only the enabling changes.
        EnableFontControls(hDlg, !IsChecked(hDlg, IDC_SYSTEM_FONT));
        break;
    case IDC_CLOSE: {
        UINT nModifiers = 0;
        UINT nKey = 0;
        if (!ReadChosenHotkey(hDlg, nModifiers, nKey))
            break;
        Apply(hDlg, nModifiers, nKey);
        EndDialog(hDlg, IDOK);
        break;
    }
    case IDCANCEL:
        EndDialog(hDlg, IDCANCEL);
        break;
    default:
        break;
    }
}

void COptionDialog::UpdatePreview(HWND hDlg)
{
    HWND hPreview = GetDlgItem(hDlg, IDC_PREVIEW);
    LOGFONTW logFont = {};
    logFont.lfCharSet = m_options.logFont.lfCharSet;
    logFont.lfHeight = ReadSizeHeight(hDlg, static_cast<int>(m_nDpi));
    logFont.lfWeight = WeightOf(hDlg);
    logFont.lfItalic = FlagOf(hDlg, IDC_ITALIC);
    logFont.lfUnderline = FlagOf(hDlg, IDC_UNDERLINE);
    CopySelectedFace(hDlg, logFont.lfFaceName, LF_FACESIZE);
    SetWindowTextW(hPreview, logFont.lfFaceName);

    // The new font is on the control before the old one goes, so the
    // control never holds a deleted font.
    CFontHandle hFont(CreateFontIndirectW(&logFont));
    SendMessageW(hPreview, WM_SETFONT, reinterpret_cast<WPARAM>(hFont.Get()), TRUE);
    m_hPreviewFont = std::move(hFont);
}

void COptionDialog::OnSizeSelected(HWND hDlg)
{
    HWND hSizes = GetDlgItem(hDlg, IDC_SIZE);
    const LRESULT nIndex = SendMessageW(hSizes, CB_GETCURSEL, 0, 0);
    if (nIndex == CB_ERR)
        return;
    const LRESULT nLength = SendMessageW(hSizes, CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex), 0);
    if (nLength == CB_ERR)
        return;
    // The box puts the chosen entry into its field only after this
    // notification; the preview must show it now.
    CString strSize;
    SendMessageW(hSizes, CB_GETLBTEXT, static_cast<WPARAM>(nIndex),
                 reinterpret_cast<LPARAM>(strSize.GetBuffer(static_cast<std::uint32_t>(nLength))));
    SetWindowTextW(SizeEdit(hDlg), strSize.ReleaseBuffer());
    UpdatePreview(hDlg);
}

void COptionDialog::Apply(HWND hDlg, UINT nModifiers, UINT nKey)
{
    CClientDC dc(hDlg);
    m_options.nHotkeyModifiers = nModifiers;
    m_options.nHotkeyKey = nKey;
    m_options.bLargeIcons = IsChecked(hDlg, IDC_LARGE_ICONS);
    m_options.bShortPath = IsChecked(hDlg, IDC_SHORT_PATH);
    m_options.bSystemFont = IsChecked(hDlg, IDC_SYSTEM_FONT);
    // The font values are taken even under the system font: the disabled
    // controls still hold the user's choice for when it is switched off.
    LOGFONTW& font = m_options.logFont;
    font.lfWeight = WeightOf(hDlg);
    font.lfItalic = FlagOf(hDlg, IDC_ITALIC);
    font.lfUnderline = FlagOf(hDlg, IDC_UNDERLINE);
    // Stored at the system's DPI, as the menus read it.
    font.lfHeight = ReadSizeHeight(hDlg, GetDeviceCaps(dc.Get(), LOGPIXELSY));
    CopySelectedFace(hDlg, font.lfFaceName, LF_FACESIZE);
}

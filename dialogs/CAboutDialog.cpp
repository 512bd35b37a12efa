#include "dialogs/CAboutDialog.h"

#include "dialogs/CVersionInfo.h"
#include "dialogs/DialogThunk.h"
#include "foundation/CString.h"
#include "resources/resource.h"
#include "tray/AppGlobals.h"

using tessvald::string::CString;
using tessvald::version::CVersionInfo;

namespace {

// The template's title is "Über "; room for what a translation might make of it.
constexpr int kTitleChars = 100;

// A missing value shows as nothing rather than as the runtime's "(null)".
const wchar_t* TextOrEmpty(const wchar_t* pszText)
{
    return pszText != nullptr ? pszText : L"";
}

void SetTitle(HWND hDlg, const CVersionInfo& info)
{
    wchar_t szTitle[kTitleChars + 1] = {};
    SendMessageW(hDlg, WM_GETTEXT, kTitleChars, reinterpret_cast<LPARAM>(szTitle));
    CString strTitle(szTitle);
    if (info.GetInternalName() != nullptr)
        strTitle.Append(info.GetInternalName());
    SendMessageW(hDlg, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strTitle.GetData()));
}

void SetText(HWND hDlg, const CVersionInfo& info)
{
    CString strText;
    CString::Format(strText, L"%s\n\n%s\n\n%s %s\n\nVersion %s %s", TextOrEmpty(info.GetInternalName()),
                    TextOrEmpty(info.GetComments()), TextOrEmpty(info.GetLegalCopyright()),
                    TextOrEmpty(info.GetCompanyName()), TextOrEmpty(info.GetFixedFileVersion()),
                    TextOrEmpty(info.GetPrivateBuild()));
    SendDlgItemMessageW(hDlg, IDC_ABOUT_TEXT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strText.GetData()));
}

} // namespace

int CAboutDialog::DoModal(HINSTANCE hInstance, HWND hOwner)
{
    return static_cast<int>(RunModalDialog(*this, hInstance, hOwner, IDD_ABOUT));
}

void CAboutDialog::OnInitDialog(HWND hDlg)
{
    // Read afresh at every opening, so the box always shows the file as it is.
    CVersionInfo info;
    info.Load(g_strModulePath.GetData());
    SetTitle(hDlg, info);
    SetText(hDlg, info);
}

INT_PTR CAboutDialog::OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM)
{
    if (nMsg != WM_COMMAND)
        return FALSE;
    return EndOnCloseButton(hDlg, wParam) ? TRUE : FALSE;
}

#include "dialogs/CHelpDialog.h"

#include "dialogs/DialogThunk.h"
#include "foundation/CSplitPath.h"
#include "foundation/CString.h"
#include "resources/resource.h"
#include "tray/AppGlobals.h"

namespace {

constexpr int kUsageCapacity = 1024;

} // namespace

int CHelpDialog::DoModal(HINSTANCE hInstance, HWND hOwner)
{
    return static_cast<int>(RunModalDialog(*this, hInstance, hOwner, IDD_HELP));
}

void CHelpDialog::OnInitDialog(HWND hDlg)
{
    // The usage line's format comes from the template, so a translated
    // template decides where the file name and its extension stand.
    tessvald::string::CSplitPath path(g_strModulePath.GetData());
    wchar_t szFormat[kUsageCapacity] = {};
    SendDlgItemMessageW(hDlg, IDC_USAGE, WM_GETTEXT, kUsageCapacity, reinterpret_cast<LPARAM>(szFormat));

    tessvald::string::CString strUsage;
    tessvald::string::CString::Format(strUsage, szFormat, path.m_szName, path.m_szExt);
    SendDlgItemMessageW(hDlg, IDC_USAGE, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strUsage.GetData()));
}

INT_PTR CHelpDialog::OnMessage(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM)
{
    if (nMsg != WM_COMMAND)
        return FALSE;
    return EndOnCloseButton(hDlg, wParam) ? TRUE : FALSE;
}

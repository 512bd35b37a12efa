#include "dialogs/IconButtons.h"

#include "foundation/Dpi.h"

#include <commctrl.h>

namespace {

constexpr int kButtonIconSize = 16;

HINSTANCE DialogModule(HWND hDlg)
{
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hDlg, GWLP_HINSTANCE));
}

} // namespace

tessvald::CIconHandle LoadButtonIcon(HWND hDlg, WORD nIconId, UINT nDpi)
{
    const int nSize = tessvald::ScaleForDpi(kButtonIconSize, nDpi);
    return tessvald::CIconHandle(static_cast<HICON>(
        LoadImageW(DialogModule(hDlg), MAKEINTRESOURCEW(nIconId), IMAGE_ICON, nSize, nSize, LR_DEFAULTCOLOR)));
}

void SetButtonIcon(HWND hDlg, int nButtonId, const tessvald::CIconHandle& icon)
{
    SendDlgItemMessageW(hDlg, nButtonId, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.Get()));
}

void AddButtonToolTips(HWND hDlg, std::initializer_list<ButtonToolTip> tips)
{
    HWND hToolTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hDlg, nullptr, DialogModule(hDlg),
                                    nullptr);
    if (hToolTip == nullptr)
        return;
    for (const ButtonToolTip& tip : tips) {
        HWND hButton = GetDlgItem(hDlg, tip.nId);
        if (hButton == nullptr)
            continue;
        // The tooltip watches the button's own mouse messages (subclass),
        // so the dialog has nothing to relay.
        TTTOOLINFOW info = {};
        info.cbSize = sizeof(info);
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = hDlg;
        info.uId = reinterpret_cast<UINT_PTR>(hButton);
        info.lpszText = const_cast<wchar_t*>(tip.pszText);
        SendMessageW(hToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

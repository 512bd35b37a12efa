#include "dialogs/ButtonToolTips.h"

#include "tray/AppGlobals.h"

#include <commctrl.h>

void AddButtonToolTips(HWND hDlg, std::initializer_list<ButtonToolTip> tips)
{
    HWND hToolTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hDlg, nullptr, g_hInstance, nullptr);
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

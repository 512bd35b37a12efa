#include "tray/NotifyIconImage.h"

#include "resources/resource.h"
#include "tray/AppGlobals.h"
#include "tray/TrayState.h"
#include "tray/TrayWindow.h"

#include <utility>

HICON LoadNotifyIcon(EColourMode eMode)
{
    const WORD nId = eMode == EColourMode::Light ? IDI_APP_ON_LIGHT : IDI_APP;
    return static_cast<HICON>(LoadImageW(g_hInstance, MAKEINTRESOURCEW(nId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

// The picture the shell shows is its own copy, so the old one may go once
// g_nid names the new one. Without a picture of its own the program's icon
// stands in.
bool ChooseNotifyIcon(CTrayState& state)
{
    const EColourMode eMode = ReadTaskbarMode();
    if (state.m_notifyIcon && eMode == state.m_eNotifyIconMode)
        return false;
    tessvald::CIconHandle icon(LoadNotifyIcon(eMode));
    if (!icon)
        return false;
    g_nid.hIcon = icon.Get();
    state.m_notifyIcon = std::move(icon);
    state.m_eNotifyIconMode = eMode;
    return true;
}

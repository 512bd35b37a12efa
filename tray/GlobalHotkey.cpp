#include "tray/GlobalHotkey.h"

#include "foundation/WideFormat.h"
#include "settings/DisplayOptions.h"
#include "settings/HotkeyText.h"
#include "settings/SettingsFile.h"
#include "tray/TrayNotice.h"

#include <string>

using tessvald::string::FormatBuffer;

namespace {

struct SHotkey
{
    UINT nModifiers;
    UINT nKey;

    bool operator==(const SHotkey& other) const { return nModifiers == other.nModifiers && nKey == other.nKey; }
    bool operator!=(const SHotkey& other) const { return !(*this == other); }
};

SHotkey s_registered = { 0, 0 };
// The last shortcut found taken: told once, not at every rebuild.
SHotkey s_reported = { 0, 0 };

void ReportTaken(const SHotkey& hotkey)
{
    if (hotkey == s_reported)
        return;
    s_reported = hotkey;
    wchar_t szText[128] = {};
    FormatBuffer(szText, 128, L"Das Tastenk\u00fcrzel %s ist bereits vergeben.",
                 GermanHotkeyText(hotkey.nModifiers, hotkey.nKey).c_str());
    QueueTrayNotice(szText);
}

} // namespace

void ApplyGlobalHotkey(HWND hWnd)
{
    LoadHotkeyOption();
    const SHotkey wanted = { g_nHotkeyModifiers, g_nHotkeyKey };
    if (wanted == s_registered)
        return;
    ReleaseGlobalHotkey(hWnd);
    if (wanted.nKey == 0)
        return;
    // Held down, a shortcut must open one menu, not one per repeat.
    if (RegisterHotKey(hWnd, kToolsMenuHotkeyId, wanted.nModifiers | MOD_NOREPEAT, wanted.nKey)) {
        s_registered = wanted;
        return;
    }
    ReportTaken(wanted);
}

void ReleaseGlobalHotkey(HWND hWnd)
{
    if (s_registered.nKey == 0)
        return;
    UnregisterHotKey(hWnd, kToolsMenuHotkeyId);
    s_registered = SHotkey{ 0, 0 };
}

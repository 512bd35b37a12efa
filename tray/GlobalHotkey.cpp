#include "tray/GlobalHotkey.h"

#include "foundation/WideFormat.h"
#include "settings/DisplayOptions.h"
#include "settings/HotkeyText.h"
#include "settings/SettingsFile.h"
#include "tray/TrayNotice.h"
#include "tray/TrayState.h"

using tessvald::string::FormatBuffer;
using SHotkey = CTrayState::SHotkey;

namespace {

void ReportTaken(CTrayState& state, const SHotkey& hotkey)
{
    if (hotkey == state.m_reportedHotkey)
        return;
    state.m_reportedHotkey = hotkey;
    wchar_t szText[128] = {};
    FormatBuffer(szText, 128, L"Das Tastenk\u00fcrzel %s ist bereits vergeben.",
                 GermanHotkeyText(hotkey.nModifiers, hotkey.nKey).c_str());
    QueueTrayNotice(state, szText);
}

} // namespace

void ApplyGlobalHotkey(CTrayState& state)
{
    LoadHotkeyOption();
    const SHotkey wanted = { g_nHotkeyModifiers, g_nHotkeyKey };
    if (wanted == state.m_registeredHotkey)
        return;
    ReleaseGlobalHotkey(state);
    if (wanted.nKey == 0)
        return;
    // Held down, a shortcut must open one menu, not one per repeat.
    if (RegisterHotKey(state.Window(), kToolsMenuHotkeyId, wanted.nModifiers | MOD_NOREPEAT, wanted.nKey)) {
        state.m_registeredHotkey = wanted;
        return;
    }
    ReportTaken(state, wanted);
}

void ReleaseGlobalHotkey(CTrayState& state)
{
    if (state.m_registeredHotkey.nKey == 0)
        return;
    UnregisterHotKey(state.Window(), kToolsMenuHotkeyId);
    state.m_registeredHotkey = SHotkey{ 0, 0 };
}

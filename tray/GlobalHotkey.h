#pragma once

#include <windows.h>

class CTrayState;

// The optional shortcut that opens the tools menu from any program,
// registered on the tray window as the settings file says.

constexpr int kToolsMenuHotkeyId = 1;

// Reads "hotkey" and registers it in place of the one in force (nothing is
// done when it did not change). A shortcut that another program holds is
// reported once as a notice on the icon, and the program goes on without.
void ApplyGlobalHotkey(CTrayState& state);
void ReleaseGlobalHotkey(CTrayState& state);

#pragma once

#include "tray/MenuColours.h"

#include <windows.h>

class CTrayState;

// The notification area's picture for the task bar's colour mode: the
// bright amber tile on a dark bar, a deeper one with a darker frame on a
// light bar, where the bright tile would fade into it. Loaded at the small
// icon size, which the notification area shows.
HICON LoadNotifyIcon(EColourMode eMode);

// Puts the picture for the task bar's mode as it is now into g_nid, loading
// it when the mode changed since; true when the picture changed (the shell
// must be told, when the icon is in the notification area).
bool ChooseNotifyIcon(CTrayState& state);

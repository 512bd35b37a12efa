#pragma once

#include <string>

class CTrayState;

// What the user must hear of once without a box that would hold up the
// start (a shortcut that another program holds, a settings file brought
// back from its backup): shown as a balloon on the notification icon.

// Shown at once when the icon is there, else kept until it is added.
// Notices that come together share one balloon, a line each.
void QueueTrayNotice(CTrayState& state, const wchar_t* pszText);
// Called once the icon is added; does nothing when no notice waits.
void ShowQueuedTrayNotices(CTrayState& state);
// Empties the queue and returns what it held, a line each: for a test, or
// a shell that never took the icon.
std::wstring TakeQueuedTrayNotices(CTrayState& state);

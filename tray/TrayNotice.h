#pragma once

// What the user must hear of once without a box that would hold up the
// start (a shortcut that another program holds, a settings file brought
// back from its backup): shown as a balloon on the notification icon.

// Shown at once when the icon is there, else kept until it is added.
// Notices that come together share one balloon, a line each.
void QueueTrayNotice(const wchar_t* pszText);
// Called once the icon is added; does nothing when no notice waits.
void ShowQueuedTrayNotices();
// The notices not shown yet, a line each; for tests.
const wchar_t* PendingTrayNotices();

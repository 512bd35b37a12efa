#pragma once

#include <windows.h>

// The value "AmbertilleWatchDog" under the Run key of the current user or
// of all users, which starts the program with "-run" at logon.

// Removes any old value first; on failure the registry's error code is the
// thread's last error.
bool InstallAutostart(HKEY hRoot);
// Deletes the value under both roots; always true.
bool RemoveAutostart();
// After a removal: only an administrator may delete the all-users value, so
// it may still be there and start the program at the next logon. Says so,
// and how to remove it, in an error box; nothing when it is gone.
void ReportAutostartLeft(HWND hOwner);

#pragma once

#include <windows.h>

// Reads tool n afresh from the settings file and starts it through the
// shell; a failure is shown with the tool's name and the system's reason.
void LaunchTool(HWND hOwner, ULONG nTool);

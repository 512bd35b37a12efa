#pragma once

#include <windows.h>

// The fixed table of window show modes a tool can ask for, in display order:
// 10 "Default", 1 "Normal", 7 "Minimize", 3 "Maximize".
ULONG GetShowModeCount();
LONG GetShowModeValue(ULONG nRow);                  // -1 for a row past the table
LONG FindShowMode(LONG nValue);                     // the row, or -1
const wchar_t* GetShowModeName(ULONG nRow);         // empty text for a row past the table
const wchar_t* GetShowModeNameByValue(LONG nValue); // empty text for a value not in the table

#pragma once

#include <windows.h>

class CRecord;

// The layout of the settings file: where it lives, the tool sections and
// the display options.

// The last tool number whose command IDM_EDIT_TOOLS + n fits a 16-bit
// menu command id.
constexpr ULONG kMaxToolCount = 63511;

// Names the settings file: the program file with the extension ".ini".
bool SetupConfigFile();

// Fills the record from its section (m_strSection); keys that are missing
// keep the record's values. False only for a null record.
bool ReadRecord(CRecord* pRecord);

// The number of tool sections to visit. A stored count whose signed reading
// is negative (-1 included) yields none; larger ones are capped at
// kMaxToolCount. False when "count" cannot be read.
bool ReadToolCount(ULONG& nCount);

void LoadIconOptions();
void LoadFontOptions();

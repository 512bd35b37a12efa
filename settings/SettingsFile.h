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
// is negative (-1 included) yields none; larger ones are capped at the
// highest "tool%lu" section present and at kMaxToolCount. False when
// "count" cannot be read; nCount is then 0.
bool ReadToolCount(ULONG& nCount);

void LoadIconOptions();
void LoadFontOptions();
// "hotkey" in [tools]; absent, empty or unreadable means no shortcut.
void LoadHotkeyOption();

// The options alone: "shortpath", "systemfont", "icons", "hotkey" (removed
// when there is no shortcut), then the font, set in the settings file as it
// is on disk at this moment, which is rewritten whole with one rename; the
// list in it stays as it is there. The window's device context gives the
// resolution for the font size in points. False (with the cause as the last
// error) when the file could not be read or written; it is then as it was.
bool SaveOptions(HWND hWnd);

// Rewrites the whole settings file from the list editor's rows, in row
// order: "count" (the number of rows), the options, then one section per
// record numbered "tool%lu" from 1. A row without a record is skipped and
// its number left unused. Each record's section is set to its new number.
// The new file is complete on disk before it replaces the old one in one
// rename; the old one is kept as the backup (SettingsBackup.h). A text
// longer than the reader takes (FindOverlongField) is refused with
// ERROR_INVALID_DATA. On failure the old file stays as it was and the cause
// is the last error.
bool SaveToolList(CRecord* const* ppRecords, ULONG nRows, HWND hWnd);

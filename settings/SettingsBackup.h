#pragma once

#include <string>

// The settings file's safety net. Every full save keeps the list it
// replaces as "<settings file>.bak", the last list known good; a start that
// finds the settings file missing or without any text puts the newest
// complete copy back in its place.

std::wstring BackupPathOf(const wchar_t* pszPath);

// Whether the bytes are a whole file as a full save writes it: UTF-16LE
// with its mark, ending with a line break, "count" in [tools] naming the
// highest tool section present, and that section holding "iconindex", the
// last key a save always writes. A save cut short fails one of these. It
// asks for nothing that a save does not write anyway, so files stay as
// older versions know them.
bool IsCompleteSettingsText(const std::string& bytes);

// The settings file's text as it is on disk now, to be changed and saved
// again; a missing file gives an empty text. False (with the cause as the
// last error) when the file is there but cannot be read: rewriting it then
// would lose its list.
bool ReadSettingsText(const wchar_t* pszPath, std::wstring& text);

// Writes the whole settings file: the new contents go to disk beside it,
// the present contents become the backup when they are worth keeping (the
// new ones, when there is no backup yet), one rename puts the new contents
// in place, and the temporary files that earlier saves cut short left are
// removed. On failure the file is as it was and the cause is the last
// error.
bool SaveSettingsText(const wchar_t* pszPath, const std::wstring& text);

// Where a lost settings file was brought back from.
enum class ERestoredFrom { Nothing, Backup, UnfinishedSave };

// When the settings file is missing or holds no text, puts the newest
// complete copy in its place: the backup, or the new contents of a save cut
// short before its rename. A file with text is never touched. strSource
// becomes the full path of the copy taken.
ERestoredFrom RestoreLostSettingsFile(const wchar_t* pszPath, std::wstring& strSource);

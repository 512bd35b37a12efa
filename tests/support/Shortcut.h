#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// What a test shortcut holds; written through the shell's own link object.
struct ShortcutContents
{
    std::wstring target;           // a path, or an installer's advertised form
    std::wstring arguments;
    std::wstring workingDirectory;
    std::wstring description;
    std::wstring iconFile;         // empty: the shortcut names no icon
    int iconIndex = 0;
    int showCmd = SW_SHOWNORMAL;
    bool virtualTarget = false;    // "My Computer", which has no path
};

bool WriteShortcut(const std::wstring& linkPath, const ShortcutContents& contents);

// Sets SLDF_ bits in a shortcut file's header (its documented layout: the
// flags at byte 20 of the 76-byte header), as a shortcut that another
// system wrote carries them; Wine's link object writes only its own.
bool AddHeaderFlags(const std::wstring& linkPath, DWORD nFlags);
// The flags that the platform's link object reports for the file.
DWORD ReportedFlags(const std::wstring& linkPath);

} // namespace testsupport

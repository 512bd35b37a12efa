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

} // namespace testsupport

#pragma once

#include <windows.h>

#include <string>

class CTrayState;

// What an entry of the tools menu stands for, as its context menu needs it.
struct SMenuEntry
{
    enum class EKind { Tool, LiveFile, LiveFolder };
    EKind eKind;
    ULONG nTool;           // a tool's number
    std::wstring strName;  // as the menu shows it
    std::wstring strPath;  // environment references expanded
    bool bPresent;         // known to be there: the shell is asked only then
};

// The entry at the position of the open menu; false for entries without a
// context menu (groups, "Programme bearbeiten", the notices).
bool FindMenuEntry(CTrayState& state, HMENU hMenu, int nPosition, SMenuEntry& entry);

// What was chosen: nothing (the tools menu stays open), a command of the
// shell (carried out already), or one of the program's own, carried out
// once the tools menu has closed.
enum class EEntryAction { None, ShellCommand, Edit, OpenLocation, RunAsAdministrator };

// Shows the entry's context menu at the point while the tools menu stays
// open: "Eintrag bearbeiten …" (tools only), "Speicherort öffnen", "Als
// Administrator ausführen" (files only), then the shell's own menu for the
// file or folder, which is left out when the file is not known to be there.
// A shell command is carried out at once.
EEntryAction ShowEntryContextMenu(HWND hOwner, CTrayState& state, const SMenuEntry& entry, POINT pt);

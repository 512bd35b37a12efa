#pragma once

#include "settings/CToolListFile.h"

#include <windows.h>

// Changing the tool list outside the list editor: what both it and the
// editing of one entry from the tools menu need.

// Reads the list; while another program holds the settings file, asks
// "Wiederholen" or "Abbrechen". False when the user gave up.
bool ReadToolListOrGiveUp(HWND hOwner, CToolListFile& listFile);

// Opens the entry editor on tool n of the settings file ("Eintrag
// bearbeiten …" in an entry's context menu) and saves the list with the
// changed entry as the list editor saves it: the whole file in one rename,
// after asking when the file was changed from outside since it was read,
// and never with a value the reader would refuse. True when it saved.
bool EditListedTool(HINSTANCE hInstance, HWND hOwner, ULONG nTool);

#pragma once

#include <windows.h>

// Type-ahead for owner-drawn menus, which the system cannot match against
// a letter by itself: the answer to WM_MENUCHAR. An entry matches when its
// name begins with the typed character, case ignored in every script. One
// enabled match is started at once; several (or a greyed one) move the
// selection to the next match after the selected entry at each press, and
// Enter starts it; Enter given as a character starts the selected entry.
// Names come from the entries' accessibility data
// (MSAAMENUINFO at the start of the item data), or from the text of plain
// string entries.
LRESULT AnswerMenuChar(HMENU hMenu, wchar_t chTyped);

// Some menu implementations (Wine's) beep at MNC_SELECT and leave the
// selection where it was. Asked again once the menu has handled the answer,
// this moves the selection to the entry with the down-arrow keys a user
// would press, posted to the menu's owner; nothing happens when the entry
// is selected already.
void FollowMenuSelection(HWND hOwner, HMENU hMenu, UINT nPosition);

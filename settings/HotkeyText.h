#pragma once

#include <windows.h>

#include <string>

// The global shortcut as the settings file stores it: modifiers from
// "Ctrl", "Alt", "Shift" and "Win" joined by "+", then one key: a letter,
// a digit, "F1" to "F24" or "Space" ("Ctrl+Alt+A"). Modifiers are the
// MOD_* flags of RegisterHotKey, the key a virtual-key code.

// Reading also takes the German key names that messages show ("Strg",
// "Umschalt", "Leertaste"). False for anything else (junk, a repeated
// modifier, a missing key, a letter, digit or Space with Shift alone or no
// modifier, which would take ordinary typing away); the out values change
// only on success. Case and blanks around the parts are ignored.
bool ParseHotkeyText(const wchar_t* pszText, UINT& nModifiers, UINT& nKey);

// The stored form, modifiers in the order above; empty when the key is 0
// or cannot be written.
std::wstring FormatHotkeyText(UINT nModifiers, UINT nKey);

// The combination as a German keyboard labels it ("Strg+Alt+A",
// "Umschalt+F5", "Strg+Leertaste"), for messages; empty as above.
std::wstring GermanHotkeyText(UINT nModifiers, UINT nKey);

#pragma once

#include <windows.h>

#include <vector>

namespace testsupport {

// Input as a user makes it, through the system's input queue: it goes to
// whichever window has the keyboard or lies under the pointer, and the key
// state goes with it.
INPUT KeyInput(WORD nKey, bool bUp);
// A mouse event at a point of the screen, moving the pointer there.
INPUT MouseInput(DWORD nFlags, POINT pt);
// False when the system took not all of them.
bool SendInputs(const std::vector<INPUT>& inputs);

// Virtual keys posted to one window (an open menu's) as down and up, one
// after the other, as a user presses them.
void PostKeys(HWND hWnd, const std::vector<UINT>& keys);

} // namespace testsupport

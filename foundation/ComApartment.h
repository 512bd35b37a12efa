#pragma once

// The COM apartment of a thread, entered at the first call that needs it
// (the shell's icons and starts, shortcuts, the common dialogs), so that a
// tray that is only clicked never loads COM. Single-threaded, as the shell
// wants it. One leave at the thread's end undoes the enter.
bool EnterComApartment();
void LeaveComApartment();

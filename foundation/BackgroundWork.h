#pragma once

#include <windows.h>

// Work that runs on threads of its own and may outlive whoever started it:
// a worker blocked in a read on a network share whose server stopped
// answering cannot be cancelled from inside the process. Such work is
// counted from its start to its end; the end of the run waits for it with
// a bound, and leaves behind what is still stuck then.

// Around each piece of such work, on whatever thread runs it.
void BeginBackgroundWork();
void EndBackgroundWork();

// Waits up to nTimeoutMs for all of it to end; false when some is still
// running then, which counts as abandoned.
bool WaitForBackgroundWork(DWORD nTimeoutMs);
bool WasWorkAbandoned();

// Ends the process at once with the exit code when work was left behind,
// and returns otherwise. The regular end runs the libraries' detach code
// under the loader's lock, which a thread stuck in loading a module from a
// dead share may hold forever; the system still cancels the stuck read
// when the process goes.
void EndProcessIfWorkAbandoned(UINT nExitCode);

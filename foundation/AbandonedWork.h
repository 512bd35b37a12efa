#pragma once

#include <windows.h>

// Work that may never come back: a worker thread blocked in a read on a
// network share whose server stopped answering cannot be cancelled from
// inside the process. Such a thread is waited for with a bound and then
// left behind; once one was, the process must end without the usual
// clean-up (see EndProcessIfWorkAbandoned).

// Called by whoever gave up waiting for a worker.
void NoteAbandonedWork();
bool WasWorkAbandoned();

// Ends the process at once with the exit code when work was left behind,
// and returns otherwise. The regular end runs the libraries' detach code
// under the loader's lock, which a thread stuck in loading a module from a
// dead share may hold forever; the system still cancels the stuck read
// when the process goes.
void EndProcessIfWorkAbandoned(UINT nExitCode);

#include "foundation/AbandonedWork.h"

#include <windows.h>

namespace {

volatile LONG s_nAbandoned = 0;

} // namespace

void NoteAbandonedWork()
{
    InterlockedIncrement(&s_nAbandoned);
}

bool WasWorkAbandoned()
{
    return InterlockedCompareExchange(&s_nAbandoned, 0, 0) != 0;
}

void EndProcessIfWorkAbandoned(UINT nExitCode)
{
    if (WasWorkAbandoned())
        TerminateProcess(GetCurrentProcess(), nExitCode);
}

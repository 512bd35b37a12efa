#include "foundation/BackgroundWork.h"

namespace {

constexpr DWORD kPollMs = 10;

volatile LONG s_nRunning = 0;
volatile LONG s_nAbandoned = 0;

LONG Read(volatile LONG& nValue)
{
    return InterlockedCompareExchange(&nValue, 0, 0);
}

} // namespace

void BeginBackgroundWork()
{
    InterlockedIncrement(&s_nRunning);
}

void EndBackgroundWork()
{
    InterlockedDecrement(&s_nRunning);
}

bool WaitForBackgroundWork(DWORD nTimeoutMs)
{
    const DWORD nStart = GetTickCount();
    while (Read(s_nRunning) > 0) {
        if (GetTickCount() - nStart >= nTimeoutMs) {
            InterlockedIncrement(&s_nAbandoned);
            return false;
        }
        Sleep(kPollMs);
    }
    return true;
}

bool WasWorkAbandoned()
{
    return Read(s_nAbandoned) != 0;
}

void EndProcessIfWorkAbandoned(UINT nExitCode)
{
    if (WasWorkAbandoned())
        TerminateProcess(GetCurrentProcess(), nExitCode);
}

#include "support/Wait.h"

namespace testsupport {

namespace {

constexpr DWORD kPollMs = 20;

// Polls until the condition holds or the time is up, running this
// thread's messages in between.
bool PollUntil(const std::function<bool()>& condition, DWORD nTimeoutMs)
{
    const DWORD nStart = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        const DWORD nElapsed = GetTickCount() - nStart;
        if (nElapsed >= nTimeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, nTimeoutMs - nElapsed < kPollMs ? nTimeoutMs - nElapsed : kPollMs,
                                  QS_ALLINPUT);
        PumpMessages();
    }
}

} // namespace

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

testing::AssertionResult WaitFor(const char* pszWhat, const std::function<bool()>& condition, DWORD nTimeoutMs)
{
    if (PollUntil(condition, nTimeoutMs))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "waited " << nTimeoutMs << " ms in vain for " << pszWhat;
}

testing::AssertionResult StaysFalse(const char* pszWhat, const std::function<bool()>& condition, DWORD nForMs)
{
    if (!PollUntil(condition, nForMs))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << pszWhat << " within " << nForMs << " ms";
}

} // namespace testsupport

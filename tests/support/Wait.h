#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

namespace testsupport {

// How long one step of a test may wait for another thread or process to
// act (a window opens or closes, a file appears, a process ends): enough
// for a busy machine, short enough that a failing test ends soon.
constexpr DWORD kStepMs = 5000;
// A program started under Wine needs longer before its first window.
constexpr DWORD kStartMs = 15000;

// Runs this thread's pending messages (windows that the test created).
void PumpMessages();

// Waits, running this thread's messages, until the condition holds. On
// timeout the failure names what was waited for and for how long, so a
// failing test says which of its steps did not come.
testing::AssertionResult WaitFor(const char* pszWhat, const std::function<bool()>& condition,
                                 DWORD nTimeoutMs = kStepMs);

// The condition stays false for the whole time given: for what must not
// happen (a second menu, an early end), which only a span can show. The
// failure says what happened, in the words given ("a second menu opened").
testing::AssertionResult StaysFalse(const char* pszWhat, const std::function<bool()>& condition, DWORD nForMs);

} // namespace testsupport

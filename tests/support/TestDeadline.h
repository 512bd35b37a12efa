#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

// How long one test may run in all, its steps' waits included.
constexpr unsigned kTestDeadlineSeconds = 60;

// Ends the test program when a test runs longer than the deadline: a
// wait that no step of its own bounds (a modal loop, a call into a hung
// window) must not hold the whole run until CTest's limit. The test is
// named on the way out, so the run says which one hung.
class CTestDeadline : public testing::EmptyTestEventListener
{
public:
    explicit CTestDeadline(unsigned nSeconds = kTestDeadlineSeconds);
    CTestDeadline(const CTestDeadline&) = delete;
    CTestDeadline& operator=(const CTestDeadline&) = delete;
    ~CTestDeadline() override;

    void OnTestStart(const testing::TestInfo& info) override;
    void OnTestEnd(const testing::TestInfo& info) override;

private:
    void Watch();

    const unsigned m_nSeconds;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::string m_running;  // the test's full name; empty between tests
    unsigned m_nGeneration = 0;
    bool m_bStopping = false;
    std::thread m_watcher;
};

} // namespace testsupport

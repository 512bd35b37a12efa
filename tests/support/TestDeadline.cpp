#include "support/TestDeadline.h"

#include <windows.h>

#include <chrono>
#include <cstdio>

namespace testsupport {

CTestDeadline::CTestDeadline(unsigned nSeconds) : m_nSeconds(nSeconds), m_watcher([this] { Watch(); })
{
}

CTestDeadline::~CTestDeadline()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_bStopping = true;
    }
    m_changed.notify_all();
    m_watcher.join();
}

void CTestDeadline::OnTestStart(const testing::TestInfo& info)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_running = std::string(info.test_suite_name()) + "." + info.name();
        ++m_nGeneration;
    }
    m_changed.notify_all();
}

void CTestDeadline::OnTestEnd(const testing::TestInfo&)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_running.clear();
        ++m_nGeneration;
    }
    m_changed.notify_all();
}

// Each start or end of a test begins the wait anew; a wait that ends by
// time while the same test still runs ends the program.
void CTestDeadline::Watch()
{
    std::unique_lock<std::mutex> lock(m_lock);
    while (!m_bStopping) {
        if (m_running.empty()) {
            m_changed.wait(lock);
            continue;
        }
        const unsigned nGeneration = m_nGeneration;
        const bool bChanged = m_changed.wait_for(lock, std::chrono::seconds(m_nSeconds), [&] {
            return m_bStopping || m_nGeneration != nGeneration;
        });
        if (bChanged)
            continue;
        std::fprintf(stderr, "\n%s has run for %u s, longer than any test may: the test program ends here.\n",
                     m_running.c_str(), m_nSeconds);
        std::fflush(stderr);
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 2);
    }
}

} // namespace testsupport

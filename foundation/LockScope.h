#pragma once

#include <windows.h>

namespace tessvald {

// Holds a slim reader/writer lock exclusively for its own lifetime.
class CLockScope
{
public:
    explicit CLockScope(SRWLOCK& lock) : m_lock(lock) { AcquireSRWLockExclusive(&m_lock); }
    CLockScope(const CLockScope&) = delete;
    CLockScope& operator=(const CLockScope&) = delete;
    virtual ~CLockScope() { ReleaseSRWLockExclusive(&m_lock); }

private:
    SRWLOCK& m_lock;
};

} // namespace tessvald

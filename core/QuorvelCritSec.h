#pragma once
// The library's lock. The thread holding it may enter it again. Destroying it first enters and
// leaves once, so that a thread still inside finishes before the lock goes away.

#include "platform/RecursiveLock.h"

class QuorvelCritSec {
public:
    QuorvelCritSec() = default;
    virtual ~QuorvelCritSec() {
        lock_.Enter();
        lock_.Leave();
    }
    QuorvelCritSec(const QuorvelCritSec&) = delete;
    QuorvelCritSec& operator=(const QuorvelCritSec&) = delete;

    void EnterCriticalSection() { lock_.Enter(); }
    void LeaveCriticalSection() { lock_.Leave(); }

private:
    platform::RecursiveLock lock_;
};

// Holds a QuorvelCritSec for the life of a scope.
class CritSecExitor {
public:
    explicit CritSecExitor(QuorvelCritSec& lock) : lock_(lock) { lock_.EnterCriticalSection(); }
    ~CritSecExitor() { lock_.LeaveCriticalSection(); }
    CritSecExitor(const CritSecExitor&) = delete;
    CritSecExitor& operator=(const CritSecExitor&) = delete;

private:
    QuorvelCritSec& lock_;
};

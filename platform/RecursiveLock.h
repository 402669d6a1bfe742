#pragma once
// A lock that the thread holding it may take again (a Windows critical section).

#include <mutex>

namespace platform {

class RecursiveLock {
public:
    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }

private:
    std::recursive_mutex mutex_;
};

}  // namespace platform

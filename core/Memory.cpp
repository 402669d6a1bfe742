#include "core/Memory.h"

#include <cstdlib>
#include <atomic>
#include <mutex>

namespace qvmem {
namespace {

// The failure schedule. `g_armed` keeps the common path to one relaxed load.
std::atomic<bool> g_armed{false};
std::mutex g_scheduleLock;
long g_succeedingLeft = 0;
long g_failingLeft = 0;  // negative: every allocation after the succeeding ones fails

bool ScheduledToFail() {
    std::lock_guard<std::mutex> hold(g_scheduleLock);
    if (g_succeedingLeft > 0) {
        --g_succeedingLeft;
        return false;
    }
    if (g_failingLeft == 0) {
        g_armed.store(false);
        return false;
    }
    if (g_failingLeft > 0) {
        --g_failingLeft;
    }
    return true;
}

}  // namespace

void* Allocate(size_t bytes) {
    if (g_armed.load(std::memory_order_relaxed) && ScheduledToFail()) {
        return nullptr;
    }
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void Free(void* block) { std::free(block); }

void FailAllocations(long succeeding, long failing) {
    std::lock_guard<std::mutex> hold(g_scheduleLock);
    g_succeedingLeft = succeeding;
    g_failingLeft = failing;
    g_armed.store(failing != 0);
}

}  // namespace qvmem

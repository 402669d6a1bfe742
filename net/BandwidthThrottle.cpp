#include "net/BandwidthThrottle.h"

#include <algorithm>

#include "core/ProgressMonitor.h"
#include "platform/Clock.h"

namespace {
constexpr uint64_t kShortestWindowMs = 200;
constexpr uint64_t kLongestSleepMs = 20000;
}  // namespace

void BandwidthThrottle::SetLimit(uint64_t bytesPerSecond) {
    limit_ = bytesPerSecond;
    Restart(platform::TickCount());
}

void BandwidthThrottle::Restart(uint64_t now) {
    startTick_ = now;
    elapsedMs_ = 0;
    byteCount_ = 0;
}

void BandwidthThrottle::Account(uint64_t byteCount) {
    if (limit_ == 0) {
        return;
    }
    const uint64_t now = platform::TickCount();
    if (now < startTick_) {  // the tick counter wrapped: measure afresh
        Restart(now);
        return;
    }
    elapsedMs_ = now - startTick_;
    byteCount_ += byteCount;
}

void BandwidthThrottle::Wait(uint32_t heartbeatMs, ProgressMonitor* monitor, bool& aborted) {
    aborted = false;
    if (limit_ == 0) {
        return;
    }
    Account(0);
    if (elapsedMs_ < kShortestWindowMs || byteCount_ * 1000 / elapsedMs_ < limit_) {
        return;
    }
    const uint64_t requiredMs = byteCount_ * 1000 / limit_;
    if (requiredMs <= elapsedMs_) {
        return;
    }
    uint64_t sleepMs = std::min(requiredMs - elapsedMs_, kLongestSleepMs);
    if (heartbeatMs == 0 || !monitor || sleepMs < heartbeatMs) {
        platform::SleepMs(static_cast<uint32_t>(sleepMs));
        return;
    }
    while (sleepMs > 0) {
        const uint64_t slice = std::min<uint64_t>(sleepMs, heartbeatMs);
        platform::SleepMs(static_cast<uint32_t>(slice));
        sleepMs -= slice;
        if (monitor->Heartbeat(heartbeatMs)) {
            aborted = true;
            return;
        }
    }
}

#include "core/ProgressMonitor.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "platform/Clock.h"

namespace {
constexpr uint32_t kDefaultAbortCheckMs = 300;

// done + count, never above total (and never overflowing).
uint64_t AddClamped(uint64_t done, uint64_t count, uint64_t total) {
    return count >= total - done ? total : done + count;
}
}  // namespace

ProgressMonitor::ProgressMonitor(ProgressEvent* sink, uint64_t total) { Start(sink, total); }

uint32_t ProgressMonitor::Percentage(uint64_t done, uint64_t total) {
    if (total == 0) {
        return 100;
    }
    while (total > 1000000) {
        total /= 10;
        done /= 10;
    }
    return static_cast<uint32_t>(done * 100 / total);
}

void ProgressMonitor::Start(ProgressEvent* sink, uint64_t total) {
    sink_ = sink ? sink : &ownEvent_;
    total_ = total;
    done_ = 0;
    lastPercent_ = 0;
    aborted_ = false;
    noAbortPolling_ = false;
    noPercent_ = false;
    holdHundred_ = false;
    lastCallbackTick_ = platform::TickCount();
}

void ProgressMonitor::Restart(uint64_t total) {
    total_ = total;
    done_ = 0;
    lastPercent_ = 0;
    aborted_ = false;
    lastCallbackTick_ = platform::TickCount();
}

bool ProgressMonitor::ReportPercent(uint32_t before, bool& abort) {
    const uint32_t now = Percentage(done_, total_);
    if (now <= before || now <= lastPercent_) {
        return false;
    }
    lastCallbackTick_ = platform::TickCount();
    if (now == 100 && holdHundred_) {
        return true;
    }
    lastPercent_ = now;
    sink_->PercentDone(static_cast<int32_t>(now), abort);
    return true;
}

bool ProgressMonitor::AddDone(uint64_t count, bool& abort) {
    abort = false;
    if (!noPercent_) {
        const uint32_t before = Percentage(done_, total_);
        done_ = AddClamped(done_, count, total_);
        if (ReportPercent(before, abort)) {
            aborted_ = aborted_ || abort;
            return abort;
        }
    }
    if (noAbortPolling_) {
        return abort;
    }
    const uint32_t now = platform::TickCount();
    const uint32_t interval = heartbeatMs_ ? heartbeatMs_ : kDefaultAbortCheckMs;
    if (now - lastCallbackTick_ > interval) {
        lastCallbackTick_ = now;
        lastHeartbeatTick_ = now;
        sink_->AbortCheck(abort);
        aborted_ = aborted_ || abort;
    }
    return abort;
}

void ProgressMonitor::AddDoneQuiet(uint64_t count) {
    if (noPercent_) {
        return;
    }
    const uint32_t before = Percentage(done_, total_);
    done_ = AddClamped(done_, count, total_);
    bool ignored = false;
    ReportPercent(before, ignored);
}

bool ProgressMonitor::SetDone(uint64_t count, bool& abort) {
    abort = false;
    const uint32_t before = Percentage(done_, total_);
    done_ = std::min(count, total_);
    ReportPercent(before, abort);
    aborted_ = aborted_ || abort;
    return abort;
}

void ProgressMonitor::Finish() {
    AddDoneQuiet(total_ - done_);
    if (holdHundred_) {
        bool ignored = false;
        sink_->PercentDone(100, ignored);
    }
}

bool ProgressMonitor::CheckAbort(uint32_t heartbeatMs) {
    if (aborted_) {
        return true;
    }
    if (heartbeatMs != 0) {
        return Heartbeat(heartbeatMs);
    }
    const uint32_t now = platform::TickCount();
    if (now - lastCallbackTick_ > kDefaultAbortCheckMs) {
        lastCallbackTick_ = now;
        lastHeartbeatTick_ = now;
        bool abort = false;
        sink_->AbortCheck(abort);
        aborted_ = abort;
    }
    return aborted_;
}

bool ProgressMonitor::Heartbeat(uint32_t intervalMs) {
    if (aborted_) {
        return true;
    }
    heartbeatMs_ = intervalMs;
    if (intervalMs == 0) {
        return false;
    }
    const uint32_t now = platform::TickCount();
    if (lastHeartbeatTick_ >= now) {
        lastHeartbeatTick_ = now;  // the tick counter wrapped (or no time has passed)
    } else if (now - lastHeartbeatTick_ >= intervalMs) {
        lastHeartbeatTick_ = now;
        lastCallbackTick_ = now;
        sink_->TimedAbortCheck(0, aborted_);
    }
    return aborted_;
}

bool ProgressMonitor::Poll() { return pollMs_ ? Heartbeat(pollMs_) : false; }

void ProgressMonitor::Info(const char* name, const char* value) { sink_->InfoEvent(name, value); }

void ProgressMonitor::Info(const char* name, int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    sink_->InfoEvent(name, text);
}

void ProgressMonitor::Info(const char* name, int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRId64, value);
    sink_->InfoEvent(name, text);
}

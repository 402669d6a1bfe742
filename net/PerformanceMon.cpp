#include "net/PerformanceMon.h"

#include "core/ProgressEvent.h"
#include "core/ProgressMonitor.h"
#include "platform/Clock.h"

PerformanceMon::PerformanceMon(Kind kind) : kind_(kind) {
    Reset();
}

void PerformanceMon::Reset() {
    startTick_ = platform::TickCount();
    lastReportTick_ = startTick_;
    bytes_ = 0;
    lastReportedBytes_ = 0;
    lastReportedRate_ = 0;
}

void PerformanceMon::AddBytes(uint32_t byteCount, ProgressMonitor* monitor) {
    const uint32_t now = platform::TickCount();
    if (now < startTick_ || now < lastReportTick_) {
        Reset();
    }
    bytes_ += byteCount;
    if (!monitor || now - lastReportTick_ < kReportIntervalMs) {
        return;
    }
    const uint64_t elapsedMs = now - startTick_;
    const uint64_t rate = bytes_ * 1000 / (elapsedMs ? elapsedMs : 1);
    lastReportTick_ = now;
    if (bytes_ == lastReportedBytes_ && rate == lastReportedRate_) {
        return;
    }
    lastReportedBytes_ = bytes_;
    lastReportedRate_ = rate;
    const auto total = static_cast<uint32_t>(bytes_);
    const auto perSecond = static_cast<uint32_t>(rate);
    if (kind_ == Kind::Send) {
        monitor->Sink()->SendRate(total, perSecond);
    } else {
        monitor->Sink()->ReceiveRate(total, perSecond);
    }
}

#pragma once
// PerformanceMon: the transfer rate of one direction of a socket, reported to the application.
// Each chunk adds its bytes; at most every 100 ms, when the bytes or the rate changed since the
// last report, the sink's SendRate or ReceiveRate is called with the bytes so far and the rate
// in bytes per second since the monitor was reset. A tick counter that went backwards restarts
// the measurement.

#include <cstdint>

class ProgressMonitor;

class PerformanceMon {
public:
    enum class Kind { Send, Receive };

    explicit PerformanceMon(Kind kind);

    void Reset();
    void AddBytes(uint32_t byteCount, ProgressMonitor* monitor);

private:
    static constexpr uint32_t kReportIntervalMs = 100;

    Kind kind_;
    uint32_t startTick_ = 0;
    uint64_t bytes_ = 0;
    uint32_t lastReportTick_ = 0;
    uint64_t lastReportedBytes_ = 0;
    uint64_t lastReportedRate_ = 0;
};

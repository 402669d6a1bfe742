#pragma once
// BandwidthThrottle: holds a transfer to a byte rate. Every chunk is accounted; before the next
// chunk, Wait sleeps long enough for the bytes since the window start to fit the limit. The
// first 200 ms of a window are never held back (too short to measure a rate), and one wait
// sleeps at most 20 s. With a heartbeat and a monitor the sleep is cut into heartbeat slices and
// ends early when the application asks to abort. A limit of 0 switches the throttle off.

#include <cstdint>

class ProgressMonitor;

class BandwidthThrottle {
public:
    // Sets the limit in bytes per second and starts a new window.
    void SetLimit(uint64_t bytesPerSecond);

    void Account(uint64_t byteCount);
    // Sleeps as the limit requires; `aborted` tells that the monitor asked to stop.
    void Wait(uint32_t heartbeatMs, ProgressMonitor* monitor, bool& aborted);

private:
    void Restart(uint64_t now);

    uint64_t startTick_ = 0;
    uint64_t elapsedMs_ = 0;
    uint64_t byteCount_ = 0;
    uint64_t limit_ = 0;
};

#pragma once
// ProgressMonitor: one operation's view of the application's ProgressEvent. It turns byte counts
// into percentages, paces the callbacks, and keeps the abort flag: once a callback asks to abort,
// the flag stays set until Restart, and every layer that sees it ends its work with an abort.
//
// Percentages: 100 when the total is 0; otherwise total and done are divided by 10 while the
// total exceeds 1000000 (so nothing overflows), then done * 100 / total.
// Pacing: PercentDone only when the percentage rises; otherwise an AbortCheck when more than
// heartbeatMs (300 when 0) have passed since the last callback. Heartbeat runs TimedAbortCheck
// at most once per interval.

#include <cstdint>

#include "core/ProgressEvent.h"

class ProgressMonitor {
public:
    explicit ProgressMonitor(ProgressEvent* sink = nullptr, uint64_t total = 0);
    ProgressMonitor(const ProgressMonitor&) = delete;
    ProgressMonitor& operator=(const ProgressMonitor&) = delete;

    static uint32_t Percentage(uint64_t done, uint64_t total);

    void Start(ProgressEvent* sink, uint64_t total);
    void Restart(uint64_t total);  // keeps the sink; clears the counts and the abort flag

    // Each returns the abort answer of this call (also in `abort`).
    bool AddDone(uint64_t count, bool& abort);
    void AddDoneQuiet(uint64_t count);
    bool SetDone(uint64_t count, bool& abort);
    void Finish();

    bool CheckAbort(uint32_t heartbeatMs);  // returns whether the operation is aborted
    bool Heartbeat(uint32_t intervalMs);    // returns whether the operation is aborted
    bool Poll();
    bool Aborted() const { return aborted_; }

    void Info(const char* name, const char* value);
    void Info(const char* name, int32_t value);
    void Info(const char* name, int64_t value);

    ProgressEvent* Sink() const { return sink_; }
    uint64_t Total() const { return total_; }
    uint64_t Done() const { return done_; }
    uint32_t LastPercent() const { return lastPercent_; }
    uint32_t HeartbeatMs() const { return heartbeatMs_; }

    void SetHeartbeatMs(uint32_t ms) { heartbeatMs_ = ms; }
    void SetPollMs(uint32_t ms) { pollMs_ = ms; }
    void SetNoAbortPolling(bool on) { noAbortPolling_ = on; }
    void SetNoPercent(bool on) { noPercent_ = on; }
    void SetHoldHundred(bool on) { holdHundred_ = on; }

private:
    // The PercentDone rule shared by AddDone, AddDoneQuiet and SetDone: true when the
    // percentage rose (a callback was due, whether or not it was held back at 100).
    bool ReportPercent(uint32_t before, bool& abort);

    ProgressEvent ownEvent_;
    uint64_t total_ = 0;
    uint64_t done_ = 0;
    uint32_t lastPercent_ = 0;
    ProgressEvent* sink_ = nullptr;
    bool aborted_ = false;
    uint32_t lastCallbackTick_ = 0;
    uint32_t heartbeatMs_ = 0;
    bool noAbortPolling_ = false;
    uint32_t lastHeartbeatTick_ = 0;
    uint32_t pollMs_ = 0;
    bool noPercent_ = false;
    bool holdHundred_ = false;
};

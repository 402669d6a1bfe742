#pragma once
// ThreadedLookup: what the two resolvers share. A lookup with a heartbeat and a progress monitor
// runs on a worker thread while the caller polls: 2 ms sleeps for the first 200 polls and 10 ms
// after that, the monitor's heartbeat after every `heartbeatMs` polls (polls, not milliseconds),
// and the time-out checked on every poll. A caller that gives up (abort or time-out) simply
// returns; the worker keeps its own reference to the resolver, writes only into it, and the last
// release destroys it.

#include <atomic>
#include <cstdint>
#include <memory>

#include "net/NameLookupService.h"
#include "net/RefCountedObject.h"

class LogBase;
class ProgressMonitor;
class StringBuffer;

// The host part of a name as the resolvers look it up: the first "http://" and the first
// "https://" removed, cut at the first "/" and then at the first ":", trimmed. An empty result
// logs "Invalid hostname for resolving hostname to IP address." with the caller's name.
bool CleanLookupName(const char* name, StringBuffer& cleaned, LogBase& log);

class ThreadedLookup : public RefCountedObject {
protected:
    ThreadedLookup();
    ~ThreadedLookup() override;

    // The worker's body: runs on the worker thread and touches only this object.
    virtual void RunLookup() = 0;

    // Starts RunLookup on a worker that holds its own reference. False when no thread could be
    // started (nothing runs then).
    bool StartWorker();

    // Polls until the worker has finished (true), the monitor reports an abort, or more than
    // timeoutMs (0: no limit) have passed since startTick.
    bool WaitForWorker(uint32_t startTick, uint32_t timeoutMs, uint32_t heartbeatMs,
                       ProgressMonitor& monitor, LogBase& log, bool& aborted, bool& timedOut);

    // The service the lookup runs against, fixed when the resolver was made.
    const std::shared_ptr<NameLookupService> service_;

private:
    std::atomic<bool> inProgress_{false};
};

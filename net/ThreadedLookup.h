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

class ThreadedLookup : public RefCountedObject {
protected:
    ThreadedLookup();
    ~ThreadedLookup() override;

    // The worker's body: runs on the worker thread and touches only this object.
    virtual void RunLookup() = 0;

    // The first step of a lookup: the host part of the name as the resolvers look it up (the
    // first "http://" and the first "https://" removed, cut at the first "/" and then at the
    // first ":", trimmed), sent to the monitor as `eventName`. An empty result logs "Invalid
    // hostname for resolving hostname to IP address." with the caller's name.
    static bool BeginLookup(const char* name, const char* eventName, ProgressMonitor* monitor,
                            StringBuffer& cleaned, LogBase& log);

    // Runs RunLookup on a worker that holds its own reference, logs `startedText`, and polls
    // until the worker has finished (true), the monitor reports an abort, or more than
    // timeoutMs (0: no limit) have passed. False also when no thread could be started.
    bool RunOnWorker(const char* startedText, uint32_t timeoutMs, uint32_t heartbeatMs,
                     ProgressMonitor& monitor, LogBase& log, bool& aborted, bool& timedOut);

    // The service the lookup runs against, fixed when the resolver was made.
    const std::shared_ptr<NameLookupService> service_;

private:
    std::atomic<bool> inProgress_{false};
};

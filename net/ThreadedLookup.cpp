#include "net/ThreadedLookup.h"

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "platform/Clock.h"
#include "platform/Thread.h"

namespace {
constexpr uint32_t kQuickPolls = 200;
constexpr uint32_t kQuickPollMs = 2;
constexpr uint32_t kSlowPollMs = 10;

bool CleanLookupName(const char* name, StringBuffer& cleaned, LogBase& log) {
    cleaned.SetString(name);
    cleaned.ReplaceFirst("http://", "");
    cleaned.ReplaceFirst("https://", "");
    cleaned.ChopAtFirstChar('/');
    cleaned.ChopAtFirstChar(':');
    cleaned.Trim();
    if (cleaned.IsEmpty()) {
        log.AddError("Invalid hostname for resolving hostname to IP address.");
        log.AddData("hostname", name);
        return false;
    }
    return true;
}

}  // namespace

ThreadedLookup::ThreadedLookup() : service_(CurrentNameLookupService()) {}

ThreadedLookup::~ThreadedLookup() = default;

bool ThreadedLookup::BeginLookup(const char* name, const char* eventName, ProgressMonitor* monitor,
                                 StringBuffer& cleaned, LogBase& log) {
    if (!CleanLookupName(name, cleaned, log)) {
        return false;
    }
    if (monitor) {
        monitor->Info(eventName, cleaned.GetString());
    }
    return true;
}

bool ThreadedLookup::RunOnWorker(const char* startedText, uint32_t timeoutMs, uint32_t heartbeatMs,
                                 ProgressMonitor& monitor, LogBase& log, bool& aborted,
                                 bool& timedOut) {
    const uint32_t startTick = platform::TickCount();
    inProgress_.store(true);
    AddRef();  // the worker's reference
    const bool started = platform::StartDetachedThread([this] {
        try {
            RunLookup();
        } catch (...) {
            // A failing lookup ends the worker quietly; the caller sees no result.
        }
        inProgress_.store(false, std::memory_order_release);
        Release();
    });
    if (!started) {
        inProgress_.store(false);
        Release();
        log.AddError("Failed to start the name lookup thread.");
        return false;
    }
    log.AddInfo(startedText);
    for (uint32_t polls = 0; inProgress_.load(std::memory_order_acquire);) {
        platform::SleepMs(polls < kQuickPolls ? kQuickPollMs : kSlowPollMs);
        ++polls;
        if (heartbeatMs != 0 && polls % heartbeatMs == 0 && monitor.Heartbeat(heartbeatMs)) {
            aborted = true;
            log.AddError("DNS lookup aborted by application callback");
            return false;
        }
        if (timeoutMs != 0 && platform::TickCount() - startTick > timeoutMs) {
            timedOut = true;
            return false;
        }
    }
    return true;
}

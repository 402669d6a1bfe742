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
}  // namespace

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

ThreadedLookup::ThreadedLookup() : service_(CurrentNameLookupService()) {}

ThreadedLookup::~ThreadedLookup() = default;

bool ThreadedLookup::StartWorker() {
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
    }
    return started;
}

bool ThreadedLookup::WaitForWorker(uint32_t startTick, uint32_t timeoutMs, uint32_t heartbeatMs,
                                   ProgressMonitor& monitor, LogBase& log, bool& aborted,
                                   bool& timedOut) {
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

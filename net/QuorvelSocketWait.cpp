// QuorvelSocket: waiting until the socket can be written or read. The heartbeat forms cut a wait
// into slices, fire the caller's heartbeat between them and stop when the application asks to
// abort. Elapsed time adds up the nominal slice lengths, so a wait never ends before its time-out.

#include <algorithm>

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "net/QuorvelSocket.h"
#include "platform/Clock.h"

namespace {
constexpr uint32_t kShortestHeartbeatMs = 50;

uint32_t EffectiveTimeout(uint32_t timeoutMs) {
    return timeoutMs == 0 ? QuorvelSocket::kSixHoursMs : timeoutMs;
}
}  // namespace

bool QuorvelSocket::WaitWritableSeconds(uint32_t seconds, LogBase& log) {
    if (handle_ == platform::kInvalidSocket) {
        log.AddError("invalid socket, not ready for writing.");
        return false;
    }
    constexpr uint32_t kLongestSeconds = 2160000;  // 0 means this long
    const uint32_t timeoutMs =
        (seconds == 0 ? kLongestSeconds : std::min(seconds, kLongestSeconds)) * 1000u;
    platform::SocketStatus status;
    switch (platform::WaitOnSocket(handle_, platform::SocketWait::Write, timeoutMs, status)) {
        case platform::WaitOutcome::Ready:
            return true;
        case platform::WaitOutcome::Failed:
            lastError_ = status.code;
            log.AddError("select returned a socket error");
            return false;
        default:
            log.AddError("socket is not ready for writing.");
            return false;
    }
}

bool QuorvelSocket::PeerHasClosed() const {
    return handle_ != platform::kInvalidSocket && platform::PeerHasClosed(handle_);
}

bool QuorvelSocket::WaitWritable(uint32_t timeoutMs, bool connectMode, LogBase& log, bool& refused,
                                 bool& timedOut, bool& fatal) {
    refused = timedOut = fatal = false;
    if (handle_ == platform::kInvalidSocket) {
        log.AddError("invalid socket, not ready for writing.");
        return false;
    }
    platform::SocketStatus status;
    const auto what = connectMode ? platform::SocketWait::Connect : platform::SocketWait::Write;
    const platform::WaitOutcome outcome =
        platform::WaitOnSocket(handle_, what, EffectiveTimeout(timeoutMs), status);
    if (outcome == platform::WaitOutcome::Ready) {
        return true;
    }
    if (!WriteWaitEnded(outcome, status, refused, fatal, log)) {
        log.AddError(connectMode ? "timeout waiting for connect to complete"
                                 : "socket is not ready for writing");
        timedOut = true;
    }
    return false;
}

bool QuorvelSocket::WriteWaitEnded(platform::WaitOutcome outcome,
                                   const platform::SocketStatus& status, bool& refused, bool& fatal,
                                   LogBase& log) {
    if (outcome == platform::WaitOutcome::Refused) {
        lastError_ = status.code;
        refused = true;
        return true;
    }
    if (outcome == platform::WaitOutcome::Failed) {
        lastError_ = status.code;
        log.AddError("select returned a socket error");
        fatal = true;
        return true;
    }
    return false;
}

bool QuorvelSocket::WaitWritableHb(uint32_t heartbeatMs, uint32_t initialDelayMs,
                                   uint32_t timeoutMs, bool connectMode, LogBase& log,
                                   ProgressMonitor* monitor, bool& refused, bool& aborted,
                                   bool& timedOut, bool& fatal) {
    refused = aborted = timedOut = fatal = false;
    if (heartbeatMs == 0 || !monitor) {
        return WaitWritable(timeoutMs, connectMode, log, refused, timedOut, fatal);
    }
    if (handle_ == platform::kInvalidSocket) {
        log.AddError("invalid socket, not ready for writing.");
        return false;
    }
    const uint32_t heartbeat = std::max(heartbeatMs, kShortestHeartbeatMs);
    const uint32_t timeout = EffectiveTimeout(timeoutMs);
    for (uint32_t delayed = 0; delayed < initialDelayMs;) {
        const uint32_t slice = std::min(heartbeat, initialDelayMs - delayed);
        platform::SleepMs(slice);
        delayed += slice;
        if (monitor->Heartbeat(heartbeat)) {
            log.AddError("socket operation aborted by application callback..");
            aborted = true;
            return false;
        }
    }
    const auto what = connectMode ? platform::SocketWait::Connect : platform::SocketWait::Write;
    for (uint32_t elapsed = 0;;) {
        const uint32_t slice = std::min(heartbeat, timeout - elapsed);
        platform::SocketStatus status;
        const platform::WaitOutcome outcome = platform::WaitOnSocket(handle_, what, slice, status);
        if (outcome == platform::WaitOutcome::Ready) {
            return true;
        }
        if (WriteWaitEnded(outcome, status, refused, fatal, log)) {
            return false;
        }
        elapsed += slice;
        if (elapsed >= timeout) {
            log.AddError(connectMode ? "timeout waiting for connect to complete;"
                                     : "socket is not ready for writing;");
            timedOut = true;
            return false;
        }
        if (monitor->Heartbeat(heartbeat)) {
            log.AddError("socket operation aborted by application callback");
            aborted = true;
            return false;
        }
    }
}

bool QuorvelSocket::WaitReadable(uint32_t timeoutMs, SocketReadParams& params, LogBase& log) {
    if (handle_ == platform::kInvalidSocket) {
        log.AddError("Invalid socket.");
        params.fatalError = true;
        return false;
    }
    const uint32_t heartbeat =
        params.heartbeatMs == 0 ? 0 : std::max(params.heartbeatMs, kShortestHeartbeatMs);
    const uint32_t timeout = EffectiveTimeout(timeoutMs);
    const bool beating = heartbeat != 0 && params.monitor;
    for (uint32_t elapsed = 0;;) {
        uint32_t slice = heartbeat ? std::min(heartbeat, timeout - elapsed) : timeout - elapsed;
        if (elapsed == 0) {
            slice = slice >= 100 ? slice / 2 : 50;  // the first look comes early
        }
        platform::SocketStatus status;
        const platform::WaitOutcome outcome =
            platform::WaitOnSocket(handle_, platform::SocketWait::Read, slice, status);
        if (outcome == platform::WaitOutcome::Ready) {
            return true;
        }
        if (outcome != platform::WaitOutcome::TimedOut) {
            lastError_ = status.code;
            log.AddError("Error waiting for socket to become ready for reading.");
            CloseSocket(log);
            params.fatalError = true;
            return false;
        }
        elapsed += slice;
        if (elapsed >= timeout) {
            log.AddError("Timeout waiting to read socket or accept connection");
            log.AddDataInt("timeoutMs", static_cast<int32_t>(timeout));
            params.timedOut = true;
            return false;
        }
        if (beating && params.monitor->Heartbeat(heartbeat)) {
            log.AddError("socket operation aborted by application callback");
            params.aborted = true;
            return false;
        }
    }
}

// QuorvelSocket: sending. Bytes go out in bounded chunks on a non-blocking socket, so that the
// heartbeat, an abort and the upload throttle are honoured between chunks; while the socket
// would block, the send waits for writability within the idle time-out.

#include <algorithm>

#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "net/QuorvelSocket.h"
#include "net/SocketErrorText.h"
#include "platform/Clock.h"

namespace {
constexpr uint32_t kDefaultChunk = 32767;
constexpr uint32_t kSmallestChunk = 1000;
constexpr uint32_t kLargestChunk = 2000000;
constexpr uint32_t kDrainingWaitStepMs = 100;
}  // namespace

// The texts that tell the two send forms apart in the log.
struct QuorvelSocket::SendTexts {
    const char* noSocket;
    const char* heartbeatAbort;
    const char* throttleAbort;
    uint32_t zeroSendPauseMs;
};

uint32_t QuorvelSocket::SendChunkSize(uint32_t maxChunk) {
    if (maxChunk == 0) {
        return kDefaultChunk;
    }
    return std::clamp(maxChunk, kSmallestChunk, kLargestChunk);
}

bool QuorvelSocket::SendBytes2(const unsigned char* data, uint32_t count, uint32_t maxChunk,
                               SocketReadParams& params, LogBase& log) {
    static const SendTexts texts{"No socket exists for sending (2b)",
                                 "Socket SendBytes2 aborted by application. (1a)",
                                 "Aborted by application while upload throttling (1b)", 1};
    const uint32_t chunk = SendChunkSize(maxChunk);
    return SendLoop(data, count, texts, chunk, 0, chunk, nullptr, params, log);
}

bool QuorvelSocket::SendBytesDraining(const unsigned char* data, uint32_t count,
                                      uint32_t firstChunkSize, uint32_t firstChunkCount,
                                      uint32_t laterChunkSize, DataBuffer& received,
                                      SocketReadParams& params, LogBase& log) {
    static const SendTexts texts{"No socket exists for sending (2a)",
                                 "Socket SendBytes2 aborted by application. (1)",
                                 "Aborted by application while upload throttling (2)", 10};
    return SendLoop(data, count, texts, SendChunkSize(firstChunkSize), firstChunkCount,
                    SendChunkSize(laterChunkSize), &received, params, log);
}

bool QuorvelSocket::SendLoop(const unsigned char* data, uint32_t count, const SendTexts& texts,
                             uint32_t firstChunkSize, uint32_t firstChunkCount,
                             uint32_t laterChunkSize, DataBuffer* drainInto,
                             SocketReadParams& params, LogBase& log) {
    if (handle_ == platform::kInvalidSocket) {
        log.AddError(texts.noSocket);
        params.fatalError = true;
        return false;
    }
    const uint32_t budget = idleTimeoutMs_ ? idleTimeoutMs_ : kSixHoursMs;
    platform::SetSocketBlocking(handle_, false);
    // Every road out of the loop with a socket still open puts it back into blocking mode.
    const auto finish = [this](bool result) {
        if (handle_ != platform::kInvalidSocket) {
            platform::SetSocketBlocking(handle_, true);
        }
        return result;
    };
    uint32_t sent = 0;
    for (uint32_t chunkIndex = 0; sent < count;) {
        if (drainInto && !DrainAvailable(*drainInto, params, log)) {
            return finish(false);
        }
        const uint32_t chunk = chunkIndex < firstChunkCount ? firstChunkSize : laterChunkSize;
        const uint32_t size = std::min(count - sent, chunk);
        if (params.monitor && params.monitor->Heartbeat(params.heartbeatMs)) {
            log.AddError(texts.heartbeatAbort);
            params.aborted = true;
            return finish(false);
        }
        bool throttleAborted = false;
        uploadThrottle_.Wait(params.heartbeatMs, params.monitor, throttleAborted);
        if (throttleAborted) {
            log.AddError(texts.throttleAbort);
            params.aborted = true;
            return finish(false);
        }
        platform::SocketStatus status;
        const long written = platform::SendOnSocket(handle_, data + sent, size, status);
        if (written < 0) {
            lastSendError_ = status.code;
            lastError_ = status.code;
            if (status.code != platform::kErrorWouldBlock) {
                ExplainSocketError(status.code, log);
                log.AddError("Error sending on socket");
                log.AddDataInt("send_size", static_cast<int32_t>(size));
                CloseSocket(log);
                params.fatalError = true;
                return false;
            }
            bool writable = false;
            if (drainInto) {
                writable = WaitToSendDraining(*drainInto, params, log);
            } else {
                bool refused = false;
                bool aborted = false;
                bool timedOut = false;
                bool fatal = false;
                writable = WaitWritableHb(params.heartbeatMs, 0, budget, false, log, params.monitor,
                                          refused, aborted, timedOut, fatal);
                params.aborted = params.aborted || aborted;
                params.timedOut = params.timedOut || timedOut;
                params.fatalError = params.fatalError || fatal;
            }
            if (!writable) {
                finish(false);
                if (params.aborted) {
                    log.AddError("Socket send aborted by application");
                } else if (params.timedOut) {
                    log.AddDataInt("idleTimeoutMs", static_cast<int32_t>(budget));
                    log.AddError("Socket send idle timeout");
                } else {
                    log.AddError("Socket send failed");
                }
                return false;
            }
            continue;
        }
        lastSendError_ = 0;
        if (written == 0) {
            platform::SleepMs(texts.zeroSendPauseMs);
            continue;
        }
        const auto count32 = static_cast<uint32_t>(written);
        uploadThrottle_.Account(count32);
        if (perfMonitoring_) {
            sendMonitor_.AddBytes(count32, params.monitor);
        }
        bool abort = false;
        if (params.monitor && params.monitor->AddDone(count32, abort)) {
            finish(false);
            log.AddError("Socket send aborted by application");
            params.aborted = true;
            return false;
        }
        sent += count32;
        ++chunkIndex;
    }
    return finish(true);
}

// Waits for writability in short steps, taking in what the peer sends after each step, until
// the idle time-out is used up.
bool QuorvelSocket::WaitToSendDraining(DataBuffer& drainInto, SocketReadParams& params,
                                       LogBase& log) {
    const uint32_t budget = idleTimeoutMs_ ? idleTimeoutMs_ : kSixHoursMs;
    for (uint32_t elapsed = 0; elapsed < budget; elapsed += kDrainingWaitStepMs) {
        platform::SocketStatus status;
        const platform::WaitOutcome outcome = platform::WaitOnSocket(
            handle_, platform::SocketWait::Write, kDrainingWaitStepMs, status);
        if (outcome == platform::WaitOutcome::Ready) {
            return true;
        }
        if (outcome != platform::WaitOutcome::TimedOut) {
            lastError_ = status.code;
            params.fatalError = true;
            return false;
        }
        if (!DrainAvailable(drainInto, params, log)) {
            return false;
        }
        if (params.monitor && params.monitor->CheckAbort(params.heartbeatMs)) {
            params.aborted = true;
            return false;
        }
    }
    params.timedOut = true;
    return false;
}

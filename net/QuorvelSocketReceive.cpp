// QuorvelSocket: receiving. Every form is built on ReceiveOnce (one wait within the idle
// time-out, the download throttle, one recv), except WaitForData and DrainAvailable, which wait
// in their own ways. Each received chunk is accounted to the throttle, the receive rate monitor
// (with perfMonitoring) and the progress monitor, which may answer with an abort.

#include <algorithm>
#include <memory>

#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "core/Memory.h"
#include "core/ProgressMonitor.h"
#include "net/OutputSink.h"
#include "net/QuorvelSocket.h"
#include "net/SocketErrorText.h"
#include "net/SocketTranscript.h"

namespace {

constexpr uint32_t kLargestPiece = 2200000;  // one exact read's scratch buffer at most
constexpr uint32_t kLargestChunk = 1000000;  // ReadUntilClosed
constexpr uint32_t kIdleReadBuffer = 20000;  // ReadUntilIdle
constexpr uint32_t kDrainChunk = 2000;       // DrainAvailable
constexpr uint32_t kDrainGapMs = 100;
constexpr uint32_t kWaitForDataSliceMs = 200;
constexpr uint32_t kWaitForDataLastSliceMs = 10;
constexpr uint32_t kWaitForDataDefaultMs = 60000;

struct FreeBlock {
    void operator()(unsigned char* block) const { qvmem::Free(block); }
};
using Scratch = std::unique_ptr<unsigned char[], FreeBlock>;

Scratch AllocateScratch(uint32_t size) {
    return Scratch(static_cast<unsigned char*>(qvmem::Allocate(size ? size : 1)));
}

// The heartbeat check between pieces of a read: true when the application asked to abort.
bool AbortRequested(SocketReadParams& params) {
    if (params.monitor && params.monitor->CheckAbort(params.heartbeatMs)) {
        params.aborted = true;
        return true;
    }
    return false;
}

}  // namespace

bool QuorvelSocket::RequireSocket(SocketReadParams& params, LogBase& log) {
    if (handle_ != platform::kInvalidSocket) {
        return true;
    }
    log.AddError("This socket is not connected");
    params.fatalError = true;
    return false;
}

void QuorvelSocket::AccountReceived(uint32_t count, SocketReadParams& params) {
    downloadThrottle_.Account(count);
    if (perfMonitoring_) {
        receiveMonitor_.AddBytes(count, params.monitor);
    }
    bool abort = false;
    if (params.monitor && params.monitor->AddDone(count, abort)) {
        params.aborted = true;
    }
}

bool QuorvelSocket::ThrottleDownload(SocketReadParams& params, const char* abortText,
                                     LogBase& log) {
    bool aborted = false;
    downloadThrottle_.Wait(params.heartbeatMs, params.monitor, aborted);
    if (aborted) {
        log.AddError(abortText);
        params.aborted = true;
        return false;
    }
    return true;
}

bool QuorvelSocket::ReceiveOnce(unsigned char* buffer, uint32_t& size, SocketReadParams& params,
                                LogBase& log) {
    const uint32_t requested = size;
    size = 0;
    if (!RequireSocket(params, log)) {
        return false;
    }
    if (requested == 0) {
        return true;  // a receive of nothing would look like the peer's close
    }
    if (!WaitReadable(idleTimeoutMs_, params, log) ||
        !ThrottleDownload(params, "Aborted by application while download throttling (2)", log)) {
        return false;
    }
    platform::SocketStatus status;
    const long received = platform::ReceiveFromSocket(handle_, buffer, requested, false, status);
    if (received == 0) {
        log.AddDataInt("numBytesRequested", static_cast<int32_t>(requested));
        log.AddError("Connection closed by server.");
        CloseSocket(log);
        params.connectionClosed = true;
        return false;
    }
    if (received < 0) {
        lastError_ = status.code;
        log.LogSystemErrorCode(status.systemCode);
        log.AddDataInt("numBytesRequested", static_cast<int32_t>(requested));
        log.AddError("Failed to receive data on the TCP socket");
        params.fatalError = true;
        isConnected_ = false;
        return false;
    }
    size = static_cast<uint32_t>(received);
    AccountReceived(size, params);
    return true;
}

bool QuorvelSocket::ReadExact(unsigned char* buffer, uint32_t count, uint32_t& received,
                              SocketReadParams& params, LogBase& log) {
    received = 0;
    while (received < count) {
        if (AbortRequested(params)) {
            return false;
        }
        uint32_t size = count - received;
        if (!ReceiveOnce(buffer + received, size, params, log)) {
            return false;
        }
        received += size;
    }
    return true;
}

bool QuorvelSocket::ReadN(uint32_t count, DataBuffer& out, SocketReadParams& params, LogBase& log) {
    if (count == 0) {
        return true;
    }
    Scratch scratch = AllocateScratch(std::min(count, kLargestPiece));
    if (!scratch) {
        log.AddError("Failed to allocate buffer in Socket.ReadN");
        return false;
    }
    for (uint32_t remaining = count; remaining > 0;) {
        if (AbortRequested(params)) {
            return false;
        }
        const uint32_t piece = std::min(remaining, kLargestPiece);
        uint32_t received = 0;
        if (!ReadExact(scratch.get(), piece, received, params, log)) {
            return false;  // an unfinished piece is not appended
        }
        if (!out.Append(scratch.get(), piece)) {
            log.AddError("Failed to allocate buffer in Socket.ReadN");
            return false;
        }
        remaining -= piece;
    }
    return true;
}

bool QuorvelSocket::ReadHeaderBlock(DataBuffer& out, SocketReadParams& params, LogBase& log,
                                    uint32_t maxBytes) {
    return ReadLineBlock(out, false, maxBytes, params, log);
}

bool QuorvelSocket::ReadCrlfLine(DataBuffer& out, SocketReadParams& params, LogBase& log) {
    return ReadLineBlock(out, true, 0, params, log);
}

// One byte at a time, so that nothing after the end is taken from the connection. The count of
// bytes since the last line feed (carriage returns not counted) is 0 when a line feed ends an
// empty line; with carriageReturnEndsCount a carriage return also sets it to 0, so the first
// CR LF ends the read. With a maxBytes other than 0, a block that has not ended after that many
// bytes fails (they stay appended).
bool QuorvelSocket::ReadLineBlock(DataBuffer& out, bool carriageReturnEndsCount, uint32_t maxBytes,
                                  SocketReadParams& params, LogBase& log) {
    uint32_t count = 0;
    for (uint32_t taken = 0;; ++taken) {
        if (AbortRequested(params)) {
            return false;
        }
        if (maxBytes != 0 && taken == maxBytes) {
            log.AddError("The block has not ended within the allowed size.");
            log.AddDataInt("maxBytes",
                           static_cast<int32_t>(std::min<uint32_t>(maxBytes, INT32_MAX)));
            return false;
        }
        unsigned char byte = 0;
        uint32_t size = 1;
        if (!ReceiveOnce(&byte, size, params, log)) {
            return false;
        }
        if (!out.AppendByte(byte)) {
            log.AddError("Out of memory for socket reading");
            return false;
        }
        if (byte == '\n') {
            if (count == 0) {
                return true;
            }
            count = 0;
        } else if (byte == '\r') {
            if (carriageReturnEndsCount) {
                count = 0;
            }
        } else {
            ++count;
        }
    }
}

bool QuorvelSocket::ReadUntilClosed(OutputSink& out, uint32_t chunkSize, SocketReadParams& params,
                                    LogBase& log, SocketTranscript* transcript) {
    const uint32_t chunk = std::clamp<uint32_t>(chunkSize, 1, kLargestChunk);
    Scratch scratch = AllocateScratch(chunk);
    if (!scratch) {
        log.AddError("Out of memory for socket reading");
        return false;
    }
    const uint64_t startSize = out.Size();
    bool lastResult = true;
    for (;;) {
        uint32_t size = chunk;
        lastResult = ReceiveOnce(scratch.get(), size, params, log);
        if (!lastResult || size == 0) {
            break;
        }
        if (!out.Write(scratch.get(), size, log)) {
            return false;
        }
        if (transcript) {
            transcript->Append(scratch.get(), size);
        }
        if (params.aborted) {
            break;
        }
    }
    return out.Size() > startSize ? true : lastResult;
}

bool QuorvelSocket::ReadNToOutput(uint64_t count, OutputSink& out, SocketReadParams& params,
                                  LogBase& log, SocketTranscript* transcript) {
    if (count == 0) {
        return true;
    }
    Scratch scratch =
        AllocateScratch(static_cast<uint32_t>(std::min<uint64_t>(count, kLargestPiece)));
    if (!scratch) {
        log.AddError("Out of memory for socket reading to output");
        return false;
    }
    const bool inPieces = count > kLargestPiece;
    for (uint64_t remaining = count; remaining > 0;) {
        if (inPieces && AbortRequested(params)) {
            log.AddError("Application aborted socket receive in AbortCheck callback.");
            return false;
        }
        const auto piece = static_cast<uint32_t>(std::min<uint64_t>(remaining, kLargestPiece));
        uint32_t received = 0;
        const bool complete = ReadExact(scratch.get(), piece, received, params, log);
        if (received != 0) {  // what did arrive is delivered, also when the read failed
            if (!out.Write(scratch.get(), received, log)) {
                return false;
            }
            if (transcript) {
                transcript->Append(scratch.get(), received);
            }
        }
        if (!complete) {
            return false;
        }
        remaining -= piece;
    }
    return true;
}

bool QuorvelSocket::WaitForData(unsigned char* buffer, uint32_t& size, SocketReadParams& params,
                                LogBase& log) {
    const uint32_t requested = size;
    size = 0;
    if (!RequireSocket(params, log)) {
        return false;
    }
    if (requested == 0) {
        return true;
    }
    const uint32_t timeout = idleTimeoutMs_ ? idleTimeoutMs_ : kWaitForDataDefaultMs;
    platform::SocketStatus status;
    platform::WaitOutcome outcome = platform::WaitOutcome::TimedOut;
    if (!params.monitor) {
        outcome = platform::WaitOnSocket(handle_, platform::SocketWait::Read, timeout, status);
    } else {
        for (uint32_t elapsed = 0; elapsed < timeout;) {
            if (AbortRequested(params)) {
                log.AddError("Wait-for-data aborted by app");
                params.aborted = true;
                return false;
            }
            const uint32_t slice =
                std::max(std::min(kWaitForDataSliceMs, timeout - elapsed), kWaitForDataLastSliceMs);
            outcome = platform::WaitOnSocket(handle_, platform::SocketWait::Read, slice, status);
            if (outcome != platform::WaitOutcome::TimedOut) {
                break;
            }
            elapsed += slice;
        }
    }
    if (outcome == platform::WaitOutcome::TimedOut) {
        log.AddDataInt("timeoutMs2", static_cast<int32_t>(timeout));
        log.AddError("WaitForData timed out.");
        params.timedOut = true;
        return false;
    }
    if (outcome != platform::WaitOutcome::Ready) {
        lastError_ = status.code;
        log.AddError("The peer has closed the socket (TCP) connection");
        CloseSocket(log);
        params.fatalError = true;
        return false;
    }
    if (!ThrottleDownload(params, "Aborted by application while download throttling (1)", log)) {
        return false;
    }
    const long received = platform::ReceiveFromSocket(handle_, buffer, requested, false, status);
    if (received == 0) {
        log.AddError("The peer has closed the socket (TCP) connection");
        CloseSocket(log);
        params.connectionClosed = true;
        return false;
    }
    if (received < 0) {
        lastError_ = status.code;
        log.LogSystemErrorCode(status.systemCode);
        log.AddError("Failed to receive on the TCP socket");
        params.fatalError = true;
        return false;
    }
    size = static_cast<uint32_t>(received);
    AccountReceived(size, params);
    return true;
}

bool QuorvelSocket::ReadUntilIdle(DataBuffer& out, SocketReadParams& params, LogBase& log) {
    Scratch scratch = AllocateScratch(kIdleReadBuffer);
    if (!scratch) {
        log.AddError("Socket read memory allocation failed.");
        return false;
    }
    bool received = false;
    for (;;) {
        uint32_t size = kIdleReadBuffer;
        if (!WaitForData(scratch.get(), size, params, log) || size == 0) {
            return received;
        }
        if (!out.Append(scratch.get(), size)) {
            log.AddError("Socket read memory allocation failed.");
            return false;
        }
        received = true;
    }
}

bool QuorvelSocket::DrainAvailable(DataBuffer& out, SocketReadParams& params, LogBase& log) {
    unsigned char chunk[kDrainChunk];
    for (;;) {
        if (!RequireSocket(params, log)) {
            return false;
        }
        if (!ThrottleDownload(params, "Aborted by application while download throttling (3)",
                              log)) {
            return false;
        }
        platform::SocketStatus status;
        const long received =
            platform::ReceiveFromSocket(handle_, chunk, sizeof chunk, true, status);
        if (received < 0 && status.code == platform::kErrorWouldBlock) {
            return true;  // nothing more has arrived
        }
        if (received == 0) {
            log.AddError("Socket already closed by peer.");
            CloseSocket(log);
            params.connectionClosed = true;
            return false;
        }
        if (received < 0) {
            lastError_ = status.code;
            ExplainSocketError(status.code, log);
            log.AddError("Failed to accumulate data on socket.");
            params.fatalError = true;
            return false;
        }
        if (!out.Append(chunk, static_cast<uint32_t>(received))) {
            log.AddError("Socket receive memory allocation failed.");
            return false;
        }
        AccountReceived(static_cast<uint32_t>(received), params);
        // Keep going while the next piece follows within a short gap.
        if (platform::WaitOnSocket(handle_, platform::SocketWait::Read, kDrainGapMs, status) !=
            platform::WaitOutcome::Ready) {
            return true;
        }
    }
}

// The body reader of plain TCP connections.

#include <algorithm>
#include <string_view>

#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "http/BodyRead.h"
#include "http/HttpBodyReaders.h"
#include "http/HttpControl.h"
#include "http/HttpResult.h"
#include "http/NumberText.h"
#include "net/LoggedSocket2.h"
#include "net/OutputSink.h"
#include "net/SocketReadParams.h"

namespace {

constexpr uint32_t kUntilClosedChunk = 4096;
constexpr uint32_t kServerErrorIdleMs = 3000;

// 204 (No Content) is the one 2xx status that never has a body.
bool CarriesBody(int status, const HttpResponseHeader& header) {
    if ((status >= 200 && status <= 299 && status != 204) || status == 301 || status == 302 ||
        status == 303 || status == 307) {
        return true;
    }
    return status >= 400 && (header.ContentLength() != 0 || header.IsChunked());
}

class PlainBodyReader : public BodyRead {
public:
    using BodyRead::BodyRead;

    bool Run() { return Finish(Read()); }

private:
    bool Read() {
        const int status = header_.StatusCode();
        if (CarriesBody(status, header_)) {
            return ReadDelimitedBody(status);
        }
        log_.AddDataInt("response_code", status);
        if (status == 500) {
            if (header_.HasContentLength()) {
                return true;
            }
            log_.AddInfo("Read max non-chunked response.");
            const uint32_t readTimeoutMs = settings_.ReadTimeoutMs();
            const uint32_t idleMs = readTimeoutMs == 0
                                        ? kServerErrorIdleMs
                                        : std::min(readTimeoutMs, kServerErrorIdleMs);
            return ReadUntilClosed(idleMs);
        }
        log_.AddInfo("No response body to fetch...");
        return status == 100;
    }

    bool ReadDelimitedBody(int status) {
        if (header_.IsChunked()) {
            log_.AddInfo("Reading chunked response");
            NotifyChunkedBody();
            return ReadChunks();
        }
        const int64_t length = header_.ContentLength();
        if (monitor_) {
            monitor_->Info("ResponseContentLength", length);
        }
        if (length < 0) {
            log_.AddError("Invalid Content-Length in the response header.");
            log_.AddDataInt64("contentLength", length);
            return false;
        }
        if (length > 0) {
            if (settings_.maxContentLength != 0 &&
                static_cast<uint64_t>(length) > settings_.maxContentLength) {
                log_.AddError("Content length more than the maximum allowed.");
                log_.AddDataInt64("maxContentLength",
                                  static_cast<int64_t>(settings_.maxContentLength));
                return false;
            }
            return connection_.ReadNToOutput(static_cast<uint64_t>(length), output_, params_, log_);
        }
        if (header_.HasContentLength()) {
            return true;
        }
        if (status < 300) {
            log_.AddInfo("Read max non-chunked response");
            return ReadUntilClosed(settings_.ReadTimeoutMs());
        }
        log_.AddInfo(
            "Skipping response body because Content-Length header is missing and response code "
            ">= 300");
        return true;
    }

    // A body that runs until the server closes the connection, waiting at most idleMs for data.
    // A server that closes without sending anything has sent an empty body.
    bool ReadUntilClosed(uint32_t idleMs) {
        QuorvelSocket& socket = connection_.Socket();
        socket.SetIdleTimeoutMs(idleMs);
        const uint64_t before = output_.Size();
        bool read = connection_.ReadUntilClosed(output_, kUntilClosedChunk, params_, log_);
        socket.SetIdleTimeoutMs(settings_.ReadTimeoutMs());
        if (!read && output_.Size() == before && params_.connectionClosed && !params_.timedOut &&
            !params_.aborted && !params_.fatalError) {
            read = true;
        }
        return read;
    }

    bool Fail(const char* message) {
        connection_.Close(log_);
        log_.AddError(message);
        return false;
    }

    bool ReadChunks() {
        DataBuffer line;
        DataBuffer lineEnd;
        for (;;) {
            line.Clear();
            if (!connection_.ReadCrlfLine(line, params_, log_)) {
                return Fail("Failed to get response data (a)");
            }
            const std::string_view lineText(reinterpret_cast<const char*>(line.GetData()),
                                            line.GetSize());
            uint64_t size = 0;
            size_t end = 0;
            if (!ReadHex(lineText, 0, " ", size, end)) {
                return true;  // no size: the body ends here
            }
            if (monitor_) {
                monitor_->Info("ChunkSize",
                               static_cast<int64_t>(std::min<uint64_t>(size, INT64_MAX)));
            }
            if (size == 0) {
                // The line after the last chunk (a trailer field, if any, is read as that line).
                line.Clear();
                return connection_.ReadCrlfLine(line, params_, log_);
            }
            // The limit is checked before the chunk is read, so that no oversized chunk is
            // taken into memory.
            const uint64_t limit = settings_.maxContentLength;
            if (limit != 0 && (size > limit || output_.Size() > limit - size)) {
                connection_.Close(log_);
                log_.AddError("Chunked response is too large.");
                log_.AddDataInt64("maxContentLength",
                                  static_cast<int64_t>(settings_.maxContentLength));
                log_.AddDataInt64("receivedSoFar", static_cast<int64_t>(output_.Size()));
                return false;
            }
            if (!connection_.ReadNToOutput(size, output_, params_, log_)) {
                return Fail("Failed to get response data (b)");
            }
            lineEnd.Clear();
            if (!connection_.ReadN(2, lineEnd, params_, log_)) {
                return Fail("Failed to get response data (c)");
            }
        }
    }
};

}  // namespace

bool ReadBodyPlain(const HttpControl& settings, HttpResult& result, OutputSink& output,
                   LoggedSocket2& connection, LogBase& log, ProgressMonitor* monitor) {
    PlainBodyReader reader(settings, result, output, connection, log, monitor);
    return reader.Run();
}

// The body reader of TLS connections. The secure channel delivers whole records, so part of the
// body (often all of it) arrived together with the header; the reader starts from those bytes.

#include <algorithm>
#include <string>
#include <string_view>

#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "http/BodyRead.h"
#include "http/HttpBodyReaders.h"
#include "http/HttpControl.h"
#include "http/HttpResult.h"
#include "http/TlsChunkedStream.h"
#include "net/LoggedSocket2.h"
#include "net/OutputSink.h"
#include "net/SocketReadParams.h"

namespace {

class TlsBodyReader : public BodyRead {
public:
    TlsBodyReader(const HttpControl& settings, HttpResult& result, OutputSink& output,
                  LoggedSocket2& connection, const DataBuffer& received, bool verbose, LogBase& log,
                  ProgressMonitor* monitor)
        : BodyRead(settings, result, output, connection, log, monitor),
          received_(reinterpret_cast<const char*>(received.GetData()), received.GetSize()),
          verbose_(verbose) {}

    bool Run() { return Finish(Read()); }

private:
    bool Read() {
        const bool hasLength = header_.HasField("content-length");
        if (!hasLength) {
            log_.AddInfo("No content-length header field.");
        }
        StringBuffer transferEncoding;
        if (header_.GetField("Transfer-Encoding", transferEncoding)) {
            log_.AddData("transferEncoding", transferEncoding.GetString());
        } else {
            log_.AddInfo("No transfer-encoding header field.");
        }
        const bool chunked = transferEncoding.EqualsNoCase("chunked");
        const int64_t length = header_.ContentLength();
        log_.AddDataInt64("sslContentLength", length);
        if (!chunked && monitor_) {
            monitor_->Info("ResponseContentLength", length);
        }
        if (length < 0) {
            log_.AddError("Invalid Content-Length in the response header.");
            return Failed();
        }

        const size_t headerEnd = received_.find("\r\n\r\n");
        if (headerEnd == std::string_view::npos) {
            return Failed();
        }
        const std::string_view extra = received_.substr(headerEnd + 4);
        log_.AddDataInt64("extraLen", static_cast<int64_t>(extra.size()));

        // A chunked body is decoded even when a Content-Length happens to match it.
        if (!chunked && length != 0 && extra.size() == static_cast<uint64_t>(length)) {
            log_.AddInfo("Already have entire response.");
            if (!Write(extra)) {
                return Failed();
            }
            if (monitor_) {
                bool abort = false;
                monitor_->AddDone(extra.size(), abort);
            }
            return true;
        }
        if (length == 0 && extra.empty() && (hasLength || chunked)) {
            if (verbose_) {
                log_.AddInfo("Already have what is needed...");
            }
            if (!chunked) {
                log_.AddInfo("Already have entire response.");
                return true;
            }
            log_.AddInfo("Getting chunked response. (dataLen=0)");
            NotifyChunkedBody();
            const bool read = ReadChunked(extra);
            if (!read) {
                log_.AddData("response_header",
                             std::string(received_.substr(0, headerEnd + 4)).c_str());
            }
            return read;
        }
        if (verbose_) {
            log_.AddInfo("dataLen = 0 but extraLen > 0");
        }
        if (chunked) {
            if (extra == "0\r\n\r\n") {
                log_.AddInfo("No more chunked content...");
                return true;
            }
            return ReadChunked(extra);
        }
        return ReadToLength(extra, hasLength, static_cast<uint64_t>(length));
    }

    bool Write(std::string_view bytes) {
        return bytes.empty() || output_.Write(reinterpret_cast<const unsigned char*>(bytes.data()),
                                              static_cast<uint32_t>(bytes.size()), log_);
    }

    bool Failed() {
        log_.AddError("Failed to get response data for HTTPS");
        log_.AddDataInt64("ContentLength", header_.ContentLength());
        log_.AddDataInt("ResponseCode", header_.StatusCode());
        return false;
    }

    bool Incomplete() {
        log_.AddError("Failed to get complete HTTPS response");
        return Failed();
    }

    void CloseChannel() { connection_.SecureClose(true, settings_.ReadTimeoutMs(), params_, log_); }

    // A body delimited by its Content-Length, or (without one) by the end of the data. Bytes
    // beyond the declared length are not part of the body: reading stops at the length.
    bool ReadToLength(std::string_view extra, bool hasLength, uint64_t length) {
        uint64_t have = 0;
        auto take = [&](std::string_view bytes) {
            if (hasLength) {
                bytes = bytes.substr(
                    0, static_cast<size_t>(std::min<uint64_t>(bytes.size(), length - have)));
            }
            have += bytes.size();
            return Write(bytes);
        };
        if (!take(extra)) {
            return Failed();
        }
        // Without a length, a failed read is the normal end of the body: nobody reads its story.
        LogNull quiet;
        LogBase& readLog = hasLength ? log_ : quiet;
        DataBuffer piece;
        while (!hasLength || have < length) {
            bool endOfData = false;
            if (!connection_.SecureReceive(piece, settings_.ReadTimeoutMs(), params_, endOfData,
                                           readLog)) {
                if (hasLength) {
                    return Incomplete();
                }
                log_.AddInfo("Finished reading response where content-length was unknown.");
                return true;
            }
            if (piece.GetSize() == 0) {
                return Incomplete();
            }
            if (!take({reinterpret_cast<const char*>(piece.GetData()), piece.GetSize()})) {
                return Failed();
            }
        }
        return true;
    }

    // Collects the whole chunked stream, starting with `initial`, then decodes it.
    bool ReadChunked(std::string_view initial) {
        DataBuffer stream;
        if (!stream.Append(initial.data(), static_cast<uint32_t>(initial.size()))) {
            log_.AddError("Out of memory for the chunked response data.");
            return false;
        }
        DataBuffer piece;
        while (!IsCompleteChunkedStream(stream)) {
            bool endOfData = false;
            if (!connection_.SecureReceive(piece, settings_.ReadTimeoutMs(), params_, endOfData,
                                           log_)) {
                CloseChannel();
                log_.AddError("Failed to get SSL chunked response data (1)");
                return false;
            }
            if (!stream.Append(piece)) {
                CloseChannel();
                log_.AddError("Out of memory for the chunked response data.");
                return false;
            }
            if (endOfData) {
                // The server closed the session right after this data.
                CloseChannel();
                break;
            }
        }
        DataBuffer body;
        const bool decoded = DecodeChunkedStream(stream, body, log_, monitor_);
        const bool written = Write({reinterpret_cast<const char*>(body.GetData()), body.GetSize()});
        if (!decoded) {
            CloseChannel();
        }
        return decoded && written;
    }

    const std::string_view received_;
    const bool verbose_;
};

}  // namespace

bool ReadBodyTls(const HttpControl& settings, HttpResult& result, OutputSink& output,
                 LoggedSocket2& connection, const DataBuffer& received, bool verbose, LogBase& log,
                 ProgressMonitor* monitor) {
    TlsBodyReader reader(settings, result, output, connection, received, verbose, log, monitor);
    return reader.Run();
}

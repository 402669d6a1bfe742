#include "http/TlsChunkedStream.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "http/NumberText.h"

namespace {

// Room every chunk needs from its start: the decoder reads the stream as if 10 NUL bytes
// followed it.
constexpr uint64_t kWindow = 10;

std::string_view ViewOf(const DataBuffer& bytes) {
    return {reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize()};
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool ParseFailure(LogBase& log, int step) {
    static const char* const kTexts[] = {"Failed to parse chunked SSL response data. (1)",
                                         "Failed to parse chunked SSL response data. (2)",
                                         "Failed to parse chunked SSL response data. (3)",
                                         "Failed to parse chunked SSL response data. (4)"};
    log.AddError(kTexts[step - 1]);
    return false;
}

// Whether a chunk starting at `offset` has its window of bytes; logs why not.
bool HasWindow(uint64_t offset, uint64_t paddedLength, LogBase& log) {
    if (offset > paddedLength) {
        log.AddError("Address is beyond data length");
        log.AddDataInt64("addr64", static_cast<int64_t>(offset));
        log.AddDataInt64("dataLen", static_cast<int64_t>(paddedLength));
        return false;
    }
    if (paddedLength - offset < kWindow) {
        log.AddError("Not enough bytes remaining to fulfill memory-data request.");
        return false;
    }
    return true;
}

// The CR LF that ends a size line, searched from `from` up to the first NUL byte.
size_t FindLineEnd(std::string_view text, size_t from) {
    for (size_t at = from; at + 1 < text.size() && text[at] != '\0'; ++at) {
        if (text[at] == '\r' && text[at + 1] == '\n') {
            return at;
        }
    }
    return std::string_view::npos;
}

}  // namespace

bool IsCompleteChunkedStream(const DataBuffer& stream) {
    const std::string_view text = ViewOf(stream);
    return text == "0\r\n\r\n" || EndsWith(text, "\r\n0\r\n\r\n") ||
           EndsWith(text, "\r\n0000\r\n\r\n");
}

bool DecodeChunkedStream(const DataBuffer& stream, DataBuffer& body, LogBase& log,
                         ProgressMonitor* monitor) {
    const std::string_view text = ViewOf(stream);
    const uint64_t paddedLength = uint64_t{text.size()} + kWindow;
    uint64_t offset = 0;
    for (;;) {
        if (!HasWindow(offset, paddedLength, log)) {
            return ParseFailure(log, 1);
        }
        // Only white space up to the end: the stream ended right after a chunk.
        const size_t sizeStart = text.find_first_not_of(" \t\r\n", static_cast<size_t>(offset));
        uint64_t size = 0;
        size_t sizeEnd = 0;
        if (sizeStart != std::string_view::npos && !ReadHex(text, sizeStart, "", size, sizeEnd)) {
            return ParseFailure(log, 2);
        }
        if (monitor) {
            monitor->Info("ChunkSize", static_cast<int64_t>(std::min<uint64_t>(
                                           size, std::numeric_limits<int64_t>::max())));
        }
        if (size == 0) {
            return true;
        }
        const size_t lineEnd = FindLineEnd(text, sizeEnd);
        if (lineEnd == std::string_view::npos) {
            return ParseFailure(log, 3);
        }
        const size_t dataStart = lineEnd + 2;
        if (size > text.size() - dataStart) {
            return ParseFailure(log, 4);
        }
        if (!body.Append(text.data() + dataStart, static_cast<uint32_t>(size))) {
            log.AddError("Out of memory for the chunked response data.");
            return false;
        }
        offset = dataStart + size + 2;
    }
}

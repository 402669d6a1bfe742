#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/DataBuffer.h"
#include "core/Logger.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "http/TlsChunkedStream.h"
#include "tests/http/RecordedEvents.h"

using namespace std::string_literals;

namespace {

DataBuffer Bytes(const std::string& text) {
    DataBuffer bytes;
    bytes.Append(text.data(), static_cast<uint32_t>(text.size()));
    return bytes;
}

std::string Str(const DataBuffer& bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize());
}

}  // namespace

TEST(TlsChunkedStream, Completeness) {
    struct Case {
        std::string stream;
        bool complete;
    };
    const std::vector<Case> cases = {
        {"0\r\n\r\n", true},
        {"5\r\nhello\r\n0\r\n\r\n", true},
        {"5\r\nhello\r\n0000\r\n\r\n", true},
        {"x0\r\n\r\n", false},
        {"5\r\nhello\r\n", false},
        {"5\r\nhello\r\n0\r\n", false},
        {"5\r\nhello\r\n00\r\n\r\n", false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsCompleteChunkedStream(Bytes(c.stream)), c.complete) << c.stream;
    }
}

TEST(TlsChunkedStream, Decoding) {
    struct Case {
        const char* name;
        std::string stream;
        bool decoded;
        std::string body;
        std::vector<std::string> chunkSizes;  // the events sent
        const char* message;                  // logged on failure
    };
    const std::vector<Case> cases = {
        {"one chunk",
         "5\r\nhello\r\n0\r\n\r\n",
         true,
         "hello",
         {"ChunkSize=5", "ChunkSize=0"},
         nullptr},
        {"several chunks, hex digits in both cases",
         "a\r\n0123456789\r\nB\r\nabcdefghijk\r\n0\r\n\r\n",
         true,
         "0123456789abcdefghijk",
         {"ChunkSize=10", "ChunkSize=11", "ChunkSize=0"},
         nullptr},
        {"last chunk written 0000",
         "3\r\nabc\r\n0000\r\n\r\n",
         true,
         "abc",
         {"ChunkSize=3", "ChunkSize=0"},
         nullptr},
        {"a long extension after the size",
         "5;name=" + std::string(300, 'x') + "\r\nhello\r\n0\r\n\r\n",
         true,
         "hello",
         {"ChunkSize=5", "ChunkSize=0"},
         nullptr},
        {"leading blanks before a size",
         "  5\r\nhello\r\n0\r\n\r\n",
         true,
         "hello",
         {"ChunkSize=5", "ChunkSize=0"},
         nullptr},
        {"chunk data holding CR LF and NUL bytes",
         "4\r\n\r\n\0x\r\n0\r\n\r\n"s,
         true,
         "\r\n\0x"s,
         {"ChunkSize=4", "ChunkSize=0"},
         nullptr},
        {"stream ends right after a chunk",
         "5\r\nhello\r\n",
         true,
         "hello",
         {"ChunkSize=5", "ChunkSize=0"},
         nullptr},
        {"stream cut inside a chunk",
         "a\r\nhello",
         false,
         "",
         {"ChunkSize=10"},
         "Failed to parse chunked SSL response data. (4)"},
        {"second chunk cut",
         "2\r\nab\r\n9\r\ncd",
         false,
         "ab",
         {"ChunkSize=2", "ChunkSize=9"},
         "Failed to parse chunked SSL response data. (4)"},
        {"stream cut inside the CR LF after a chunk",
         "5\r\nhello",
         false,
         "hello",
         {"ChunkSize=5"},
         "Not enough bytes remaining to fulfill memory-data request."},
        {"not a size",
         "zz\r\nhello\r\n",
         false,
         "",
         {},
         "Failed to parse chunked SSL response data. (2)"},
        {"no line end after the size",
         "5hello",
         false,
         "",
         {"ChunkSize=5"},
         "Failed to parse chunked SSL response data. (3)"},
        {"a NUL byte before the line end",
         "5\0\r\nhello\r\n0\r\n\r\n"s,
         false,
         "",
         {"ChunkSize=5"},
         "Failed to parse chunked SSL response data. (3)"},
        {"a size beyond every stream",
         "FFFFFFFFFFFFFFFFFFFFF\r\nab\r\n",
         false,
         "",
         {"ChunkSize=9223372036854775807"},
         "Failed to parse chunked SSL response data. (4)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataBuffer body;
        Logger log;
        RecordedEvents sink;
        ProgressMonitor monitor(&sink, 0);
        EXPECT_EQ(DecodeChunkedStream(Bytes(c.stream), body, log, &monitor), c.decoded);
        EXPECT_EQ(Str(body), c.body);
        EXPECT_EQ(sink.events, c.chunkSizes);
        if (c.message) {
            StringBuffer text;
            log.GetAsText(text);
            EXPECT_NE(std::string(text.GetString()).find(c.message), std::string::npos)
                << text.GetString();
        }
    }
}

// The TLS body reader against a scripted secure channel: the channel hands out application data
// in the pieces a test gives it, as the record layer would.

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/DataBuffer.h"
#include "core/Logger.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "http/HttpBodyReaders.h"
#include "http/HttpControl.h"
#include "http/HttpResult.h"
#include "net/LoggedSocket2.h"
#include "net/OutputSink.h"
#include "net/SecureChannel.h"
#include "tests/http/RecordedEvents.h"

namespace {

std::string Str(const DataBuffer& bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize());
}

// One receive of the script: its bytes, whether the close-notify came with them, and whether the
// receive succeeds.
struct Piece {
    std::string bytes;
    bool closeNotify = false;
    bool succeeds = true;
};

// What a scripted channel saw; it outlives the channel, which the connection owns.
struct ChannelRecord {
    int receives = 0;
    int closes = 0;
};

class ScriptedChannel : public SecureChannel {
public:
    ScriptedChannel(std::vector<Piece> script, ChannelRecord& record)
        : script_(script.begin(), script.end()), record_(record) {}

    bool SendBytes(const unsigned char*, uint32_t, uint32_t, SocketReadParams&, LogBase&) override {
        return true;
    }
    bool ReceiveBytes(DataBuffer& target, uint32_t, SocketReadParams& params, bool& endOfData,
                      LogBase& log) override {
        ++record_.receives;
        target.Clear();
        if (script_.empty()) {  // nothing more comes: the idle time-out ends the read
            params.timedOut = true;
            log.AddError("scripted receive timed out");
            return false;
        }
        Piece piece = script_.front();
        script_.pop_front();
        target.Append(piece.bytes.data(), static_cast<uint32_t>(piece.bytes.size()));
        endOfData = piece.closeNotify;
        if (!piece.succeeds) {
            log.AddError("scripted receive failed");
        }
        return piece.succeeds;
    }
    bool CloseChannel(bool, uint32_t, SocketReadParams&, LogBase&) override {
        ++record_.closes;
        return true;
    }
    void CloseSocketAndReset(LogBase&) override {}
    void SetVerbose(bool) override {}
    bool IsConnected() override { return true; }

private:
    std::deque<Piece> script_;
    ChannelRecord& record_;
};

struct Outcome {
    bool read = false;
    std::string body;
    std::string log;
    ChannelRecord channel;
};

// `received` is what arrived with the header; `script` what the channel delivers afterwards.
Outcome ReadAfter(const std::string& received, std::vector<Piece> script, bool verbose = false,
                  RecordedEvents* events = nullptr) {
    Outcome outcome;
    LoggedSocket2 connection;
    connection.AttachSecureChannel(std::make_unique<ScriptedChannel>(script, outcome.channel));
    HttpControl settings;
    HttpResult result;
    result.responseHeader.ParseResponseHeader(received.data(),
                                              static_cast<uint32_t>(received.size()));
    DataBuffer receivedBytes;
    receivedBytes.Append(received.data(), static_cast<uint32_t>(received.size()));
    MemoryOutput output;
    Logger log;
    RecordedEvents ownEvents;
    ProgressMonitor monitor(events ? events : &ownEvents, 100);
    outcome.read =
        ReadBodyTls(settings, result, output, connection, receivedBytes, verbose, log, &monitor);
    outcome.body = Str(output.Buffer());
    StringBuffer text;
    log.GetAsText(text);
    outcome.log = text.GetString();
    return outcome;
}

bool Logged(const Outcome& outcome, const char* text) {
    return outcome.log.find(text) != std::string::npos;
}

const std::string kChunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

}  // namespace

TEST(TlsBodyReader, WholeResponseInOnePiece) {
    Outcome outcome = ReadAfter("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789", {});
    EXPECT_TRUE(outcome.read);
    EXPECT_EQ(outcome.body, "0123456789");
    EXPECT_TRUE(Logged(outcome, "Already have entire response."));
    EXPECT_EQ(outcome.channel.receives, 0);
}

TEST(TlsBodyReader, ContentLengthBodies) {
    struct Case {
        const char* name;
        std::string received;
        std::vector<Piece> script;
        bool read;
        std::string body;
        int receives;
        const char* logged;
    };
    const std::vector<Case> cases = {
        {"the rest arrives in pieces",
         "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123",
         {{"456"}, {"789"}},
         true,
         "0123456789",
         2,
         nullptr},
        {"all of it after the header",
         "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n",
         {{"abc"}},
         true,
         "abc",
         1,
         nullptr},
        {"bytes beyond the length are not body",
         "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nab",
         {{"cdefgh"}},
         true,
         "abcde",
         1,
         nullptr},
        {"more than the length with the header",
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nabcd",
         {},
         true,
         "ab",
         0,
         nullptr},
        {"a length of 0",
         "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n",
         {},
         true,
         "",
         0,
         "Already have entire response."},
        {"the server goes quiet",
         "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123",
         {{"45"}},
         false,
         "012345",
         2,
         "Failed to get complete HTTPS response"},
        {"an empty piece",
         "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123",
         {{""}},
         false,
         "0123",
         1,
         "Failed to get complete HTTPS response"},
        {"no end of the header",
         "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n",
         {},
         false,
         "",
         0,
         "Failed to get response data for HTTPS"},
        {"a negative length",
         "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\nab",
         {},
         false,
         "",
         0,
         "Invalid Content-Length in the response header."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome outcome = ReadAfter(c.received, c.script);
        EXPECT_EQ(outcome.read, c.read) << outcome.log;
        EXPECT_EQ(outcome.body, c.body);
        EXPECT_EQ(outcome.channel.receives, c.receives);
        if (c.logged) {
            EXPECT_TRUE(Logged(outcome, c.logged)) << outcome.log;
        }
        if (!c.read) {
            EXPECT_TRUE(Logged(outcome, "Failed to get response data for HTTPS"));
            EXPECT_TRUE(Logged(outcome, "ResponseCode: 200"));
        }
    }
}

TEST(TlsBodyReader, WithoutLengthTheBodyRunsUntilTheChannelEnds) {
    Outcome outcome = ReadAfter("HTTP/1.0 200 OK\r\n\r\nfirst ",
                                {{"second "}, {"third", true}, {"", true, false}});
    EXPECT_TRUE(outcome.read);
    EXPECT_EQ(outcome.body, "first second third");
    EXPECT_TRUE(Logged(outcome, "No content-length header field."));
    EXPECT_TRUE(Logged(outcome, "Finished reading response where content-length was unknown."));
    EXPECT_FALSE(Logged(outcome, "scripted receive failed"));  // the normal end is not an error

    outcome = ReadAfter("HTTP/1.0 200 OK\r\n\r\n", {{"all"}});  // ended by the idle time-out
    EXPECT_TRUE(outcome.read);
    EXPECT_EQ(outcome.body, "all");
}

TEST(TlsBodyReader, ChunkedCases) {
    struct Case {
        const char* name;
        std::string extra;  // what came with the header
        std::vector<Piece> script;
        bool read;
        std::string body;
        int receives;
        int closes;
        const char* logged;
    };
    const std::vector<Case> cases = {
        {"only the last chunk came with the header",
         "0\r\n\r\n",
         {},
         true,
         "",
         0,
         0,
         "No more chunked content..."},
        {"everything with the header", "5\r\nhello\r\n0\r\n\r\n", {}, true, "hello", 0, 0, nullptr},
        {"the chunks come later",
         "",
         {{"5\r\nhel"}, {"lo\r\n6\r\n world\r\n"}, {"0\r\n\r\n"}},
         true,
         "hello world",
         3,
         0,
         "Getting chunked response. (dataLen=0)"},
        {"the last chunk written 0000",
         "3\r\nabc\r\n",
         {{"0000\r\n\r\n"}},
         true,
         "abc",
         1,
         0,
         nullptr},
        {"a long extension",
         "5;" + std::string(500, 'e') + "=1\r\nhello\r\n0\r\n\r\n",
         {},
         true,
         "hello",
         0,
         0,
         nullptr},
        {"close-notify right after a chunk",
         "5\r\nhello\r\n",
         {{"2\r\nab\r\n", true}},
         true,
         "helloab",
         1,
         1,
         nullptr},
        {"the stream is cut inside a chunk",
         "a\r\nhello",
         {{"wor", true}},
         false,
         "",
         1,
         2,
         "Failed to parse chunked SSL response data. (4)"},
        {"close-notify without data",
         "5\r\nhello\r\n",
         {{"", true, false}},
         false,
         "",
         1,
         1,
         "Failed to get SSL chunked response data (1)"},
        {"the server goes quiet",
         "",
         {{"5\r\nhello\r\n"}},
         false,
         "",
         2,
         1,
         "Failed to get SSL chunked response data (1)"},
        {"not a chunk size",
         "zz\r\n",
         {{"\r\n0\r\n\r\n"}},
         false,
         "",
         1,
         1,
         "Failed to parse chunked SSL response data. (2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome outcome = ReadAfter(kChunkedHead + c.extra, c.script);
        EXPECT_EQ(outcome.read, c.read) << outcome.log;
        EXPECT_EQ(outcome.body, c.body);
        EXPECT_EQ(outcome.channel.receives, c.receives);
        EXPECT_EQ(outcome.channel.closes, c.closes);
        EXPECT_TRUE(Logged(outcome, "transferEncoding: chunked"));
        if (c.logged) {
            EXPECT_TRUE(Logged(outcome, c.logged)) << outcome.log;
        }
    }
}

TEST(TlsBodyReader, ChunkedEventsAndTheHeaderOnFailure) {
    RecordedEvents events;
    Outcome outcome = ReadAfter(kChunkedHead, {{"4\r\nabcd\r\n0\r\n\r\n"}}, true, &events);
    EXPECT_TRUE(outcome.read);
    EXPECT_EQ(events.chunkedNotifications, 1);
    EXPECT_EQ(events.events, (std::vector<std::string>{"HttpInfo=Reading chunked response.",
                                                       "ChunkSize=4", "ChunkSize=0"}));
    EXPECT_TRUE(Logged(outcome, "Already have what is needed..."));

    outcome = ReadAfter(kChunkedHead, {});
    EXPECT_FALSE(outcome.read);
    EXPECT_TRUE(Logged(outcome, "response_header"));
    EXPECT_TRUE(Logged(outcome, "Transfer-Encoding: chunked"));
}

TEST(TlsBodyReader, ChunkingWinsOverAMatchingContentLength) {
    const std::string chunks = "5\r\nhello\r\n0\r\n\r\n";
    Outcome outcome =
        ReadAfter("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(chunks.size()) +
                      "\r\nTransfer-Encoding: chunked\r\n\r\n" + chunks,
                  {});
    EXPECT_TRUE(outcome.read);
    EXPECT_EQ(outcome.body, "hello");
}

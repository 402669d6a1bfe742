// The plain-connection body reader against a raw server on loopback: the server writes the
// scripted response, the test reads the header the way the driver does, then the body.

#include <gtest/gtest.h>

#include <chrono>
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
#include "net/SocketReadParams.h"
#include "tests/http/RecordedEvents.h"
#include "tests/support/LoopbackServer.h"

namespace {

std::string Str(const DataBuffer& bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize());
}

// What the server does after sending the response.
enum class Then { Close, StayOpen };

struct Outcome {
    bool read = false;
    std::string body;
    std::string log;
    std::string nextLine;  // the next line still waiting on the connection, if any
    bool connected = false;
    double seconds = 0;
    HttpReadFlags flags;
    std::vector<std::string> events;
    int chunkedNotifications = 0;
};

class PlainBodyReader : public ::testing::Test {
protected:
    // Serves `response`, reads its header and then its body with ReadBodyPlain.
    Outcome Exchange(const std::string& response, Then then = Then::Close, int stayOpenMs = 5000,
                bool readNextLine = false) {
        testsupport::LoopbackServer server([&](testsupport::ServerConnection& peer) {
            peer.ReceiveUntil("\r\n\r\n", 2000);
            peer.Send(response);
            if (then == Then::StayOpen) {
                peer.Pause(stayOpenMs);
            }
        });
        LoggedSocket2 connection;
        Logger log;
        bool dnsFailed = false;
        EXPECT_TRUE(connection.Socket().SocketConnect("127.0.0.1", server.Port(), 0, log, dnsFailed,
                                                      nullptr));
        connection.Socket().SetIdleTimeoutMs(settings.ReadTimeoutMs());
        SocketReadParams params;
        StringBuffer request("GET / HTTP/1.1\r\n\r\n");
        EXPECT_TRUE(connection.SendText(request, 0, params, log));
        DataBuffer headerBlock;
        EXPECT_TRUE(connection.ReadHeaderBlock(headerBlock, params, log));
        HttpResult result;
        result.responseHeader.ParseResponseHeader(
            reinterpret_cast<const char*>(headerBlock.GetData()), headerBlock.GetSize());

        RecordedEvents events;
        ProgressMonitor monitor(&events, 0);
        MemoryOutput output;
        const auto start = std::chrono::steady_clock::now();
        Outcome outcome;
        outcome.read = ReadBodyPlain(settings, result, output, connection, log, &monitor);
        outcome.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        outcome.body = Str(output.Buffer());
        outcome.connected = connection.Socket().IsConnected();
        if (readNextLine && outcome.connected) {
            DataBuffer line;
            connection.ReadCrlfLine(line, params, log);
            outcome.nextLine = Str(line);
        }
        StringBuffer text;
        log.GetAsText(text);
        outcome.log = text.GetString();
        outcome.flags = result.readFlags;
        outcome.events = events.events;
        outcome.chunkedNotifications = events.chunkedNotifications;
        return outcome;
    }

    static bool Logged(const Outcome& outcome, const char* text) {
        return outcome.log.find(text) != std::string::npos;
    }

    HttpControl settings;
};

}  // namespace

TEST_F(PlainBodyReader, ContentLengthBodies) {
    struct Case {
        const char* name;
        std::string response;
        bool read;
        std::string body;
        const char* logged;
    };
    const std::string page120(120, 'p');
    const std::vector<Case> cases = {
        {"200 with a length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", true, "hello",
         nullptr},
        {"404 with a body is read",
         "HTTP/1.1 404 Not Found\r\nContent-Length: 120\r\n\r\n" + page120, true, page120, nullptr},
        {"500 with a length of 0", "HTTP/1.1 500 Oops\r\nContent-Length: 0\r\n\r\n", true, "",
         "response_code"},
        {"100 has no body", "HTTP/1.1 100 Continue\r\n\r\n", true, "",
         "No response body to fetch..."},
        {"204 fails", "HTTP/1.1 204 No Content\r\n\r\n", false, "", "No response body to fetch..."},
        {"304 fails", "HTTP/1.1 304 Not Modified\r\nContent-Length: 10\r\n\r\n", false, "",
         "No response body to fetch..."},
        {"401 without a length fails", "HTTP/1.1 401 Unauthorized\r\n\r\nzz", false, "",
         "No response body to fetch..."},
        {"302 without a length skips the body", "HTTP/1.1 302 Found\r\nLocation: /x\r\n\r\nbody",
         true, "",
         "Skipping response body because Content-Length header is missing and response code >= "
         "300"},
        {"302 with a length", "HTTP/1.1 302 Found\r\nContent-Length: 4\r\n\r\nbody", true, "body",
         nullptr},
        {"a cut body fails", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello", false, "hello",
         nullptr},
        {"a negative length is refused", "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nhello",
         false, "", "Invalid Content-Length in the response header."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome outcome = Exchange(c.response);
        EXPECT_EQ(outcome.read, c.read) << outcome.log;
        EXPECT_EQ(outcome.body, c.body);
        if (c.logged) {
            EXPECT_TRUE(Logged(outcome, c.logged)) << outcome.log;
        }
    }
}

TEST_F(PlainBodyReader, ZeroLengthReadsNothing) {
    // The bytes after the header stay on the connection.
    Outcome outcome =
        Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\nnext\r\n", Then::StayOpen, 2000, true);
    EXPECT_TRUE(outcome.read);
    EXPECT_EQ(outcome.body, "");
    EXPECT_EQ(outcome.nextLine, "next\r\n");
    EXPECT_EQ(outcome.events, std::vector<std::string>{"ResponseContentLength=0"});
}

TEST_F(PlainBodyReader, LengthAboveTheMaximumIsRefusedUnread) {
    settings.maxContentLength = 4;
    Outcome outcome = Exchange("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    EXPECT_FALSE(outcome.read);
    EXPECT_EQ(outcome.body, "");
    EXPECT_TRUE(Logged(outcome, "Content length more than the maximum allowed."));
    EXPECT_TRUE(Logged(outcome, "maxContentLength: 4"));
}

TEST_F(PlainBodyReader, WithoutLengthTheBodyRunsUntilTheServerCloses) {
    Outcome outcome = Exchange("HTTP/1.0 200 OK\r\n\r\nall of it");
    EXPECT_TRUE(outcome.read);
    EXPECT_EQ(outcome.body, "all of it");
    EXPECT_TRUE(Logged(outcome, "Read max non-chunked response"));
    EXPECT_TRUE(outcome.flags.connectionClosed);

    // An empty body: the server closes right after the header.
    outcome = Exchange("HTTP/1.0 200 OK\r\n\r\n");
    EXPECT_TRUE(outcome.read) << outcome.log;
    EXPECT_EQ(outcome.body, "");
}

TEST_F(PlainBodyReader, WithoutLengthAnIdleServerEndsTheBody) {
    settings.readTimeout = 1;
    Outcome outcome = Exchange("HTTP/1.0 200 OK\r\n\r\npartial", Then::StayOpen, 4000);
    EXPECT_TRUE(outcome.read);
    EXPECT_EQ(outcome.body, "partial");
    EXPECT_TRUE(outcome.flags.timedOut);
    EXPECT_LT(outcome.seconds, 3.0);
}

TEST_F(PlainBodyReader, ServerErrorWithoutLengthWaitsAtMostThreeSeconds) {
    Outcome outcome = Exchange("HTTP/1.1 500 Internal Server Error\r\n\r\noops", Then::StayOpen, 6000);
    EXPECT_TRUE(outcome.read);
    EXPECT_EQ(outcome.body, "oops");
    EXPECT_TRUE(Logged(outcome, "Read max non-chunked response."));
    EXPECT_TRUE(Logged(outcome, "response_code: 500"));
    EXPECT_GE(outcome.seconds, 2.5);
    EXPECT_LT(outcome.seconds, 4.5);
}

TEST_F(PlainBodyReader, ChunkedWithAnExtension) {
    Outcome outcome =
        Exchange("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
            "5;name=value\r\nhello\r\n6\r\n world\r\n0\r\n\r\n");
    EXPECT_TRUE(outcome.read) << outcome.log;
    EXPECT_EQ(outcome.body, "hello world");
    EXPECT_TRUE(Logged(outcome, "Reading chunked response"));
    EXPECT_EQ(outcome.chunkedNotifications, 1);
    EXPECT_EQ(outcome.events,
              (std::vector<std::string>{"HttpInfo=Reading chunked response.", "ChunkSize=5",
                                        "ChunkSize=6", "ChunkSize=0"}));
}

TEST_F(PlainBodyReader, ChunkedWithATrailer) {
    // The trailer field is read as the final line; what follows stays on the connection.
    Outcome outcome =
        Exchange("HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n"
            "3\r\nabc\r\n0\r\nX-Checksum: 1\r\n\r\n",
            Then::StayOpen, 2000, true);
    EXPECT_TRUE(outcome.read);
    EXPECT_EQ(outcome.body, "abc");
    EXPECT_EQ(outcome.nextLine, "\r\n");
}

TEST_F(PlainBodyReader, ChunkedEndsAtALineWithoutSize) {
    Outcome outcome = Exchange("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n\r\n",
                          Then::StayOpen, 2000);
    EXPECT_TRUE(outcome.read);
    EXPECT_EQ(outcome.body, "abc");
}

TEST_F(PlainBodyReader, ChunkedAboveTheMaximum) {
    settings.maxContentLength = 100;
    Outcome outcome = Exchange("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n96\r\n" +
                          std::string(150, 'x') + "\r\n0\r\n\r\n");
    EXPECT_FALSE(outcome.read);
    EXPECT_TRUE(Logged(outcome, "Chunked response is too large."));
    EXPECT_TRUE(Logged(outcome, "receivedSoFar: 0"));
    EXPECT_FALSE(outcome.connected);

    // Within the limit, chunk by chunk, until the sum passes it.
    outcome =
        Exchange("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n32\r\n" + std::string(50, 'a') +
            "\r\n32\r\n" + std::string(50, 'b') + "\r\n1\r\nc\r\n0\r\n\r\n");
    EXPECT_FALSE(outcome.read);
    EXPECT_EQ(outcome.body, std::string(50, 'a') + std::string(50, 'b'));
    EXPECT_TRUE(Logged(outcome, "receivedSoFar: 100"));
}

TEST_F(PlainBodyReader, ChunkedStreamsCutShort) {
    struct Case {
        std::string chunks;
        const char* message;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"5\r\nhel", "Failed to get response data (b)", "hel"},
        {"5\r\nhello", "Failed to get response data (c)", "hello"},
        {"5\r\nhello\r\n", "Failed to get response data (a)", "hello"},
        {"5", "Failed to get response data (a)", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chunks);
        Outcome outcome = Exchange("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + c.chunks);
        EXPECT_FALSE(outcome.read);
        EXPECT_TRUE(Logged(outcome, c.message)) << outcome.log;
        EXPECT_EQ(outcome.body, c.body);
        EXPECT_FALSE(outcome.connected);
    }
}

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/DataBuffer.h"
#include "core/Logger.h"
#include "core/StringBuffer.h"
#include "net/LoggedSocket2.h"
#include "net/OutputSink.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestSupport.h"

using nettest::Contains;
using nettest::LogText;
using testsupport::LoopbackServer;
using testsupport::ServerConnection;

namespace {

std::string Text(const DataBuffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize());
}

const unsigned char* Bytes(const char* text) {
    return reinterpret_cast<const unsigned char*>(text);
}

// A server that answers "pong\r\n\r\n" to each "ping" and then waits for the close.
void PingServer(ServerConnection& connection) {
    for (;;) {
        if (connection.ReceiveUntil("ping", 3000).empty()) {
            return;
        }
        connection.Send("pong\r\n\r\n");
    }
}

class LoggedConnection : public ::testing::Test {
protected:
    void SetUp() override {
        bool dnsFailed = false;
        ASSERT_TRUE(connection_.Socket().SocketConnect("127.0.0.1", server_.Port(), 0, log_,
                                                       dnsFailed, nullptr));
    }

    LoopbackServer server_{PingServer};
    LoggedSocket2 connection_;
    Logger log_;
    SocketReadParams params_;
};

// A stand-in for the TLS channel that records what it is asked to do.
class RecordingChannel : public SecureChannel {
public:
    bool SendBytes(const unsigned char* data, uint32_t count, uint32_t idleTimeoutMs,
                   SocketReadParams&, LogBase&) override {
        sent.append(reinterpret_cast<const char*>(data), count);
        lastIdleTimeoutMs = idleTimeoutMs;
        return succeed;
    }
    bool ReceiveBytes(DataBuffer& target, uint32_t, SocketReadParams&, bool& endOfData,
                      LogBase&) override {
        target.Clear();
        target.Append("plain reply", 11);
        endOfData = true;
        return succeed;
    }
    bool CloseChannel(bool closeSocket, uint32_t, SocketReadParams&, LogBase&) override {
        closedWithSocket = closeSocket;
        return true;
    }
    void CloseSocketAndReset(LogBase&) override { ++resets; }
    void SetVerbose(bool on) override { verbose = on; }
    bool IsConnected() override { return true; }

    bool succeed = true;
    std::string sent;
    uint32_t lastIdleTimeoutMs = 0;
    bool closedWithSocket = false;
    int resets = 0;
    bool verbose = false;
};

}  // namespace

TEST_F(LoggedConnection, TheTranscriptMarksEachChangeOfDirection) {
    connection_.Transcript().SetInMemory(true);
    ASSERT_TRUE(connection_.SendBytes(Bytes("pi"), 2, 0, params_, log_));
    ASSERT_TRUE(connection_.SendText(StringBuffer("ng"), 0, params_, log_));
    DataBuffer reply;
    ASSERT_TRUE(connection_.ReadHeaderBlock(reply, params_, log_));
    EXPECT_EQ(Text(reply), "pong\r\n\r\n");
    EXPECT_EQ(Text(connection_.Transcript().Buffer()),
              "\r\n---- Sending ----\r\nping\r\n---- Received ----\r\npong\r\n\r\n");
    EXPECT_EQ(connection_.Transcript().LastDirection(), SocketTranscript::kReceived);
}

TEST_F(LoggedConnection, WithoutATranscriptOnlyTheDirectionChanges) {
    SocketTranscript& transcript = connection_.Transcript();
    EXPECT_EQ(transcript.LastDirection(), SocketTranscript::kNone);
    ASSERT_TRUE(connection_.SendBytes(Bytes("ping"), 4, 0, params_, log_));
    EXPECT_EQ(transcript.LastDirection(), SocketTranscript::kSent);
    DataBuffer line;
    ASSERT_TRUE(connection_.ReadCrlfLine(line, params_, log_));
    EXPECT_EQ(transcript.LastDirection(), SocketTranscript::kReceived);
    EXPECT_EQ(transcript.Buffer().GetSize(), 0u);
}

TEST_F(LoggedConnection, AFailedReadDoesNotHideTheNextReceivedMarker) {
    connection_.Transcript().SetInMemory(true);
    connection_.Socket().SetIdleTimeoutMs(100);
    ASSERT_TRUE(connection_.SendBytes(Bytes("x"), 1, 0, params_, log_));
    DataBuffer nothing;
    EXPECT_FALSE(connection_.ReadN(1, nothing, params_, log_));  // times out: nothing recorded
    EXPECT_EQ(connection_.Transcript().LastDirection(), SocketTranscript::kReceived);
    ASSERT_TRUE(connection_.SendBytes(Bytes("ping"), 4, 0, params_, log_));
    DataBuffer reply;
    ASSERT_TRUE(connection_.ReadN(8, reply, params_, log_));
    EXPECT_EQ(Text(connection_.Transcript().Buffer()),
              "\r\n---- Sending ----\r\nxping\r\n---- Received ----\r\npong\r\n\r\n");
}

TEST_F(LoggedConnection, ReadsToAnOutputAreRecordedPieceByPiece) {
    testsupport::TempFolder folder;
    const std::string path = folder / "transcript.txt";
    connection_.Transcript().SetInMemory(true);
    connection_.Transcript().SetFile(path);
    ASSERT_TRUE(connection_.SendBytes(Bytes("ping"), 4, 0, params_, log_));
    MemoryOutput output;
    ASSERT_TRUE(connection_.ReadNToOutput(8, output, params_, log_));
    EXPECT_EQ(Text(output.Buffer()), "pong\r\n\r\n");
    const std::string expected =
        "\r\n---- Sending ----\r\nping\r\n---- Received ----\r\npong\r\n\r\n";
    EXPECT_EQ(Text(connection_.Transcript().Buffer()), expected);
    EXPECT_EQ(testsupport::ReadFileBytes(path), expected);
}

TEST_F(LoggedConnection, SecureFormsNeedAnAttachedChannel) {
    connection_.Transcript().SetInMemory(true);
    DataBuffer target;
    bool endOfData = false;
    EXPECT_FALSE(connection_.SecureSend(Bytes("GET"), 3, 1000, params_, log_));
    EXPECT_FALSE(connection_.SecureReceive(target, 1000, params_, endOfData, log_));
    EXPECT_FALSE(connection_.SecureClose(true, 1000, params_, log_));
    EXPECT_TRUE(Contains(LogText(log_), "No secure channel is available for this connection."));
    EXPECT_EQ(connection_.Transcript().Buffer().GetSize(), 0u);

    connection_.SetVerbose(true);
    auto owned = std::make_unique<RecordingChannel>();
    RecordingChannel& channel = *owned;
    connection_.AttachSecureChannel(std::move(owned));
    EXPECT_TRUE(channel.verbose);  // the setting made before attaching is passed on
    ASSERT_TRUE(connection_.SecureSend(Bytes("GET"), 3, 1000, params_, log_));
    EXPECT_EQ(channel.sent, "GET");
    EXPECT_EQ(channel.lastIdleTimeoutMs, 1000u);
    ASSERT_TRUE(connection_.SecureReceive(target, 1000, params_, endOfData, log_));
    EXPECT_TRUE(endOfData);
    EXPECT_EQ(Text(connection_.Transcript().Buffer()),
              "\r\n---- Sending ----\r\nGET\r\n---- Received ----\r\nplain reply");
    channel.succeed = false;
    EXPECT_FALSE(connection_.SecureSend(Bytes("more"), 4, 1000, params_, log_));
    EXPECT_EQ(Text(connection_.Transcript().Buffer()),
              "\r\n---- Sending ----\r\nGET\r\n---- Received ----\r\nplain reply");
    EXPECT_TRUE(connection_.SecureClose(true, 1000, params_, log_));
    EXPECT_TRUE(channel.closedWithSocket);

    connection_.Close(log_);
    EXPECT_EQ(channel.resets, 1);
    EXPECT_FALSE(connection_.Socket().IsConnected());
}

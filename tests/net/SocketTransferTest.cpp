#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "core/DataBuffer.h"
#include "core/Logger.h"
#include "core/ProgressMonitor.h"
#include "net/OutputSink.h"
#include "net/QuorvelSocket.h"
#include "platform/Clock.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/LoopbackServer.h"

using nettest::Contains;
using nettest::LogText;
using nettest::RecordingSink;
using testsupport::LoopbackServer;
using testsupport::ServerConnection;

namespace {

std::string Text(const DataBuffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize());
}

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('a' + i % 23);
    }
    return bytes;
}

// A socket connected to a loopback server that runs `handler`.
class Connected {
public:
    explicit Connected(LoopbackServer::Handler handler) : server_(std::move(handler)) {
        bool dnsFailed = false;
        connected_ = socket.SocketConnect("127.0.0.1", server_.Port(), 0, log, dnsFailed, nullptr);
    }
    bool ok() const { return connected_; }

    Logger log;
    QuorvelSocket socket;

private:
    LoopbackServer server_;
    bool connected_ = false;
};

uint32_t Since(uint32_t start) {
    return platform::TickCount() - start;
}

}  // namespace

TEST(SocketTransfer, AReadFromASilentServerEndsAtTheIdleTimeOut) {
    Connected c([](ServerConnection& connection) { connection.WaitForClose(5000); });
    ASSERT_TRUE(c.ok());
    c.socket.SetIdleTimeoutMs(300);
    DataBuffer received;
    SocketReadParams params;
    const uint32_t start = platform::TickCount();
    EXPECT_FALSE(c.socket.ReadN(10, received, params, c.log));
    EXPECT_GE(Since(start), 300u);
    EXPECT_LT(Since(start), 1500u);
    EXPECT_TRUE(params.timedOut);
    EXPECT_FALSE(params.aborted);
    EXPECT_TRUE(c.socket.IsConnected());  // a time-out leaves the connection open
    const std::string text = LogText(c.log);
    EXPECT_TRUE(Contains(text, "Timeout waiting to read socket or accept connection"));
    EXPECT_TRUE(Contains(text, "timeoutMs: 300"));
}

TEST(SocketTransfer, AnAbortFromTheCallbackEndsTheWaitAtTheNextHeartbeat) {
    Connected c([](ServerConnection& connection) { connection.WaitForClose(5000); });
    ASSERT_TRUE(c.ok());
    c.socket.SetIdleTimeoutMs(5000);
    RecordingSink sink;
    sink.abortAfter = 2;  // the third heartbeat answers with an abort
    ProgressMonitor monitor(&sink);
    SocketReadParams params(100, &monitor);
    DataBuffer received;
    const uint32_t start = platform::TickCount();
    EXPECT_FALSE(c.socket.ReadHeaderBlock(received, params, c.log));
    EXPECT_TRUE(params.aborted);
    EXPECT_FALSE(params.timedOut);
    EXPECT_GE(Since(start), 200u);
    EXPECT_LT(Since(start), 1500u);
    EXPECT_TRUE(c.socket.IsConnected());
    EXPECT_TRUE(Contains(LogText(c.log), "socket operation aborted by application callback"));
}

TEST(SocketTransfer, ExactReadsCollectManySmallWrites) {
    const std::string payload = Pattern(1400);
    Connected c([&](ServerConnection& connection) {
        for (size_t at = 0; at < payload.size(); at += 7) {
            connection.Send(payload.substr(at, 7));
            if (at % 140 == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
        connection.WaitForClose(5000);
    });
    ASSERT_TRUE(c.ok());
    DataBuffer received;
    received.Append("x", 1);
    SocketReadParams params;
    ASSERT_TRUE(c.socket.ReadN(1000, received, params, c.log));
    EXPECT_EQ(Text(received), "x" + payload.substr(0, 1000));
    unsigned char rest[400];
    uint32_t got = 0;
    ASSERT_TRUE(c.socket.ReadExact(rest, 400, got, params, c.log));
    EXPECT_EQ(got, 400u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rest), 400), payload.substr(1000));
    EXPECT_TRUE(c.socket.ReadN(0, received, params, c.log));
}

TEST(SocketTransfer, APeerThatClosesDuringAnExactReadLeavesNothingAppended) {
    Connected c([](ServerConnection& connection) { connection.Send("12345"); });
    ASSERT_TRUE(c.ok());
    DataBuffer received;
    SocketReadParams params;
    EXPECT_FALSE(c.socket.ReadN(10, received, params, c.log));
    EXPECT_EQ(received.GetSize(), 0u);
    EXPECT_TRUE(params.connectionClosed);
    EXPECT_FALSE(c.socket.IsConnected());
    EXPECT_FALSE(c.socket.HasSocket());
    EXPECT_TRUE(Contains(LogText(c.log), "Connection closed by server."));
}

TEST(SocketTransfer, ReadingToAnOutputKeepsWhatArrivedBeforeThePeerClosed) {
    Connected c([](ServerConnection& connection) { connection.Send("12345"); });
    ASSERT_TRUE(c.ok());
    MemoryOutput output;
    SocketReadParams params;
    EXPECT_FALSE(c.socket.ReadNToOutput(10, output, params, c.log, nullptr));
    EXPECT_EQ(Text(output.Buffer()), "12345");
    EXPECT_TRUE(params.connectionClosed);
}

TEST(SocketTransfer, HeaderBlocksAndLinesEndWhereTheyShould) {
    Connected c([](ServerConnection& connection) {
        connection.Send("A\r\n\r\nA\r\nB\nC\n\nrest");
        connection.WaitForClose(5000);
    });
    ASSERT_TRUE(c.ok());
    SocketReadParams params;
    DataBuffer block;
    ASSERT_TRUE(c.socket.ReadHeaderBlock(block, params, c.log));
    EXPECT_EQ(Text(block), "A\r\n\r\n");
    DataBuffer line;
    ASSERT_TRUE(c.socket.ReadCrlfLine(line, params, c.log));
    EXPECT_EQ(Text(line), "A\r\n");
    DataBuffer bare;
    ASSERT_TRUE(c.socket.ReadCrlfLine(bare, params, c.log));
    EXPECT_EQ(Text(bare), "B\nC\n\n");  // bare line feeds: the empty line ends it
    DataBuffer rest;
    ASSERT_TRUE(c.socket.ReadN(4, rest, params, c.log));
    EXPECT_EQ(Text(rest), "rest");
}

TEST(SocketTransfer, ReadUntilClosedTakesEverythingTheServerSends) {
    const std::string payload = Pattern(50000);
    Connected c([&](ServerConnection& connection) { connection.Send(payload); });
    ASSERT_TRUE(c.ok());
    MemoryOutput output;
    SocketReadParams params;
    EXPECT_TRUE(c.socket.ReadUntilClosed(output, 4096, params, c.log, nullptr));
    EXPECT_EQ(Text(output.Buffer()), payload);
    EXPECT_TRUE(params.connectionClosed);
    EXPECT_FALSE(c.socket.IsConnected());

    // Nothing to read: the result of the failed receive.
    MemoryOutput empty;
    EXPECT_FALSE(c.socket.ReadUntilClosed(empty, 4096, params, c.log, nullptr));
    EXPECT_TRUE(Contains(LogText(c.log), "This socket is not connected"));
}

TEST(SocketTransfer, ALargeSendToASlowReaderArrivesWhole) {
    const std::string payload = Pattern(3000000);
    std::string arrived;
    std::atomic<bool> done{false};
    Connected c([&](ServerConnection& connection) {
        connection.Pause(100);  // let the send block for a while
        arrived = connection.Receive(payload.size(), 5000);
        done = true;
    });
    ASSERT_TRUE(c.ok());
    SocketReadParams params;
    EXPECT_TRUE(c.socket.SendBytes2(reinterpret_cast<const unsigned char*>(payload.data()),
                                    static_cast<uint32_t>(payload.size()), 0, params, c.log));
    EXPECT_EQ(c.socket.LastSendError(), 0);
    ASSERT_TRUE(nettest::WaitUntil([&] { return done.load(); }, 6000));
    EXPECT_EQ(arrived.size(), payload.size());
    EXPECT_TRUE(arrived == payload);
}

TEST(SocketTransfer, ASendThatCannotProceedEndsAtTheIdleTimeOut) {
    Connected c([](ServerConnection& connection) { connection.Pause(5000); });
    ASSERT_TRUE(c.ok());
    c.socket.SetIdleTimeoutMs(300);
    const std::string payload = Pattern(16000000);  // far more than the buffers hold
    SocketReadParams params;
    const uint32_t start = platform::TickCount();
    EXPECT_FALSE(c.socket.SendBytes2(reinterpret_cast<const unsigned char*>(payload.data()),
                                     static_cast<uint32_t>(payload.size()), 0, params, c.log));
    EXPECT_LT(Since(start), 3000u);
    EXPECT_TRUE(params.timedOut);
    const std::string text = LogText(c.log);
    EXPECT_TRUE(Contains(text, "Socket send idle timeout"));
    EXPECT_TRUE(Contains(text, "idleTimeoutMs: 300"));

    QuorvelSocket unconnected;
    EXPECT_FALSE(
        unconnected.SendBytes2(reinterpret_cast<const unsigned char*>("x"), 1, 0, params, c.log));
    EXPECT_TRUE(Contains(LogText(c.log), "No socket exists for sending (2b)"));
}

TEST(SocketTransfer, AThrottledDownloadIsMeasurablySlower) {
    // The server paces its data over about 250 ms, longer than the throttle's first window.
    auto pacedServer = [](ServerConnection& connection) {
        const std::string piece = Pattern(10000);
        for (int i = 0; i < 10; ++i) {
            connection.Send(piece);
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        connection.WaitForClose(5000);
    };
    auto timedRead = [&](uint64_t limit, RecordingSink& sink) {
        Connected c(pacedServer);
        EXPECT_TRUE(c.ok());
        c.socket.DownloadThrottle().SetLimit(limit);
        c.socket.SetPerfMonitoring(true);
        c.socket.ResetPerfMonitors();
        ProgressMonitor monitor(&sink);
        SocketReadParams params(0, &monitor);
        DataBuffer received;
        const uint32_t start = platform::TickCount();
        EXPECT_TRUE(c.socket.ReadN(100000, received, params, c.log));
        return Since(start);
    };
    RecordingSink freeSink;
    RecordingSink throttledSink;
    const uint32_t unthrottled = timedRead(0, freeSink);
    const uint32_t throttled = timedRead(100000, throttledSink);  // 100 KB/s: about a second
    EXPECT_GT(throttled, 2 * unthrottled) << throttled << " ms against " << unthrottled << " ms";
    // The receive rate was reported while the data came in, with growing byte counts.
    ASSERT_FALSE(throttledSink.receiveRateBytes.empty());
    EXPECT_TRUE(std::is_sorted(throttledSink.receiveRateBytes.begin(),
                               throttledSink.receiveRateBytes.end()));
    EXPECT_LE(throttledSink.receiveRateBytes.back(), 100000u);
}

TEST(SocketTransfer, ReadUntilIdleAndDrainTakeWhatHasArrived) {
    Connected c([](ServerConnection& connection) {
        connection.Send("hello");
        connection.ReceiveUntil("go", 3000);
        connection.Send("abc");
        connection.WaitForClose(5000);
    });
    ASSERT_TRUE(c.ok());
    c.socket.SetIdleTimeoutMs(200);
    SocketReadParams params;
    DataBuffer idle;
    EXPECT_TRUE(c.socket.ReadUntilIdle(idle, params, c.log));
    EXPECT_EQ(Text(idle), "hello");
    EXPECT_TRUE(params.timedOut);
    EXPECT_TRUE(Contains(LogText(c.log), "WaitForData timed out."));

    DataBuffer drained;
    EXPECT_TRUE(c.socket.DrainAvailable(drained, params, c.log));  // nothing yet: no wait
    EXPECT_EQ(drained.GetSize(), 0u);
    ASSERT_TRUE(
        c.socket.SendBytes2(reinterpret_cast<const unsigned char*>("go"), 2, 0, params, c.log));
    EXPECT_TRUE(nettest::WaitUntil(
        [&] { return c.socket.DrainAvailable(drained, params, c.log) && drained.GetSize() == 3; },
        2000));
    EXPECT_EQ(Text(drained), "abc");
}

TEST(SocketTransfer, SendingWhileDrainingCollectsThePeersData) {
    const std::string payload = Pattern(100000);
    std::string arrived;
    std::atomic<bool> done{false};
    Connected c([&](ServerConnection& connection) {
        connection.Send("early reply");
        arrived = connection.Receive(payload.size(), 5000);
        done = true;
    });
    ASSERT_TRUE(c.ok());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    DataBuffer collected;
    SocketReadParams params;
    EXPECT_TRUE(c.socket.SendBytesDraining(reinterpret_cast<const unsigned char*>(payload.data()),
                                           static_cast<uint32_t>(payload.size()), 1000, 2, 8000,
                                           collected, params, c.log));
    EXPECT_EQ(Text(collected), "early reply");
    ASSERT_TRUE(nettest::WaitUntil([&] { return done.load(); }, 6000));
    EXPECT_TRUE(arrived == payload);
}

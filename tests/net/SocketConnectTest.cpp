#include <gtest/gtest.h>

#include <string>

#include "core/DataBuffer.h"
#include "core/Logger.h"
#include "core/ProgressMonitor.h"
#include "net/ConnectFailCode.h"
#include "net/QuorvelSocket.h"
#include "platform/Clock.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/LoopbackServer.h"

using nettest::Contains;
using nettest::LogText;
using nettest::RecordingSink;
using nettest::ScopedLookupService;
using nettest::ScriptedLookup;
using testsupport::LoopbackServer;
using testsupport::ServerConnection;

namespace {

// A server that accepts and holds the connection until the client closes.
LoopbackServer::Handler HoldOpen() {
    return [](ServerConnection& connection) { connection.WaitForClose(5000); };
}

struct ConnectOutcome {
    bool connected = false;
    bool dnsFailed = false;
    uint32_t elapsedMs = 0;
};

ConnectOutcome Connect(QuorvelSocket& socket, const char* host, int port, uint32_t heartbeatMs,
                       Logger& log, ProgressMonitor* monitor = nullptr) {
    ConnectOutcome outcome;
    const uint32_t start = platform::TickCount();
    outcome.connected =
        socket.SocketConnect(host, port, heartbeatMs, log, outcome.dnsFailed, monitor);
    outcome.elapsedMs = platform::TickCount() - start;
    return outcome;
}

}  // namespace

TEST(SocketConnect, ConnectsToLocalhostByNameInAnyLetterCase) {
    LoopbackServer server(HoldOpen());
    QuorvelSocket socket;
    Logger log;
    ASSERT_TRUE(Connect(socket, "  LOCALHOST ", server.Port(), 0, log).connected);
    EXPECT_TRUE(socket.IsConnected());
    EXPECT_STREQ(socket.RemoteIp().GetString(), "127.0.0.1");
    EXPECT_EQ(socket.ConnectFailReason(), kConnectNoFailure);
    const std::string text = LogText(log);
    EXPECT_TRUE(Contains(text, "calling ConnectSocket2"));
    EXPECT_TRUE(Contains(text, "myIP_3: 127.0.0.1"));
    EXPECT_TRUE(Contains(text, "connect successful."));

    StringBuffer ip;
    int port = 0;
    ASSERT_TRUE(socket.GetLocalAddress(ip, port, log));
    EXPECT_STREQ(ip.GetString(), "127.0.0.1");
    EXPECT_GT(port, 0);
    EXPECT_TRUE(socket.WaitWritableSeconds(1, log));
    socket.CloseSocket(log);
    EXPECT_FALSE(socket.IsConnected());
    EXPECT_FALSE(socket.WaitWritableSeconds(1, log));
    EXPECT_TRUE(Contains(LogText(log), "invalid socket, not ready for writing."));
}

TEST(SocketConnect, ARefusedConnectIsRetriedUntilTheConnectTimeOutIsUsedUp) {
    const int port = LoopbackServer::UnusedPort();
    for (uint32_t heartbeat : {0u, 50u}) {
        QuorvelSocket socket;
        socket.SetConnectTimeoutSeconds(1);
        Logger log;
        RecordingSink sink;
        ProgressMonitor monitor(&sink);
        const ConnectOutcome outcome = Connect(socket, "127.0.0.1", port, heartbeat, log, &monitor);
        EXPECT_FALSE(outcome.connected);
        EXPECT_FALSE(outcome.dnsFailed);
        EXPECT_GE(outcome.elapsedMs, 800u) << heartbeat;   // retried, 100 ms apart
        EXPECT_LT(outcome.elapsedMs, 2500u) << heartbeat;  // and not for ever
        EXPECT_FALSE(socket.IsConnected());
        const std::string text = LogText(log);
        if (heartbeat == 0) {
            EXPECT_EQ(socket.ConnectFailReason(), kConnectCallFailed);
            EXPECT_TRUE(Contains(text, "Connect function failed."));
            EXPECT_TRUE(Contains(text, "WSAECONNREFUSED No connection could be made"));
        } else {
            // The heartbeat path names the used-up budget.
            EXPECT_EQ(socket.ConnectFailReason(), kConnectTimedOut);
            EXPECT_TRUE(Contains(text, "Connect function failed"));
            EXPECT_TRUE(Contains(text, "ConnectTimeoutMs: 1000"));
        }
    }
}

TEST(SocketConnect, AZeroConnectTimeOutMakesOneBlockingAttempt) {
    QuorvelSocket socket;
    socket.SetConnectTimeoutSeconds(0);
    Logger log;
    const ConnectOutcome outcome =
        Connect(socket, "127.0.0.1", LoopbackServer::UnusedPort(), 0, log);
    EXPECT_FALSE(outcome.connected);
    EXPECT_LT(outcome.elapsedMs, 500u);
    EXPECT_EQ(socket.ConnectFailReason(), kConnectCallFailed);
    EXPECT_TRUE(Contains(LogText(log), "sockError: 10061"));

    LoopbackServer server(HoldOpen());
    Logger second;
    EXPECT_TRUE(Connect(socket, "127.0.0.1", server.Port(), 0, second).connected);
    EXPECT_TRUE(Contains(LogText(second), "myIP_4: 127.0.0.1"));  // connect itself completed it
}

TEST(SocketConnect, MissingHostsAndPortsFailBeforeAnyLookup) {
    struct Case {
        const char* host;
        int port;
        int reason;
        const char* logged;
    };
    const Case cases[] = {
        {nullptr, 80, kConnectNoHostName, "Cannot connect, hostname is NULL"},
        {" \r\n", 80, kConnectNoHostName, "Cannot connect, hostname is zero length"},
        {"127.0.0.1", 70000, kConnectCallFailed, "Cannot connect, invalid port number"},
    };
    for (const Case& c : cases) {
        QuorvelSocket socket;
        Logger log;
        EXPECT_FALSE(Connect(socket, c.host, c.port, 0, log).connected);
        EXPECT_EQ(socket.ConnectFailReason(), c.reason);
        EXPECT_TRUE(Contains(LogText(log), c.logged)) << c.logged;
    }
}

TEST(SocketConnect, TheHeartbeatPathReportsItsStepsToTheMonitor) {
    LoopbackServer server(HoldOpen());
    QuorvelSocket socket;
    Logger log;
    RecordingSink sink;
    ProgressMonitor monitor(&sink);
    ASSERT_TRUE(Connect(socket, "127.0.0.1", server.Port(), 50, log, &monitor).connected);
    const std::string where = "127.0.0.1:" + std::to_string(server.Port());
    EXPECT_EQ(sink.events,
              (std::vector<std::string>{"SocketConnect=" + where, "SocketConnected=" + where}));
    const std::string text = LogText(log);
    EXPECT_TRUE(Contains(text, "This is an IPV4 numeric address."));
    EXPECT_TRUE(Contains(text, "Hostname to IP address resolution not needed."));
    EXPECT_TRUE(Contains(text, "Connecting to IPV4 address."));
    EXPECT_TRUE(Contains(text, "myIP_5: 127.0.0.1"));
}

TEST(SocketConnect, LookupFailuresGiveTheirReasons) {
    auto service = std::make_shared<ScriptedLookup>();
    ScopedLookupService install(service);
    service->Answer("feed.test", "127.0.0.1");
    LoopbackServer server(HoldOpen());

    {  // the path without heartbeat asks for address information
        QuorvelSocket socket;
        Logger log;
        const ConnectOutcome outcome = Connect(socket, "nowhere.test", 80, 0, log);
        EXPECT_FALSE(outcome.connected);
        EXPECT_TRUE(outcome.dnsFailed);
        EXPECT_EQ(socket.ConnectFailReason(), kConnectLookupFailed);
        EXPECT_TRUE(Contains(LogText(log), "Failed to get host address info. (1)"));
    }
    {  // the heartbeat path resolves names on a worker thread
        QuorvelSocket socket;
        Logger log;
        RecordingSink sink;
        ProgressMonitor monitor(&sink);
        EXPECT_TRUE(Connect(socket, "feed.test", server.Port(), 50, log, &monitor).connected);
        EXPECT_TRUE(Contains(LogText(log), "Multi-threaded hostname to IP address resolution"));
        socket.CloseSocket(log);
    }
    {  // an abort during that lookup
        service->Hold();
        QuorvelSocket socket;
        Logger log;
        RecordingSink sink;
        sink.abortAfter = 0;
        ProgressMonitor monitor(&sink);
        const ConnectOutcome outcome = Connect(socket, "slow.test", 80, 50, log, &monitor);
        EXPECT_FALSE(outcome.connected);
        EXPECT_TRUE(outcome.dnsFailed);
        EXPECT_EQ(socket.ConnectFailReason(), kConnectAborted);
        service->Release();
    }
    EXPECT_TRUE(nettest::WaitUntil([&] { return service.use_count() == 2; }, 3000));
}

TEST(SocketConnect, WithoutAddressInformationTheIpv4PathsResolveWithRetries) {
    auto service = std::make_shared<ScriptedLookup>();
    ScopedLookupService install(service);
    service->SetAddressInfoAvailable(false);
    service->Answer("www.feed.test", "127.0.0.1");
    LoopbackServer server(HoldOpen(), 2);
    for (uint32_t heartbeat : {0u, 50u}) {
        QuorvelSocket socket;
        Logger log;
        RecordingSink sink;
        ProgressMonitor monitor(&sink);
        EXPECT_TRUE(Connect(socket, "feed.test", server.Port(), heartbeat, log, &monitor).connected)
            << heartbeat;
        EXPECT_STREQ(socket.RemoteIp().GetString(), "127.0.0.1");
        EXPECT_EQ(Contains(LogText(log), "myIP_1: 127.0.0.1"), heartbeat == 0);
        socket.CloseSocket(log);

        Logger failed;
        const ConnectOutcome outcome = Connect(socket, "a.b.test", 80, heartbeat, failed, &monitor);
        EXPECT_FALSE(outcome.connected);
        EXPECT_TRUE(outcome.dnsFailed);
        EXPECT_EQ(socket.ConnectFailReason(), kConnectLookupFailed);
        EXPECT_TRUE(Contains(LogText(failed), "Cannot get host by name."));
        EXPECT_EQ(Contains(LogText(failed), "Cannot get host by name.."), heartbeat == 0);
    }
    EXPECT_TRUE(nettest::WaitUntil([&] { return service.use_count() == 2; }, 3000));
}

TEST(SocketConnect, AFirstAddressThatIsNotTcpFallsBackToTheIpv4Path) {
    auto service = std::make_shared<ScriptedLookup>();
    ScopedLookupService install(service);
    service->SetRecordProtocol(17);
    service->Answer("feed.test", "127.0.0.1");
    LoopbackServer server(HoldOpen());
    QuorvelSocket socket;
    Logger log;
    ASSERT_TRUE(Connect(socket, "feed.test", server.Port(), 0, log).connected);
    const std::string text = LogText(log);
    EXPECT_TRUE(Contains(text, "ai_protocol: 17"));
    EXPECT_TRUE(Contains(text, "IPV4_retry:"));
    EXPECT_TRUE(Contains(text, "myIP_1: 127.0.0.1"));
}

TEST(SocketConnect, BindsToTheConfiguredLocalAddress) {
    LoopbackServer server(HoldOpen());
    QuorvelSocket socket;
    socket.SetBindAddress(" 127.0.0.1 ", 0);
    Logger log;
    ASSERT_TRUE(Connect(socket, "127.0.0.1", server.Port(), 0, log).connected);
    EXPECT_TRUE(Contains(LogText(log), "BindIpAddr: 127.0.0.1"));

    QuorvelSocket unbindable;
    unbindable.SetBindAddress("not-an-address", 0);
    Logger failed;
    EXPECT_FALSE(Connect(unbindable, "127.0.0.1", server.Port(), 0, failed).connected);
    EXPECT_EQ(unbindable.ConnectFailReason(), kConnectSocketFailed);
    EXPECT_TRUE(Contains(LogText(failed), "Failed to bind to local IP address"));
    EXPECT_TRUE(Contains(LogText(failed), "Cannot connect, invalid socket (2)"));
}

TEST(SocketConnect, TakingOverMovesTheConnectionAndItsTimeOuts) {
    LoopbackServer server([](ServerConnection& connection) {
        connection.Send("hi");
        connection.WaitForClose(5000);
    });
    QuorvelSocket temporary;
    temporary.SetIdleTimeoutMs(1234);
    Logger log;
    ASSERT_TRUE(Connect(temporary, "127.0.0.1", server.Port(), 0, log).connected);
    QuorvelSocket owner;
    owner.TakeOverConnection(temporary);
    EXPECT_FALSE(temporary.IsConnected());
    EXPECT_FALSE(temporary.HasSocket());
    EXPECT_TRUE(owner.IsConnected());
    EXPECT_EQ(owner.IdleTimeoutMs(), 1234u);
    EXPECT_STREQ(owner.RemoteIp().GetString(), "127.0.0.1");
    DataBuffer received;
    SocketReadParams params;
    ASSERT_TRUE(owner.ReadN(2, received, params, log));
    EXPECT_TRUE(received.Equals("hi", 2));
}

TEST(QuorvelSocket, SettingsKeepTheirRules) {
    QuorvelSocket first;
    QuorvelSocket second;
    EXPECT_NE(first.InstanceId(), second.InstanceId());
    EXPECT_EQ(first.IdleTimeoutMs(), 30000u);
    EXPECT_EQ(first.ConnectTimeoutMs(), 7000u);
    first.SetIdleTimeoutMs(0);
    EXPECT_EQ(first.IdleTimeoutMs(), 21600000u);  // six hours
    first.SetConnectTimeoutSeconds(10);
    EXPECT_EQ(first.ConnectTimeoutMs(), 10000u);
    EXPECT_EQ(QuorvelSocket::SendChunkSize(0), 32767u);
    EXPECT_EQ(QuorvelSocket::SendChunkSize(500), 1000u);
    EXPECT_EQ(QuorvelSocket::SendChunkSize(4000), 4000u);
    EXPECT_EQ(QuorvelSocket::SendChunkSize(3000000), 2000000u);
}

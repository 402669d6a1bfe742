#pragma once
// A TCP server on 127.0.0.1 for the socket tests. It listens on a free port, accepts
// connections on a thread of its own and runs the test's handler for each one, in turn. Every
// wait of the handler side is bounded, and destroying the server stops it.

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace testsupport {

class ServerConnection {
public:
    ServerConnection(int fd, const std::atomic<bool>& stopping) : fd_(fd), stopping_(stopping) {}
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    bool Send(const std::string& bytes);
    // Up to `count` bytes: what arrives within timeoutMs (less when the client closes).
    std::string Receive(size_t count, int timeoutMs);
    // Bytes until `end` has arrived (included), the client closes, or timeoutMs pass.
    std::string ReceiveUntil(const std::string& end, int timeoutMs);
    // Waits until the client closes (true) or timeoutMs pass; data that arrives is dropped.
    bool WaitForClose(int timeoutMs);
    // Waits timeoutMs (or until the server stops) without reading anything.
    void Pause(int timeoutMs);
    void Close();
    bool Stopping() const { return stopping_.load(); }

private:
    // Waits for data in short steps; false on time-out or when the server stops.
    bool WaitReadable(int timeoutMs);

    int fd_;
    const std::atomic<bool>& stopping_;
};

class LoopbackServer {
public:
    using Handler = std::function<void(ServerConnection&)>;

    // maxConnections: how many connections are served before the server stops accepting.
    explicit LoopbackServer(Handler handler, int maxConnections = 1);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return port_; }
    int Accepted() const { return accepted_.load(); }

    // A loopback port on which nothing listens.
    static int UnusedPort();

private:
    void Serve(int maxConnections);

    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> accepted_{0};
    std::thread thread_;
};

}  // namespace testsupport

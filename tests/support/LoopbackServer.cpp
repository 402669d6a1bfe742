#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <chrono>
#include <stdexcept>

namespace testsupport {
namespace {

constexpr int kStepMs = 20;

int ListenOnLoopback(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        throw std::runtime_error("bind failed");
    }
    port = ntohs(address.sin_port);
    return fd;
}

bool PollFor(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    return poll(&entry, 1, timeoutMs) > 0;
}

}  // namespace

ServerConnection::~ServerConnection() {
    Close();
}

void ServerConnection::Close() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

bool ServerConnection::Send(const std::string& bytes) {
    size_t sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        const ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return fd_ >= 0;
}

bool ServerConnection::WaitReadable(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fd_ >= 0 && !Stopping()) {
        if (PollFor(fd_, POLLIN, kStepMs)) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
    }
    return false;
}

std::string ServerConnection::Receive(size_t count, int timeoutMs) {
    std::string out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < count) {
        const int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              end - std::chrono::steady_clock::now())
                                              .count());
        if (left <= 0 || !WaitReadable(left)) {
            break;
        }
        char buffer[65536];
        const ssize_t n = recv(fd_, buffer, std::min(sizeof buffer, count - out.size()), 0);
        if (n <= 0) {
            break;
        }
        out.append(buffer, static_cast<size_t>(n));
    }
    return out;
}

std::string ServerConnection::ReceiveUntil(const std::string& endText, int timeoutMs) {
    std::string out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.find(endText) == std::string::npos) {
        const int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              end - std::chrono::steady_clock::now())
                                              .count());
        if (left <= 0 || !WaitReadable(left)) {
            break;
        }
        char c;
        if (recv(fd_, &c, 1, 0) != 1) {
            break;
        }
        out.push_back(c);
    }
    return out;
}

bool ServerConnection::WaitForClose(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fd_ >= 0 && !Stopping() && std::chrono::steady_clock::now() < end) {
        if (!PollFor(fd_, POLLIN, kStepMs)) {
            continue;
        }
        char buffer[4096];
        if (recv(fd_, buffer, sizeof buffer, 0) <= 0) {
            return true;
        }
    }
    return false;
}

void ServerConnection::Pause(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!Stopping() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
    }
}

LoopbackServer::LoopbackServer(Handler handler, int maxConnections) : handler_(std::move(handler)) {
    listenFd_ = ListenOnLoopback(port_);
    if (listen(listenFd_, 8) != 0) {
        close(listenFd_);
        throw std::runtime_error("listen failed");
    }
    thread_ = std::thread([this, maxConnections] { Serve(maxConnections); });
}

LoopbackServer::~LoopbackServer() {
    stopping_.store(true);
    thread_.join();
    close(listenFd_);
}

void LoopbackServer::Serve(int maxConnections) {
    while (!stopping_.load() && accepted_.load() < maxConnections) {
        if (!PollFor(listenFd_, POLLIN, kStepMs)) {
            continue;
        }
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        ++accepted_;
        ServerConnection connection(fd, stopping_);
        handler_(connection);
    }
}

int LoopbackServer::UnusedPort() {
    int port = 0;
    close(ListenOnLoopback(port));
    return port;
}

}  // namespace testsupport

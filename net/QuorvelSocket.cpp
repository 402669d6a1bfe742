// QuorvelSocket: construction, settings, socket creation, closing and taking over a connection.

#include "net/QuorvelSocket.h"

#include <atomic>

#include "core/LogBase.h"
#include "net/IpAddressText.h"
#include "net/SocketErrorText.h"

namespace {

std::atomic<int> instanceCounter{0};
std::atomic<bool> socketLibraryStarted{false};

constexpr uint32_t kSmallestBufferSize = 1000;
constexpr uint32_t kLargestBufferSize = 2000000;

bool UsableBufferSize(uint32_t size) {
    return size >= kSmallestBufferSize && size < kLargestBufferSize;
}

}  // namespace

QuorvelSocket::QuorvelSocket() : instanceId_(++instanceCounter) {
    if (!socketLibraryStarted.load()) {
        LogNull quiet;
        startupWSA(quiet);
    }
}

QuorvelSocket::~QuorvelSocket() {
    LogNull quiet;
    CloseSocket(quiet);
}

bool QuorvelSocket::startupWSA(LogBase&) {
    // POSIX sockets are ready in every process; only the flag of a started library remains.
    socketLibraryStarted.store(true);
    return true;
}

void QuorvelSocket::SetBindAddress(const char* ip, int port) {
    bindIp_.SetString(ip);
    bindIp_.Trim();
    bindPort_ = port;
}

void QuorvelSocket::SetBufferSizes(uint32_t sendSize, uint32_t receiveSize) {
    sendBufferSize_ = sendSize;
    receiveBufferSize_ = receiveSize;
}

void QuorvelSocket::ResetPerfMonitors() {
    sendMonitor_.Reset();
    receiveMonitor_.Reset();
}

bool QuorvelSocket::IsConnected() {
    if (handle_ == platform::kInvalidSocket) {
        isConnected_ = false;
    }
    return isConnected_;
}

void QuorvelSocket::ApplyBufferSizes() {
    if (handle_ == platform::kInvalidSocket) {
        return;
    }
    platform::SetSocketBufferSizes(handle_, UsableBufferSize(sendBufferSize_) ? sendBufferSize_ : 0,
                                   UsableBufferSize(receiveBufferSize_) ? receiveBufferSize_ : 0);
}

bool QuorvelSocket::createSocket(LogBase& log, bool bindIfConfigured) {
    CloseSocket(log);
    platform::SocketStatus status;
    handle_ = platform::CreateSocket(platform::kFamilyIpv4, platform::kSocketStream,
                                     platform::kProtocolTcp, status);
    if (handle_ == platform::kInvalidSocket) {
        lastError_ = status.code;
        ExplainSocketError(status.code, log);
        log.AddError("Failed to create TCP socket (AF_INET / SOCK_STREAM)");
        return false;
    }
    addressFamily_ = platform::kFamilyIpv4;
    ApplyBufferSizes();
    return !bindIfConfigured || BindIfConfigured(log);
}

bool QuorvelSocket::createSocket_ipv6(const platform::AddressRecord* record, LogBase& log,
                                      bool bindIfConfigured) {
    if (!record) {
        log.AddError("NULL pointer passed to createSocket_ipv6");
        return false;
    }
    CloseSocket(log);
    platform::SocketStatus status;
    handle_ = platform::CreateSocket(record->family, record->socketType, record->protocol, status);
    if (handle_ == platform::kInvalidSocket) {
        lastError_ = status.code;
        log.AddDataInt("ai_family", record->family);
        log.AddDataInt("ai_socktype", record->socketType);
        log.AddDataInt("ai_protocol", record->protocol);
        ExplainSocketError(status.code, log);
        return false;
    }
    addressFamily_ = record->family;
    ApplyBufferSizes();
    return !bindIfConfigured || BindIfConfigured(log);
}

bool QuorvelSocket::BindIfConfigured(LogBase& log) {
    if (bindIp_.IsEmpty() && bindPort_ == 0) {
        return true;
    }
    log.AddData("BindIpAddr", bindIp_.GetString());
    if (bindPort_ != 0) {
        log.AddDataInt("BindPort", bindPort_);
    }
    platform::SocketAddress local;
    local.family = platform::kFamilyIpv4;
    local.port = static_cast<uint16_t>(bindPort_);
    platform::SocketStatus status;
    bool bound = false;
    {
        LogContext context(log, "ClientBindIP");
        log.AddData("ipAddr", bindIp_.GetString());
        log.AddDataInt("port", bindPort_);
        const bool numeric = bindIp_.IsEmpty() || ParseIpv4Text(bindIp_.GetString(), local.bytes);
        if (!numeric || bindPort_ < 0 || bindPort_ > 65535) {
            status.code = 10049;  // WSAEADDRNOTAVAIL: not an address of this machine
        } else {
            bound = platform::BindSocket(handle_, local, status);
        }
    }
    if (!bound) {
        lastError_ = status.code;
        ExplainSocketError(status.code, log);
        log.AddError("Failed to bind to local IP address");
        CloseSocket(log);
    }
    return bound;
}

void QuorvelSocket::CloseSocket(LogBase&) {
    if (handle_ != platform::kInvalidSocket) {
        platform::CloseSocketHandle(handle_);
        handle_ = platform::kInvalidSocket;
    }
    isConnected_ = false;
}

void QuorvelSocket::TakeOverConnection(QuorvelSocket& other) {
    if (&other == this) {
        return;
    }
    LogNull quiet;
    CloseSocket(quiet);
    handle_ = other.handle_;
    addressFamily_ = other.addressFamily_;
    isConnected_ = other.isConnected_;
    lastSendError_ = other.lastSendError_;
    idleTimeoutMs_ = other.idleTimeoutMs_;
    connectTimeoutMs_ = other.connectTimeoutMs_;
    remoteIp_.SetString(other.remoteIp_);
    connectFailReason_ = other.connectFailReason_;
    other.handle_ = platform::kInvalidSocket;
    other.isConnected_ = false;
    ApplyBufferSizes();
}

bool QuorvelSocket::GetLocalAddress(StringBuffer& ipText, int& port, LogBase& log) {
    ipText.Clear();
    port = 0;
    if (handle_ == platform::kInvalidSocket) {
        log.AddError("Cannot get socket name: INVALID_SOCKET.");
        return false;
    }
    platform::SocketAddress local;
    platform::SocketStatus status;
    if (!platform::LocalSocketAddress(handle_, local, status)) {
        log.AddError(addressFamily_ == platform::kFamilyIpv6 ? "Failed to getsockname ipv6"
                                                             : "Failed to getsockname");
        ExplainSocketError(status.code, log);
        return false;
    }
    FormatAddress(local.family, local.bytes, ipText);
    port = local.port;
    return true;
}

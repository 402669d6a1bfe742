#include "platform/Sockets.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/Clock.h"

namespace platform {
namespace {

// errno values and the Windows Sockets numbers that stand for them.
int WindowsSocketError(int error) {
    switch (error) {
        case 0: return 0;
        case EINTR: return 10004;
        case EBADF: return 10009;
        case EACCES: case EPERM: return 10013;
        case EFAULT: return 10014;
        case EINVAL: return 10022;
        case EMFILE: case ENFILE: return 10024;
        case EAGAIN: case EINPROGRESS: return kErrorWouldBlock;
        case EALREADY: return 10037;
        case ENOTSOCK: return 10038;
        case EDESTADDRREQ: return 10039;
        case EMSGSIZE: return 10040;
        case EPROTOTYPE: return 10041;
        case ENOPROTOOPT: return 10042;
        case EPROTONOSUPPORT: return 10043;
        case ESOCKTNOSUPPORT: return 10044;
        case EOPNOTSUPP: return 10045;
        case EPFNOSUPPORT: return 10046;
        case EAFNOSUPPORT: return 10047;
        case EADDRINUSE: return 10048;
        case EADDRNOTAVAIL: return 10049;
        case ENETDOWN: return 10050;
        case ENETUNREACH: return 10051;
        case ENETRESET: return 10052;
        case ECONNABORTED: return 10053;
        case ECONNRESET: case EPIPE: return 10054;
        case ENOBUFS: case ENOMEM: return 10055;
        case EISCONN: return 10056;
        case ENOTCONN: return 10057;
        case ESHUTDOWN: return 10058;
        case ETIMEDOUT: return 10060;
        case ECONNREFUSED: return kErrorConnectionRefused;
        case EHOSTDOWN: return 10064;
        case EHOSTUNREACH: return 10065;
        default: return 10000 + error;  // no Windows counterpart: still a distinct number
    }
}

// getaddrinfo's results and the Windows Sockets numbers that stand for them.
int WindowsLookupError(int result) {
    switch (result) {
        case EAI_NONAME: return kErrorHostNotFound;
        case EAI_AGAIN: return 11002;   // WSATRY_AGAIN
        case EAI_FAIL: return 11003;    // WSANO_RECOVERY
#ifdef EAI_NODATA
        case EAI_NODATA: return 11004;  // WSANO_DATA
#endif
        case EAI_FAMILY: return 10047;
        case EAI_SOCKTYPE: return 10044;
        case EAI_SERVICE: return 10109;  // WSATYPE_NOT_FOUND
        case EAI_MEMORY: return 8;       // WSA_NOT_ENOUGH_MEMORY
        case EAI_BADFLAGS: return 10022;
        case EAI_SYSTEM: return WindowsSocketError(errno);
        default: return kErrorHostNotFound;
    }
}

void SetFromErrno(SocketStatus& status) {
    status.systemCode = errno;
    status.code = WindowsSocketError(errno);
}

int SystemFamily(int family) {
    switch (family) {
        case kFamilyIpv4: return AF_INET;
        case kFamilyIpv6: return AF_INET6;
        default: return AF_UNSPEC;
    }
}

int WindowsFamily(int family) {
    switch (family) {
        case AF_INET: return kFamilyIpv4;
        case AF_INET6: return kFamilyIpv6;
        default: return family;
    }
}

socklen_t ToSystemAddress(const SocketAddress& address, sockaddr_storage& out) {
    std::memset(&out, 0, sizeof out);
    if (address.family == kFamilyIpv6) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&out);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(address.port);
        in6->sin6_scope_id = address.scopeId;
        std::memcpy(&in6->sin6_addr, address.bytes, 16);
        return sizeof(sockaddr_in6);
    }
    auto* in4 = reinterpret_cast<sockaddr_in*>(&out);
    in4->sin_family = AF_INET;
    in4->sin_port = htons(address.port);
    std::memcpy(&in4->sin_addr, address.bytes, 4);
    return sizeof(sockaddr_in);
}

bool FromSystemAddress(const sockaddr* in, SocketAddress& out) {
    out = SocketAddress{};
    if (in->sa_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(in);
        out.family = kFamilyIpv6;
        out.port = ntohs(in6->sin6_port);
        out.scopeId = in6->sin6_scope_id;
        std::memcpy(out.bytes, &in6->sin6_addr, 16);
        return true;
    }
    if (in->sa_family == AF_INET) {
        const auto* in4 = reinterpret_cast<const sockaddr_in*>(in);
        out.family = kFamilyIpv4;
        out.port = ntohs(in4->sin_port);
        std::memcpy(out.bytes, &in4->sin_addr, 4);
        return true;
    }
    return false;
}

// The error a failed connect left on the socket (reading it clears it).
int PendingSocketError(SocketHandle handle) {
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        return errno;
    }
    return error;
}

}  // namespace

SocketHandle CreateSocket(int family, int socketType, int protocol, SocketStatus& status) {
    status = SocketStatus{};
    const int type = socketType == kSocketStream ? SOCK_STREAM : socketType;
    const SocketHandle handle = socket(SystemFamily(family), type | SOCK_CLOEXEC, protocol);
    if (handle < 0) {
        SetFromErrno(status);
        return kInvalidSocket;
    }
    return handle;
}

void CloseSocketHandle(SocketHandle handle) {
    if (handle == kInvalidSocket) {
        return;
    }
    shutdown(handle, SHUT_RDWR);
    close(handle);
}

bool SetSocketBlocking(SocketHandle handle, bool blocking) {
    const int flags = fcntl(handle, F_GETFL, 0);
    if (flags < 0) {
        return false;
    }
    const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return wanted == flags || fcntl(handle, F_SETFL, wanted) == 0;
}

void SetSocketBufferSizes(SocketHandle handle, uint32_t sendSize, uint32_t receiveSize) {
    if (sendSize != 0) {
        const int size = static_cast<int>(sendSize);
        setsockopt(handle, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    }
    if (receiveSize != 0) {
        const int size = static_cast<int>(receiveSize);
        setsockopt(handle, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
}

bool BindSocket(SocketHandle handle, const SocketAddress& address, SocketStatus& status) {
    status = SocketStatus{};
    sockaddr_storage system;
    const socklen_t length = ToSystemAddress(address, system);
    if (bind(handle, reinterpret_cast<sockaddr*>(&system), length) != 0) {
        SetFromErrno(status);
        return false;
    }
    return true;
}

bool ConnectSocket(SocketHandle handle, const SocketAddress& address, bool again,
                   SocketStatus& status) {
    status = SocketStatus{};
    if (again) {
        // After a failed attempt the kernel keeps the socket tied to it; connecting to an
        // unspecified address dissolves that, so the socket can connect afresh.
        sockaddr unspecified{};
        unspecified.sa_family = AF_UNSPEC;
        connect(handle, &unspecified, sizeof unspecified);
    }
    sockaddr_storage system;
    const socklen_t length = ToSystemAddress(address, system);
    if (connect(handle, reinterpret_cast<sockaddr*>(&system), length) != 0) {
        SetFromErrno(status);
        return false;
    }
    return true;
}

bool LocalSocketAddress(SocketHandle handle, SocketAddress& address, SocketStatus& status) {
    status = SocketStatus{};
    sockaddr_storage system{};
    socklen_t length = sizeof system;
    if (getsockname(handle, reinterpret_cast<sockaddr*>(&system), &length) != 0) {
        SetFromErrno(status);
        return false;
    }
    if (!FromSystemAddress(reinterpret_cast<sockaddr*>(&system), address)) {
        status.code = 10047;
        return false;
    }
    return true;
}

WaitOutcome WaitOnSocket(SocketHandle handle, SocketWait what, uint32_t timeoutMs,
                         SocketStatus& status) {
    status = SocketStatus{};
    pollfd entry{};
    entry.fd = handle;
    entry.events = what == SocketWait::Read ? POLLIN : POLLOUT;
    const uint32_t start = TickCount();
    for (;;) {
        const uint32_t used = TickCount() - start;
        const uint32_t left = used >= timeoutMs ? 0 : timeoutMs - used;
        const int ready = poll(&entry, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            SetFromErrno(status);
            return WaitOutcome::Failed;
        }
        if (ready == 0) {
            return WaitOutcome::TimedOut;
        }
        break;
    }
    if (entry.revents & POLLNVAL) {
        status.code = 10038;  // not a socket
        return WaitOutcome::Failed;
    }
    if (what == SocketWait::Connect) {
        const int pending = PendingSocketError(handle);
        if (pending != 0 || (entry.revents & (POLLERR | POLLHUP))) {
            status.systemCode = pending;
            status.code = pending ? WindowsSocketError(pending) : kErrorConnectionRefused;
            return WaitOutcome::Refused;
        }
    }
    // A socket with an error or a closed peer counts as ready: the next transfer reports it.
    return WaitOutcome::Ready;
}

long SendOnSocket(SocketHandle handle, const void* data, size_t count, SocketStatus& status) {
    status = SocketStatus{};
    ssize_t sent;
    do {
        sent = send(handle, data, count, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0) {
        SetFromErrno(status);
        return -1;
    }
    return static_cast<long>(sent);
}

long ReceiveFromSocket(SocketHandle handle, void* buffer, size_t count, bool dontWait,
                       SocketStatus& status) {
    status = SocketStatus{};
    ssize_t received;
    do {
        received = recv(handle, buffer, count, dontWait ? MSG_DONTWAIT : 0);
    } while (received < 0 && errno == EINTR);
    if (received < 0) {
        SetFromErrno(status);
        return -1;
    }
    return static_cast<long>(received);
}

bool LookupIpv4Address(const std::string& name, unsigned char address[4]) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) {
        return false;
    }
    const auto* in4 = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    std::memcpy(address, &in4->sin_addr, 4);
    freeaddrinfo(found);
    return true;
}

int LookupAddressInfo(const std::string& host, const std::string& port, const AddressHints& hints,
                      std::vector<AddressRecord>& records) {
    records.clear();
    addrinfo request{};
    request.ai_family = SystemFamily(hints.family);
    request.ai_socktype = hints.socketType == kSocketStream ? SOCK_STREAM : hints.socketType;
    request.ai_flags = hints.numericHost ? AI_NUMERICHOST : 0;
    addrinfo* found = nullptr;
    const int result = getaddrinfo(host.c_str(), port.c_str(), &request, &found);
    if (result != 0) {
        return WindowsLookupError(result);
    }
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        AddressRecord record;
        if (!entry->ai_addr || !FromSystemAddress(entry->ai_addr, record.address)) {
            continue;
        }
        record.family = WindowsFamily(entry->ai_family);
        record.socketType = entry->ai_socktype == SOCK_STREAM ? kSocketStream : entry->ai_socktype;
        record.protocol = entry->ai_protocol;
        records.push_back(record);
    }
    freeaddrinfo(found);
    return records.empty() ? kErrorHostNotFound : 0;
}

}  // namespace platform

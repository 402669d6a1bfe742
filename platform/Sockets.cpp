#include "platform/Sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/Clock.h"

namespace platform {
namespace {

struct ErrorPair {
    int system;
    int windows;
};

// errno values and the Windows Sockets numbers that stand for them.
constexpr ErrorPair kSocketErrors[] = {
    {EINTR, 10004},
    {EBADF, 10009},
    {EACCES, 10013},
    {EPERM, 10013},
    {EFAULT, 10014},
    {EINVAL, 10022},
    {EMFILE, 10024},
    {ENFILE, 10024},
    {EAGAIN, kErrorWouldBlock},
    {EINPROGRESS, kErrorWouldBlock},
    {EALREADY, 10037},
    {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039},
    {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, 10043},
    {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},
    {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, 10047},
    {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},
    {ENETUNREACH, 10051},
    {ENETRESET, 10052},
    {ECONNABORTED, 10053},
    {ECONNRESET, 10054},
    {EPIPE, 10054},
    {ENOBUFS, 10055},
    {ENOMEM, 10055},
    {EISCONN, 10056},
    {ENOTCONN, 10057},
    {ESHUTDOWN, 10058},
    {ETIMEDOUT, 10060},
    {ECONNREFUSED, kErrorConnectionRefused},
    {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},
};

// getaddrinfo's results and the Windows Sockets numbers that stand for them.
constexpr ErrorPair kLookupErrors[] = {
    {EAI_NONAME, kErrorHostNotFound},
    {EAI_AGAIN, 11002},  // WSATRY_AGAIN
    {EAI_FAIL, 11003},   // WSANO_RECOVERY
    {EAI_FAMILY, 10047},
    {EAI_SOCKTYPE, 10044},
    {EAI_SERVICE, 10109},  // WSATYPE_NOT_FOUND
    {EAI_MEMORY, 8},       // WSA_NOT_ENOUGH_MEMORY
    {EAI_BADFLAGS, 10022},
};

int WindowsSocketError(int error) {
    if (error == 0) {
        return 0;
    }
    for (const ErrorPair& pair : kSocketErrors) {
        if (pair.system == error) {
            return pair.windows;
        }
    }
    return 10000 + error;  // no Windows counterpart: still a distinct number
}

int WindowsLookupError(int result) {
    if (result == EAI_SYSTEM) {
        return WindowsSocketError(errno);
    }
    for (const ErrorPair& pair : kLookupErrors) {
        if (pair.system == result) {
            return pair.windows;
        }
    }
    return kErrorHostNotFound;
}

void SetFromErrno(SocketStatus& status) {
    status.systemCode = errno;
    status.code = WindowsSocketError(errno);
}

int SystemFamily(int family) {
    switch (family) {
        case kFamilyIpv4:
            return AF_INET;
        case kFamilyIpv6:
            return AF_INET6;
        default:
            return AF_UNSPEC;
    }
}

int WindowsFamily(int family) {
    switch (family) {
        case AF_INET:
            return kFamilyIpv4;
        case AF_INET6:
            return kFamilyIpv6;
        default:
            return family;
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

bool PeerHasClosed(SocketHandle handle) {
    pollfd entry{};
    entry.fd = handle;
    entry.events = POLLIN;
    int ready;
    do {
        ready = poll(&entry, 1, 0);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) {
        return false;  // nothing to read: the connection is quiet, not closed
    }
    unsigned char byte = 0;
    ssize_t peeked;
    do {
        peeked = recv(handle, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    } while (peeked < 0 && errno == EINTR);
    return peeked == 0 || (peeked < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
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

#pragma once
// TCP sockets and name lookups over POSIX. The library above was written against Windows
// Sockets, so this layer speaks its language: address families, socket types and error numbers
// are the Windows numbers (IPv4 is family 2, IPv6 family 23, "would block" is 10035), and every
// failure reports both that number and the operating system's own error number (for its text).
//
// Sends never raise SIGPIPE (MSG_NOSIGNAL). A connect that failed on a socket can be started
// again on the same socket (the kernel's stale association is dissolved first). Waits use poll.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using SocketHandle = int;
constexpr SocketHandle kInvalidSocket = -1;

// Numbers as Windows Sockets gives them.
constexpr int kFamilyUnspecified = 0;
constexpr int kFamilyIpv4 = 2;
constexpr int kFamilyIpv6 = 23;
constexpr int kSocketStream = 1;
constexpr int kProtocolTcp = 6;

constexpr int kErrorInvalidArgument = 10022;    // WSAEINVAL
constexpr int kErrorWouldBlock = 10035;         // WSAEWOULDBLOCK (also "connect in progress")
constexpr int kErrorConnectionRefused = 10061;  // WSAECONNREFUSED
constexpr int kErrorHostNotFound = 11001;       // WSAHOST_NOT_FOUND

// The outcome of one call: code 0, or the Windows Sockets number of the failure together with
// the operating system's error number (0 when the failure did not come from errno).
struct SocketStatus {
    int code = 0;
    int systemCode = 0;
};

// An IPv4 or IPv6 address with its port.
struct SocketAddress {
    int family = kFamilyIpv4;
    unsigned char bytes[16] = {};  // 4 bytes for IPv4, 16 for IPv6
    uint16_t port = 0;
    uint32_t scopeId = 0;  // IPv6 only
};

// One entry of an address lookup (getaddrinfo's addrinfo record).
struct AddressRecord {
    int family = kFamilyIpv4;
    int socketType = kSocketStream;
    int protocol = kProtocolTcp;
    SocketAddress address;
};

// What an address lookup asks for: a family (0 = any), a socket type, and whether the host
// must be a numeric address.
struct AddressHints {
    int family = kFamilyUnspecified;
    int socketType = kSocketStream;
    bool numericHost = false;
};

// --- sockets
SocketHandle CreateSocket(int family, int socketType, int protocol, SocketStatus& status);
// Shuts both directions down and closes the handle. Accepts kInvalidSocket.
void CloseSocketHandle(SocketHandle handle);
bool SetSocketBlocking(SocketHandle handle, bool blocking);
// SO_SNDBUF / SO_RCVBUF; a size of 0 leaves that buffer alone.
void SetSocketBufferSizes(SocketHandle handle, uint32_t sendSize, uint32_t receiveSize);
bool BindSocket(SocketHandle handle, const SocketAddress& address, SocketStatus& status);
// Starts (non-blocking socket) or completes (blocking socket) a connect. True when connected at
// once; otherwise the status holds the reason, kErrorWouldBlock while it is still in progress.
// `again` tells that an earlier attempt on this socket failed, so its association is dissolved.
bool ConnectSocket(SocketHandle handle, const SocketAddress& address, bool again,
                   SocketStatus& status);
bool LocalSocketAddress(SocketHandle handle, SocketAddress& address, SocketStatus& status);

// --- waiting
enum class SocketWait {
    Read,     // data (or the peer's close) can be read
    Write,    // data can be sent
    Connect,  // a connect in progress has completed or failed
};
enum class WaitOutcome {
    Ready,
    Refused,  // Connect only: the connect failed; the status holds why
    TimedOut,
    Failed,  // the wait itself failed; the status holds why
};
WaitOutcome WaitOnSocket(SocketHandle handle, SocketWait what, uint32_t timeoutMs,
                         SocketStatus& status);

// --- transfers: the number of bytes, or -1 with the status set (kErrorWouldBlock when a
// non-blocking call found nothing to do). A receive of 0 bytes means the peer closed.
long SendOnSocket(SocketHandle handle, const void* data, size_t count, SocketStatus& status);
long ReceiveFromSocket(SocketHandle handle, void* buffer, size_t count, bool dontWait,
                       SocketStatus& status);
// Whether the peer has already closed the connection (or reset it), found without waiting and
// without taking any byte from the connection: false while it is open, with or without data
// waiting.
bool PeerHasClosed(SocketHandle handle);

// --- name lookups
// The first IPv4 address of a name (the gethostbyname stand-in). Numeric texts are accepted.
bool LookupIpv4Address(const std::string& name, unsigned char address[4]);
// getaddrinfo: 0 and the records in order, or the Windows Sockets number of the failure.
int LookupAddressInfo(const std::string& host, const std::string& port, const AddressHints& hints,
                      std::vector<AddressRecord>& records);

}  // namespace platform

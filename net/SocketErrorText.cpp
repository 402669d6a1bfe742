#include "net/SocketErrorText.h"

#include <cstdio>

#include "core/LogBase.h"

namespace {

struct Explanation {
    int code;
    const char* text;
};

constexpr Explanation kExplanations[] = {
    {10013,
     "WSAEACCES An attempt was made to access a socket in a way forbidden by its access "
     "permissions."},
    {10022, "WSAEINVAL An invalid argument was supplied."},
    {10024, "WSAEMFILE No more socket descriptors are available."},
    {10035, "WSAEWOULDBLOCK The socket would block."},
    {10036,
     "WSAEINPROGRESS A blocking Windows Sockets 1.1 call is in progress, or the service "
     "provider is still processing a callback function."},
    {10041, "WSAEPROTOTYPE The specified protocol is the wrong type for this socket."},
    {10043, "WSAEPROTONOSUPPORT The specified protocol is not supported."},
    {10044,
     "WSAESOCKTNOSUPPORT The specified socket type is not supported in this address "
     "family."},
    {10047, "WSAEAFNOSUPPORT The specified address family is not supported."},
    {10048,
     "WSAEADDRINUSE Only one usage of each socket address (protocol/network address/port) "
     "is normally permitted."},
    {10049, "WSAEADDRNOTAVAIL Cannot assign requested address."},
    {10050, "WSAENETDOWN The network subsystem or the associated service provider has failed."},
    {10051, "WSAENETUNREACH A socket operation was attempted to an unreachable network."},
    {10053,
     "WSAECONNABORTED An established connection was aborted by the software in your host "
     "machine."},
    {10054, "WSAECONNRESET An existing connection was forcibly closed by the remote host."},
    {10055, "WSAENOBUFS No buffer space is available. The socket cannot be created."},
    {10060,
     "WSAETIMEDOUT A connection attempt failed because the connected party did not properly "
     "respond after a period of time, or established connection failed because connected "
     "host has failed to respond."},
    {10061,
     "WSAECONNREFUSED No connection could be made because the target machine actively "
     "refused it."},
    {10093, "WSANOTINITIALISED A successful WSAStartup must occur before using this function."},
    {10106,
     "WSAEPROVIDERFAILEDINIT The requested service provider could not be loaded or "
     "initialized."},
    {11001, "WSAHOST_NOT_FOUND No such host is known."},
};

}  // namespace

void ExplainSocketError(int code, LogBase& log) {
    for (const Explanation& entry : kExplanations) {
        if (entry.code == code) {
            log.AddData("SocketError", entry.text);
            return;
        }
    }
    char text[32];
    std::snprintf(text, sizeof text, "Error %x", static_cast<unsigned>(code));
    log.AddData("SocketError", text);
    log.AddError(
        "Check to make sure the connection is not blocked by a firewall or anti-virus port "
        "filtering.");
}

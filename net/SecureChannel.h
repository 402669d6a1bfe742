#pragma once
// SecureChannel: the operations of a TLS channel that the connection object (LoggedSocket2)
// forwards to. The TLS library implements it; the HTTP client, which links both, makes the
// channel, attaches it to the connection and drives its handshake through the concrete type.
// Every operation takes the caller's heartbeat and monitor in `params` and reports there how a
// transfer ended.

#include <cstdint>

#include "net/SocketReadParams.h"

class DataBuffer;
class LogBase;

class SecureChannel {
public:
    virtual ~SecureChannel();

    // Application data out, within the idle time-out (milliseconds).
    virtual bool SendBytes(const unsigned char* data, uint32_t count, uint32_t idleTimeoutMs,
                           SocketReadParams& params, LogBase& log) = 0;
    // The next application data into `target` (emptied first); `endOfData` tells that the
    // server's close-notify arrived.
    virtual bool ReceiveBytes(DataBuffer& target, uint32_t idleTimeoutMs, SocketReadParams& params,
                              bool& endOfData, LogBase& log) = 0;
    // Sends close-notify and, with closeSocket, closes the socket.
    virtual bool CloseChannel(bool closeSocket, uint32_t idleTimeoutMs, SocketReadParams& params,
                              LogBase& log) = 0;
    // Closes the socket and forgets the session, without close-notify.
    virtual void CloseSocketAndReset(LogBase& log) = 0;
    virtual void SetVerbose(bool on) = 0;
    virtual bool IsConnected() = 0;
};

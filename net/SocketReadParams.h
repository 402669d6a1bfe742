#pragma once
// SocketReadParams: what a caller hands down through nested socket operations, and how they
// ended. In: the heartbeat interval (0 = none) and the progress monitor (may be null). Out: four
// flags that the transfer operations set and never clear, so that a caller several layers up
// can tell a time-out from an abort, a fatal socket error or a peer that closed.

#include <cstdint>

class ProgressMonitor;

struct SocketReadParams {
    SocketReadParams() = default;
    SocketReadParams(uint32_t heartbeat, ProgressMonitor* progress)
        : heartbeatMs(heartbeat), monitor(progress) {}

    void ClearFlags() { timedOut = aborted = fatalError = connectionClosed = false; }

    uint32_t heartbeatMs = 0;
    ProgressMonitor* monitor = nullptr;

    bool timedOut = false;          // an idle time-out ended a wait
    bool aborted = false;           // the application asked to abort
    bool fatalError = false;        // the socket failed (it is closed or unusable)
    bool connectionClosed = false;  // the peer closed the connection
};

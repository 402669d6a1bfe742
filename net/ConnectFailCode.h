#pragma once
// Why the last connect of a QuorvelSocket failed: the numbers its ConnectFailReason() gives.
// The secure channel copies the same numbers into a field of its own.

enum ConnectFailCode : int {
    kConnectNoFailure = 0,
    kConnectNoHostName = 1,      // host name missing or empty
    kConnectLookupFailed = 2,    // name lookup failed
    kConnectLookupTimedOut = 3,  // name lookup timed out, or used up the connect time-out
    kConnectAborted = 4,         // aborted by the application (lookup or connect wait)
    kConnectSocketFailed = 5,    // creating or binding the socket failed
    kConnectTimedOut = 6,        // no connection within the connect time-out (heartbeat paths)
    kConnectCallFailed = 7,      // the connect call failed (also a time-out without heartbeat)
};

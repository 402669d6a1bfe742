#pragma once
// The direct connect steps of the HTTP client, used by one attempt and by the retry loop's
// reconnect (also to reach a proxy):
//   connectSocket(connection, host, port, settings, monitor, log)    a plain TCP connection
//   connectSChannel(connection, host, port, settings, monitor, log)  a TLS connection
// Both copy bindIp to the socket and, with a connectLog in the settings, write the context
// "connectSocket" / "connectSChannel" there ("hostname", "port" and, with SOCKS, "socksVersion").
// The caller has set the socket's time-outs. A failed name lookup logs "Domain name lookup
// failed.." (plain) or "Domain name lookup failed." (TLS).
//
// TLS needs a secure channel on the connection; a connection without one fails with "No secure
// channel is available for this connection.". SOCKS proxies (socksVersion 4 or 5) are not
// offered by this client yet and fail with a message of their own.

class HttpControl;
class LogBase;
class LoggedSocket2;
class ProgressMonitor;

bool connectSocket(LoggedSocket2& connection, const char* host, int port,
                   const HttpControl& settings, ProgressMonitor* monitor, LogBase& log);
bool connectSChannel(LoggedSocket2& connection, const char* host, int port,
                     const HttpControl& settings, ProgressMonitor* monitor, LogBase& log);

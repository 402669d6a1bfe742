#pragma once
// The explanation of a socket error number (the Windows Sockets numbers the platform layer
// reports), written to the log under "SocketError". Unknown numbers are written as "Error %x"
// followed by an error line asking to check for a firewall.

class LogBase;

void ExplainSocketError(int code, LogBase& log);

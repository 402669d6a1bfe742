#include "http/HttpConnectSteps.h"

#include <algorithm>

#include "core/LogBase.h"
#include "http/HttpControl.h"
#include "net/LoggedSocket2.h"

namespace {

void WriteConnectLog(const char* stepName, const char* host, int port,
                     const HttpControl& settings) {
    if (!settings.connectLog) {
        return;
    }
    LogContext context(*settings.connectLog, stepName);
    settings.connectLog->AddData("hostname", host);
    settings.connectLog->AddDataInt("port", port);
    if (settings.socksVersion != 0) {
        settings.connectLog->AddDataInt("socksVersion", settings.socksVersion);
    }
}

bool UsesSocks(const HttpControl& settings) {
    return settings.socksVersion == 4 || settings.socksVersion == 5;
}

bool RefuseSocks(LogBase& log) {
    log.AddError("Connecting through a SOCKS proxy is not supported by this HTTP client.");
    return false;
}

uint32_t HeartbeatMs(const HttpControl& settings) {
    return static_cast<uint32_t>(std::max(settings.heartbeatMs, 0));
}

}  // namespace

bool connectSocket(LoggedSocket2& connection, const char* host, int port,
                   const HttpControl& settings, ProgressMonitor* monitor, LogBase& log) {
    QuorvelSocket& socket = connection.Socket();
    socket.SetBindAddress(settings.bindIp.GetString(), 0);
    WriteConnectLog("connectSocket", host, port, settings);
    if (UsesSocks(settings)) {
        return RefuseSocks(log);
    }
    bool dnsFailed = false;
    const bool connected =
        socket.SocketConnect(host, port, HeartbeatMs(settings), log, dnsFailed, monitor);
    if (!connected && dnsFailed) {
        log.AddError("Domain name lookup failed..");
    }
    return connected;
}

bool connectSChannel(LoggedSocket2& connection, const char* host, int port,
                     const HttpControl& settings, ProgressMonitor* /*monitor*/, LogBase& log) {
    connection.Socket().SetBindAddress(settings.bindIp.GetString(), 0);
    WriteConnectLog("connectSChannel", host, port, settings);
    if (UsesSocks(settings)) {
        return RefuseSocks(log);
    }
    // The TLS client makes the concrete secure channel here: it attaches it to the connection,
    // sets its host, port, protocol text (tlsProtocol) and bind address, and runs its handshake
    // within the connect time-out. Until it does, no connection has a channel to secure.
    log.AddError("No secure channel is available for this connection.");
    return false;
}

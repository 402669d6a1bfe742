// The retry loop around one attempt (HttpClient::SimpleHttpRequest) and its reconnect step
// (httpConnect). Retries happen only after a failed send (one reconnect and one more attempt)
// and for a 503 answer (retriesOn503 more attempts, retryDelayMs apart).

#include <algorithm>

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "http/HttpClient.h"
#include "http/HttpConnectSteps.h"
#include "http/HttpControl.h"
#include "http/HttpProxySelection.h"
#include "http/HttpResult.h"
#include "http/UrlParse.h"
#include "platform/Clock.h"

namespace {

constexpr uint32_t kPauseSliceMs = 100;

// The pause before a 503 is asked for again, in slices so that the application can abort it;
// false when it did.
bool PauseBeforeRetry(int delayMs, const HttpCall& call) {
    const uint32_t heartbeatMs = static_cast<uint32_t>(std::max(call.settings.heartbeatMs, 0));
    for (int left = delayMs; left > 0; left -= static_cast<int>(kPauseSliceMs)) {
        platform::SleepMs(std::min<uint32_t>(static_cast<uint32_t>(left), kPauseSliceMs));
        if (call.monitor && call.monitor->CheckAbort(heartbeatMs)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool HttpClient::SimpleHttpRequest(const char* url, const AttemptFlags& flags,
                                   const char* extraLines, HttpCall& call) {
    for (int retries = 0;; ++retries) {
        call.result.ResetForAttempt();
        bool succeeded;
        {
            LogContext context(call.log, "simpleHttpRequest_3");
            succeeded = SendAndReadResponse(url, flags, extraLines, call);
        }
        if (!succeeded) {
            if (call.monitor && call.monitor->Aborted()) {
                call.log.AddInfo("Application aborted HTTP operation...");
                return false;
            }
            if (call.result.sendFailed) {
                succeeded = ReconnectAndRepeat(url, flags, extraLines, call);
            }
        }
        if (call.result.responseHeader.StatusCode() != 503 ||
            retries >= call.settings.retriesOn503) {
            return succeeded;
        }
        if (!PauseBeforeRetry(call.settings.retryDelayMs, call)) {
            call.log.AddInfo("Application aborted HTTP operation...");
            return false;
        }
    }
}

bool HttpClient::ReconnectAndRepeat(const char* url, const AttemptFlags& flags,
                                    const char* extraLines, HttpCall& call) {
    LogBase& log = call.log;
    log.AddError("Socket not writeable, re-opening connection with HTTP server (3)");
    const StringBuffer host(connectionHost_);
    log.AddInfo("Closing connection to HTTP server. (2)");
    CloseConnection(call);
    connectionHost_.Clear();
    if (call.monitor) {
        call.monitor->Info("HttpInfo",
                           "Existing connection with HTTP server no longer open, restarting with "
                           "new connection.");
    }

    const bool redirected = call.result.wasRedirected;
    const StringBuffer finalUrl(call.result.finalUrl);
    bool connected;
    if (redirected) {
        ParsedUrl target;
        ParseUrl(finalUrl.GetString(), target);
        connected = httpConnect(target.host.GetString(), target.port,
                                target.port == 443 || finalUrl.BeginsWith("https"), call);
    } else {
        const bool tls = connectionPort_ == 443 || StringBuffer(url).BeginsWithNoCase("https");
        connected = httpConnect(host.GetString(), connectionPort_, tls, call);
    }
    if (!connected) {
        return false;
    }
    log.AddError("New connection established, re-trying GET");
    AttemptFlags again = flags;
    again.firstTry = true;
    if (redirected) {
        LogContext context(log, "simpleHttpRequest_4");
        again.persistent = false;
        return SendAndReadResponse(finalUrl.GetString(), again, extraLines, call);
    }
    LogContext context(log, "simpleHttpRequest_5");
    again.persistent = true;
    return SendAndReadResponse(url, again, extraLines, call);
}

bool HttpClient::httpConnect(const char* host, int port, bool useTls, HttpCall& call) {
    LogBase& log = call.log;
    const HttpControl& settings = call.settings;
    LogContext context(log, "httpConnect");
    log.AddData("hostname", host);
    log.AddDataInt("port", port);
    log.AddDataInt("ssl", useTls ? 1 : 0);
    if (useTls && port == 80) {
        log.AddError(
            "SSL on port 80 is probably incorrect!  Normally HTTP on port 80 is non-SSL and port "
            "443 is for SSL.");
    } else if (!useTls && port == 443) {
        log.AddInfo(
            "No SSL on port 443 is probably incorrect!  Normally HTTP on port 80 is non-SSL and "
            "port 443 is for SSL.");
    }
    SetConnectionHost(host, port);

    if (!IsConnected(useTls)) {
        connection_.Close(log);
        QuorvelSocket& socket = connection_.Socket();
        socket.SetConnectTimeoutSeconds(
            static_cast<uint32_t>(std::max(settings.connectTimeout, 0)));
        socket.SetIdleTimeoutMs(settings.ReadTimeoutMs());
        HttpProxy proxy;
        SelectHttpProxy(settings, useTls ? "https://" : "http://", true, proxy, log);
        bool connected;
        if (proxy.IsSet()) {
            log.AddData("proxyDomain", proxy.host.GetString());
            log.AddDataInt("proxyPort", proxy.port);
            // Through a proxy, TLS runs inside a tunnel that ends in the secure channel's
            // handshake; connectSChannel says why it cannot run.
            connected = useTls ? connectSChannel(connection_, proxy.host.GetString(), proxy.port,
                                                 settings, call.monitor, log)
                               : connectSocket(connection_, proxy.host.GetString(), proxy.port,
                                               settings, call.monitor, log);
        } else {
            connected = useTls ? connectSChannel(connection_, connectionHost_.GetString(), port,
                                                 settings, call.monitor, log)
                               : connectSocket(connection_, connectionHost_.GetString(), port,
                                               settings, call.monitor, log);
        }
        if (!connected) {
            if (!useTls) {
                log.AddDataInt("connectTimeoutSec",
                               static_cast<int32_t>(socket.ConnectTimeoutMs() / 1000));
                log.AddDataInt("idleTimeoutMs", static_cast<int32_t>(socket.IdleTimeoutMs()));
            }
            connection_.Close(log);
            log.AddError("Failed to connect.");
            return false;
        }
    }
    if (IsConnected(useTls)) {
        log.AddInfo("Connected");
        return true;
    }
    log.AddError("Socket not connected for HTTP request");
    return false;
}

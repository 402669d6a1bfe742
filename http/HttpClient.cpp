#include "http/HttpClient.h"

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "http/HttpControl.h"
#include "http/HttpGzipBody.h"
#include "http/HttpResult.h"
#include "net/OutputSink.h"

HttpClient::HttpClient() = default;

HttpClient::~HttpClient() {
    LogNull log;
    connection_.Close(log);
}

void HttpClient::SetConnectionHost(const char* host, int port) {
    connectionHost_.SetString(host);
    connectionHost_.ToLowerCase();
    if (connectionHost_.BeginsWith("https://")) {
        connectionHost_.RemoveRange(0, 8);
    } else if (connectionHost_.BeginsWith("http://")) {
        connectionHost_.RemoveRange(0, 7);
    }
    connectionHost_.RemoveChar('/');
    connectionHost_.ChopAtFirstChar(':');
    connectionHost_.Trim();
    connectionPort_ = port;
}

bool HttpClient::IsConnected(bool tls) {
    if (tls) {
        SecureChannel* channel = connection_.Channel();
        return channel && channel->IsConnected();
    }
    return connection_.Socket().IsConnected();
}

void HttpClient::CloseConnection(const HttpCall& call) {
    if (connection_.Channel()) {
        SocketReadParams params(
            static_cast<uint32_t>(call.settings.heartbeatMs > 0 ? call.settings.heartbeatMs : 0),
            call.monitor);
        connection_.SecureClose(true, call.settings.ReadTimeoutMs(), params, call.log);
    }
    connection_.Close(call.log);
}

bool HttpClient::QuickGetToOutput_OnExisting(const char* url, HttpCall& call) {
    LogContext context(call.log, "QuickGetToOutput_OnExisting");
    AttemptFlags flags;
    flags.persistent = true;
    flags.firstTry = true;
    const bool succeeded = GetWithAuthentication(url, flags, call);

    // The attempt has expanded a gzip body once already; what still looks like gzip here was
    // compressed twice.
    DataBuffer* body = call.output.MemoryBuffer();
    if (body && IsGzipBody(*body, call.result.responseHeader)) {
        call.log.AddInfo("Decompressing GZIP response...");
        ExpandGzipBody(*body, call.log, call.monitor);
    }
    return succeeded;
}

#include "http/HttpConnPool.h"

#include <new>

#include "core/LogBase.h"
#include "core/StringBuffer.h"
#include "http/HttpBodyText.h"
#include "http/HttpClient.h"
#include "http/HttpControl.h"
#include "http/HttpProxySelection.h"
#include "http/HttpResult.h"
#include "http/RequestUrl.h"
#include "net/OutputSink.h"

HttpConnPool::HttpConnPool() {
    clients_.SetOwnsItems(true);
}

HttpConnPool::~HttpConnPool() = default;  // the owned clients close their connections

HttpClient* HttpConnPool::Client(uint32_t index) const {
    return clients_.ItemAs<HttpClient>(index);
}

HttpClient* HttpConnPool::FindOrAddClient(const char* host, int port, const HttpControl& settings,
                                          LogBase& log) {
    // The proxy as for an "http" URL: a per-scheme system setting gives its http entry here.
    HttpProxy proxy;
    SelectHttpProxy(settings, "http://", false, proxy, log);
    const char* wantedHost = proxy.IsSet() ? proxy.host.GetString() : host;
    const int wantedPort = proxy.IsSet() ? proxy.port : port;

    for (uint32_t i = 0; i < clients_.Count();) {
        HttpClient* client = Client(i);
        if (!client) {
            clients_.RemoveAt(i);
            continue;
        }
        if (client->ConnectionPort() == wantedPort &&
            client->ConnectionHost().EqualsNoCase(wantedHost)) {
            if (maxConnections_ != 0) {
                clients_.RemoveAt(i);
                clients_.Append(client);
            }
            return client;
        }
        ++i;
    }

    if (maxConnections_ != 0 && clients_.Count() >= maxConnections_) {
        delete clients_.RemoveAt(0);
    }
    auto* client = new (std::nothrow) HttpClient();
    if (!client || !clients_.Append(client)) {
        delete client;
        log.AddError("Out of memory for a new HTTP connection.");
        return nullptr;
    }
    return client;
}

bool HttpConnPool::QuickReq(const char* url, HttpCall& call) {
    LogContext context(call.log, "QuickReq");
    StringBuffer prepared;
    ParsedUrl parts;
    if (!PrepareRequestUrl(url, prepared, parts, call.log)) {
        return false;
    }
    if (!parts.login.IsEmpty() && !parts.password.IsEmpty()) {
        call.settings.login.SetFromUtf8(parts.login.GetString());
        call.settings.password.SetFromUtf8(parts.password.GetString());
    }
    HttpClient* client =
        FindOrAddClient(parts.host.GetString(), parts.port, call.settings, call.log);
    if (!client) {
        return false;
    }
    const bool succeeded = client->QuickGetToOutput_OnExisting(prepared.GetString(), call);
    if (succeeded && call.result.responseHeader.StatusCode() == 407 &&
        call.result.responseHeader.ProxyOffersNtlm()) {
        // Answering a proxy's NTLM challenge needs the proxy tunnel's NTLM exchange, which
        // this client does not have; the 407 answer stands.
        call.log.AddError("Proxy NTLM authentication is not available.");
    }
    return succeeded;
}

bool HttpConnPool::QuickGetText(const char* url, HttpControl& settings, StringBuffer& text,
                                HttpResult& result, LogBase& log, bool verbose,
                                ProgressMonitor* monitor) {
    text.Clear();
    MemoryOutput body;
    HttpCall call{settings, body, result, log, monitor, verbose};
    const bool succeeded = QuickReq(url, call);
    if (!succeeded || body.Size() == 0) {
        return succeeded;
    }
    ResponseBodyToUtf8(body.Buffer(), result.responseHeader, text, log);
    return true;
}

#pragma once
// HttpConnPool: the open server connections of an HTTP object, one HttpClient per server (or
// proxy) and port, least recently used first, at most maxConnections (10) of them. A request for
// a server without an entry makes a new one; when the pool is full, the least recently used
// entry is destroyed first, which closes its connection. 0 as the maximum means no limit and no
// reordering.
//
// The pool's request steps, each with the request's HttpCall:
//   QuickReq(url, call)   prepares the URL (credentials in it move into the settings), takes
//                         the connection for its server and runs
//                         HttpClient::QuickGetToOutput_OnExisting (log context "QuickReq")
//   QuickGetText(url, settings, text, result, log, verbose, monitor)
//                         QuickReq into a byte buffer, then the body as UTF-8 text
//                         (HttpBodyText.h); `text` stays empty when the request fails or the
//                         body is empty

#include <cstdint>

#include "core/ExtPtrArray.h"
#include "http/HttpCall.h"

class HttpClient;
class StringBuffer;

class HttpConnPool {
public:
    static constexpr uint32_t kDefaultMaxConnections = 10;

    HttpConnPool();
    ~HttpConnPool();
    HttpConnPool(const HttpConnPool&) = delete;
    HttpConnPool& operator=(const HttpConnPool&) = delete;

    void SetMaxConnections(uint32_t count) { maxConnections_ = count; }
    uint32_t MaxConnections() const { return maxConnections_; }
    uint32_t Count() const { return clients_.Count(); }
    HttpClient* Client(uint32_t index) const;  // 0 is the least recently used

    // The connection for a target host and port (or for the proxy the settings select), moved
    // to the end of the list; null only when memory is exhausted.
    HttpClient* FindOrAddClient(const char* host, int port, const HttpControl& settings,
                                LogBase& log);

    bool QuickReq(const char* url, HttpCall& call);
    bool QuickGetText(const char* url, HttpControl& settings, StringBuffer& text,
                      HttpResult& result, LogBase& log, bool verbose, ProgressMonitor* monitor);

private:
    ExtPtrArray clients_;
    uint32_t maxConnections_ = kDefaultMaxConnections;
};

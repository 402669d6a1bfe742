#pragma once
// HttpClient: one pooled server connection of an HTTP object and the request layers that run on
// it. It remembers which host and port it talks to (the pool's key), owns the persistent
// connection object, and the scheme name of an NTLM or Negotiate exchange in progress.
//
// The layers, each calling the next (every one takes the HttpCall of the request):
//   QuickGetToOutput_OnExisting(url)     the authentication layer, then a second gzip check
//   GetWithAuthentication(url, flags)    the retry loop; what to do after a 401
//   SimpleHttpRequest(url, flags, extra) the retry loop: one reconnect and repeat after a failed
//                                        send, and the repeats of a 503 (retriesOn503)
//   SendAndReadResponse(url, flags, extra)  one attempt: connect, send, read and parse the
//                                        header, read the body, expand gzip, hand a 301/302 to
//                                        HttpRedirect. True also for 4xx and 5xx answers.
//   HttpRedirect(url, depth)             follows a 301/302 (at most 8 in a row)
//   httpConnect(host, port, tls)         the retry loop's reconnect of the pooled connection
//
// The connection host is kept normalised: lower-cased, without an "http://" or "https://"
// prefix, without any "/", cut at ":" and trimmed. It stays empty until the first request.

#include "core/QuorvelObject.h"
#include "core/StringBuffer.h"
#include "http/HttpCall.h"
#include "net/LoggedSocket2.h"

class HttpClient : public QuorvelObject {
public:
    HttpClient();
    ~HttpClient() override;  // closes the connection
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    const StringBuffer& ConnectionHost() const { return connectionHost_; }
    int ConnectionPort() const { return connectionPort_; }
    void SetConnectionHost(const char* host, int port);
    void ClearConnectionHost() { connectionHost_.Clear(); }

    LoggedSocket2& Connection() { return connection_; }
    // Whether the persistent connection is up: the plain socket, or the secure channel's.
    bool IsConnected(bool tls);
    // Closes the persistent connection (the secure channel first says goodbye, when there is one).
    void CloseConnection(const HttpCall& call);

    const StringBuffer& AuthSchemeName() const { return authSchemeName_; }
    void SetAuthSchemeName(const char* name) { authSchemeName_.SetString(name); }

    // --- the request layers (see above)
    bool QuickGetToOutput_OnExisting(const char* url, HttpCall& call);
    bool GetWithAuthentication(const char* url, const AttemptFlags& flags, HttpCall& call);
    bool SimpleHttpRequest(const char* url, const AttemptFlags& flags, const char* extraLines,
                           HttpCall& call);
    bool SendAndReadResponse(const char* url, const AttemptFlags& flags, const char* extraLines,
                             HttpCall& call);
    bool HttpRedirect(const char* currentUrl, int redirectDepth, HttpCall& call);
    bool httpConnect(const char* host, int port, bool useTls, HttpCall& call);

private:
    // The retry loop's answer to a failed send: reconnect, then one more attempt.
    bool ReconnectAndRepeat(const char* url, const AttemptFlags& flags, const char* extraLines,
                            HttpCall& call);

    StringBuffer connectionHost_;
    int connectionPort_ = 80;
    LoggedSocket2 connection_;
    StringBuffer authSchemeName_;
};

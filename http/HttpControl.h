#pragma once
// HttpControl: the request settings of an HTTP object, every one with its default. Every layer of
// the HTTP client reads its settings from here; the request driver also keeps two values here
// between requests (lastRequestTarget, builtRequest). A plain record: copy it freely (the
// connect log is not owned).
//
// Time-outs are in seconds (connectTimeout, readTimeout); the transport works in milliseconds,
// so readers pass readTimeout * 1000 on (ReadTimeoutMs()).

#include <cstdint>

#include "core/StringBuffer.h"
#include "encoding/XString.h"
#include "http/MimeHeader.h"
#include "net/ClsSocksClient.h"

class LogBase;

class HttpControl : public ClsSocksClient {
public:
    HttpControl();
    ~HttpControl() override;

    // readTimeout in milliseconds (a negative value counts as 0, which the transport takes as
    // six hours; values beyond 32 bits saturate).
    uint32_t ReadTimeoutMs() const;
    // The method of a request line: httpMethod, or "GET" when that is empty.
    const char* MethodOrGet() const;

    // --- connection and transfer
    int connectTimeout = 10;        // seconds, for every new connection
    int readTimeout = 20;           // seconds, idle time-out of reads and TLS sends
    int heartbeatMs = 0;            // interval of abort checks during network waits; 0 = none
    int maxUrlLen = 2000;           // longest URL accepted, in bytes
    uint64_t maxContentLength = 0;  // largest response body accepted; 0 = no limit

    // --- request line and header values
    StringBuffer httpMethod;  // empty means "GET"
    StringBuffer userAgent;
    StringBuffer acceptHeader;
    StringBuffer acceptCharset;
    StringBuffer acceptLanguage;
    StringBuffer connectionHeader;
    StringBuffer referer;  // none when empty
    bool addHostHeader = true;
    bool acceptGzip = true;  // "Accept-Encoding: gzip" rather than an empty Accept-Encoding
    bool ieStyleRequest = false;
    bool firefoxStyleRequest = false;
    int64_t rangeStart = 0;   // when not 0, the body is requested from this byte offset on
    MimeHeader extraHeaders;  // further request fields, sent in every flavour

    // --- authentication
    StringBuffer authToken;  // token of an Authorization line in an NTLM or Negotiate exchange
    XString login;           // credentials for Basic, Digest, NTLM and Negotiate
    XString password;
    XString loginDomain;  // domain for NTLM and Negotiate when the login has none
    bool useNtlm = false;
    bool useNegotiate = false;
    bool useDigest = false;

    // --- HTTP proxy
    StringBuffer proxyDomain;  // empty: no proxy
    int proxyPort = 80;
    XString proxyLogin;
    XString proxyPassword;
    StringBuffer proxyAuthMethod;  // empty or "basic": Basic
    bool useSystemProxy = false;   // take the proxy from the browser settings
    bool pathOnlyThroughProxy = false;

    // --- redirects, retries, content checks
    bool followRedirects = true;
    int retriesOn503 = 0;
    int retryDelayMs = 2000;
    StringBuffer requiredContentType;  // empty: any media type

    // --- cookies
    StringBuffer CookieDir;  // empty: no cookie handling
    bool sendCookies = true;
    bool saveCookies = true;
    bool AllowCookieResponseCaching = false;

    // --- response cache (ClsHttp switches both off)
    bool readFromCache = true;
    bool writeToCache = true;

    // --- driver
    bool buildRequestOnly = false;  // build into builtRequest and send nothing
    StringBuffer tlsProtocol;       // handed to the secure channel
    StringBuffer bindIp;            // local address to bind before connecting
    LogBase* connectLog = nullptr;  // receives the connect steps when set (not owned)

    // --- kept by the request driver between requests
    StringBuffer lastRequestTarget;
    StringBuffer builtRequest;
};

#pragma once
// Building the text of one GET request: the whole header block, the empty line that ends it
// included, ready to send unchanged. Three flavours:
//   BuildGetRequest         header values from the settings (User-Agent, Accept, Connection, ...)
//   BuildFireFoxGetRequest  the fixed lines of a desktop Firefox 3.5
//   BuildIeGetRequest       the fixed lines of a desktop Internet Explorer 7
// BuildChosenGetRequest picks one as the settings say (ieStyleRequest, then
// firefoxStyleRequest, else the default).
//
//   GetRequestInputs in;
//   in.url = url; in.host = host; in.port = port; in.path = path; in.query = query;
//   BuildChosenGetRequest(in, settings, result, request, log, monitor);
//
// Every flavour records the method in result.requestVerb, the header text without its final
// empty line in result.requestHeaderText, and the request-target in settings.lastRequestTarget.
// Building cannot fail; absent or empty settings only leave their lines out.

#include <cstdint>
#include <optional>

class HttpControl;
class HttpResult;
class LogBase;
class ProgressMonitor;
class StringBuffer;

// Where the cookies of a request come from (the cookie store). Without one, a request that
// should carry cookies logs "No cookie jar found." and sends none.
class RequestCookieSource {
public:
    virtual ~RequestCookieSource();
    // The Cookie value for host and path from the jar in cookieDir; false when no jar exists
    // for the host (an empty value means the jar has nothing for this path).
    virtual bool CookieHeaderValue(const char* cookieDir, const char* host, const char* path,
                                   StringBuffer& value, LogBase& log) = 0;
};

// Where the Basic credential lines of a request come from. Without one, no Basic
// Authorization or Proxy-Authorization line is sent.
class RequestCredentialSource {
public:
    virtual ~RequestCredentialSource();
    // Each appends its complete line (ending in CR LF) when the settings call for it.
    virtual void AppendBasicAuthorizationLine(const HttpControl& settings, StringBuffer& request,
                                              LogBase& log, ProgressMonitor* monitor) = 0;
    virtual void AppendBasicProxyAuthorizationLine(const HttpControl& settings,
                                                   StringBuffer& request, LogBase& log,
                                                   ProgressMonitor* monitor) = 0;
};

struct GetRequestInputs {
    const char* url = "";   // the request URL (blanks already "%20"); sent whole through a proxy
    const char* host = "";  // the parsed host
    int port = 80;
    const char* path = "/";  // an empty path is sent as "/"
    const char* query = "";
    // Complete header lines, each ending in CR LF (a Digest Authorization line on a retry).
    const char* extraLines = nullptr;
    // The scheme of the connection's NTLM or Negotiate exchange, for the authToken line.
    const char* authSchemeName = "";
    // Default flavour only: revalidate a cached copy by its entity tag, else by its date
    // (seconds since 1970, UTC).
    bool revalidate = false;
    const char* cachedETag = "";
    std::optional<int64_t> cachedDate;
    RequestCookieSource* cookies = nullptr;
    RequestCredentialSource* credentials = nullptr;
};

void BuildGetRequest(const GetRequestInputs& in, HttpControl& settings, HttpResult& result,
                     StringBuffer& request, LogBase& log, ProgressMonitor* monitor);
void BuildFireFoxGetRequest(const GetRequestInputs& in, HttpControl& settings, HttpResult& result,
                            StringBuffer& request, LogBase& log, ProgressMonitor* monitor);
void BuildIeGetRequest(const GetRequestInputs& in, HttpControl& settings, HttpResult& result,
                       StringBuffer& request, LogBase& log, ProgressMonitor* monitor);
void BuildChosenGetRequest(const GetRequestInputs& in, HttpControl& settings, HttpResult& result,
                           StringBuffer& request, LogBase& log, ProgressMonitor* monitor);

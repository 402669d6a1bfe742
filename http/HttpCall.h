#pragma once
// HttpCall: what every layer of one request works with, from the pool's QuickReq down to one
// attempt: the settings, the output the body goes to, the record of the result, the diagnostic
// log, the progress monitor (may be null) and the verbose flag. The layers hand it on unchanged,
// except that the authentication handshakes swap in a temporary output.
//
// AttemptFlags: how one attempt of the request driver is to run.
//   followUp        set for redirect targets and repeats (it changes nothing else)
//   redirectDepth   0 for the first request, one more for each redirect or repeat
//   persistent      use the pooled connection of the HttpClient rather than a temporary one
//   firstTry        the pooled connection has not yet been found dead in this request
//
// The cookie store is reached through two interfaces (GetRequestBuilder.h, HttpCookieStore.h);
// without them, cookies are neither sent nor saved.

class HttpControl;
class HttpResult;
class LogBase;
class OutputSink;
class ProgressMonitor;
class RequestCookieSource;
class ResponseCookieStore;

struct HttpCall {
    HttpControl& settings;
    OutputSink& output;
    HttpResult& result;
    LogBase& log;
    ProgressMonitor* monitor = nullptr;
    bool verbose = false;
    RequestCookieSource* cookieSource = nullptr;
    ResponseCookieStore* cookieStore = nullptr;

    // The same call with another output (the authentication handshakes read into their own).
    HttpCall WithOutput(OutputSink& other) const {
        HttpCall copy{settings, other, result, log, monitor, verbose, cookieSource, cookieStore};
        return copy;
    }
};

struct AttemptFlags {
    bool followUp = false;
    int redirectDepth = 0;
    bool persistent = true;
    bool firstTry = true;
};

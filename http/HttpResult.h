#pragma once
// HttpResult: the record of the last request of an HTTP object: the parsed response header, how
// the request line and header were sent, redirect and cache outcomes, and how the last body read
// ended.
//
//   result.ResetForGet();      // before a new quick GET
//   result.ResetForAttempt();  // before each attempt of the retry loop (keeps the redirect)
//   result.responseHeader.StatusCode();

#include "core/StringBuffer.h"
#include "http/HttpResponseHeader.h"

// How the transport's reads of a body ended: the four flags its exact reads report.
struct HttpReadFlags {
    bool timedOut = false;
    bool aborted = false;
    bool fatalError = false;
    bool connectionClosed = false;
};

class HttpResult {
public:
    // Clears the redirect outcome, the cache members, sendFailed and the response header.
    void ResetForGet();
    // The same, but the redirect outcome (wasRedirected, finalUrl) stays.
    void ResetForAttempt();

    bool wasRedirected = false;  // a 301/302 was answered with a new URL
    StringBuffer finalUrl;       // the last redirect target
    int cacheStatus = 0;         // 0 none, 1 served from or validated against the cache, 2 negative
    bool fromCache = false;
    bool sendFailed = false;  // the last attempt could not send its request
    HttpResponseHeader responseHeader;
    StringBuffer requestVerb;        // the method of the last request line
    StringBuffer requestHeaderText;  // the last request header, without its empty line
    HttpReadFlags readFlags;         // of the last body read
};

#pragma once
// ResponseCookieStore: where the request layers put the cookies a response sets (the cookie jar
// under the settings' CookieDir). The request driver and the redirect step call it only when
// CookieDir is set, saveCookies is on and the response has a Set-Cookie field; without a store
// such cookies are not kept.

class HttpControl;
class HttpResponseHeader;
class LogBase;
class ProgressMonitor;

class ResponseCookieStore {
public:
    virtual ~ResponseCookieStore();
    // Stores the cookies of `header`; a cookie without a domain takes "." followed by the
    // registrable part of connectionHost. False when none could be stored.
    virtual bool SaveCookies(const HttpResponseHeader& header, const char* connectionHost,
                             const HttpControl& settings, LogBase& log,
                             ProgressMonitor* monitor) = 0;
};

// Logs "Saving cookies..." and hands the cookies of `header` to the store when the settings
// ask for them to be kept; true when cookies were stored.
bool SaveResponseCookies(ResponseCookieStore* store, const HttpResponseHeader& header,
                         const char* connectionHost, const HttpControl& settings, LogBase& log,
                         ProgressMonitor* monitor);

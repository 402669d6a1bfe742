#pragma once
// ClsHttp: the library's HTTP object. It holds the request settings (HttpControl), the pool of
// open server connections (HttpConnPool), the record of the last request (HttpResult), its own
// event recorder (EventHistorian) and a flag for verbose diagnostic logging, and offers the
// quick GET.
//
//   ClsHttp http;                    // every setting at its default; the cache switched off
//   http.SetFirefoxStyleRequest(true);
//   StringBuffer text;
//   bool ok = http.HttpGet(url, text, log, progress);   // the body as UTF-8 text
//   http.LastResult().responseHeader.StatusCode();
//
// HttpGet downloads one URL with method GET through the pool, writes its story into the
// caller's log under the context "HttpGet" (ending with "Success." or "Failed."), and hands
// the body back converted to UTF-8 (HttpBodyText.h). It fails when the transfer fails (`text`
// is then empty) and when the status is 400 or above (`text` then holds the error page). The
// caller's progress sink (may be null) receives every callback through the event recorder; the
// application can abort the download from it. Connections stay open in the pool for the next
// GET of the same object and close when the object is destroyed. The response cache settings
// (readFromCache, writeToCache) have no effect: every request goes to the network.

#include "core/ClsBase.h"
#include "http/EventHistorian.h"
#include "http/HttpConnPool.h"
#include "http/HttpControl.h"
#include "http/HttpResult.h"

class ProgressEvent;
class StringBuffer;
class XString;

class ClsHttp : public ClsBase {
public:
    ClsHttp();
    ~ClsHttp() override;
    ClsHttp(const ClsHttp&) = delete;
    ClsHttp& operator=(const ClsHttp&) = delete;

    bool HttpGet(XString& url, StringBuffer& text, LogBase& log, ProgressEvent* progress);

    // The settings the RSS download changes. Switching the Firefox-style request on switches the
    // Internet-Explorer style off.
    void SetFirefoxStyleRequest(bool on);
    void SetReadFromCache(bool on) { settings_.readFromCache = on; }
    void SetWriteToCache(bool on) { settings_.writeToCache = on; }
    int ConnectTimeout() const { return settings_.connectTimeout; }
    int ReadTimeout() const { return settings_.readTimeout; }

    HttpControl& Settings() { return settings_; }
    HttpConnPool& Pool() { return pool_; }
    HttpResult& LastResult() { return lastResult_; }
    EventHistorian& Events() { return eventHistorian_; }
    bool VerboseLogging() const { return verboseLogging_; }
    void SetVerboseLogging(bool on) { verboseLogging_ = on; }

private:
    EventHistorian eventHistorian_;
    HttpControl settings_;
    HttpConnPool pool_;
    HttpResult lastResult_;
    bool verboseLogging_ = false;
};

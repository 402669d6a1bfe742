#pragma once
// ClsHttp: the library's HTTP object. It holds the request settings (HttpControl), the record of
// the last request (HttpResult), its own event recorder (EventHistorian) and a flag for verbose
// diagnostic logging. The quick GET and the connection pool build on these.
//
//   ClsHttp http;                    // every setting at its default; the cache switched off
//   http.SetFirefoxStyleRequest(true);
//   http.Settings().readTimeout;     // what the request layers read
//   http.LastResult().responseHeader.StatusCode();

#include "core/ClsBase.h"
#include "http/EventHistorian.h"
#include "http/HttpControl.h"
#include "http/HttpResult.h"

class ClsHttp : public ClsBase {
public:
    ClsHttp();
    ~ClsHttp() override;
    ClsHttp(const ClsHttp&) = delete;
    ClsHttp& operator=(const ClsHttp&) = delete;

    // The settings the RSS download changes. Switching the Firefox-style request on switches the
    // Internet-Explorer style off.
    void SetFirefoxStyleRequest(bool on);
    void SetReadFromCache(bool on) { settings_.readFromCache = on; }
    void SetWriteToCache(bool on) { settings_.writeToCache = on; }
    int ConnectTimeout() const { return settings_.connectTimeout; }
    int ReadTimeout() const { return settings_.readTimeout; }

    HttpControl& Settings() { return settings_; }
    HttpResult& LastResult() { return lastResult_; }
    EventHistorian& Events() { return eventHistorian_; }
    bool VerboseLogging() const { return verboseLogging_; }
    void SetVerboseLogging(bool on) { verboseLogging_ = on; }

private:
    EventHistorian eventHistorian_;
    HttpControl settings_;
    HttpResult lastResult_;
    bool verboseLogging_ = false;
};

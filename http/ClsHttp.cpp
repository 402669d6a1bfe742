#include "http/ClsHttp.h"

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "encoding/XString.h"

namespace {
constexpr uint64_t kProgressTotal = 100;  // until a content length is known
}  // namespace

ClsHttp::ClsHttp() {
    // The response cache is off for this object unless a caller switches it on.
    settings_.readFromCache = false;
    settings_.writeToCache = false;
}

ClsHttp::~ClsHttp() = default;

void ClsHttp::SetFirefoxStyleRequest(bool on) {
    settings_.firefoxStyleRequest = on;
    if (on) {
        settings_.ieStyleRequest = false;
    }
}

bool ClsHttp::HttpGet(XString& url, StringBuffer& text, LogBase& log, ProgressEvent* progress) {
    StringBuffer urlText(url.GetUtf8());
    urlText.Trim();
    LogContext context(log, "HttpGet");

    eventHistorian_.History().Clear();
    ProgressMonitor monitor;
    monitor.Start(&eventHistorian_, kProgressTotal);
    eventHistorian_.SetTarget(progress);
    eventHistorian_.SetDefaultAbort(false);

    lastResult_.ResetForGet();
    settings_.httpMethod.SetString("GET");
    bool succeeded = pool_.QuickGetText(urlText.GetString(), settings_, text, lastResult_, log,
                                        verboseLogging_, &monitor);
    if (lastResult_.responseHeader.StatusCode() >= 400) {
        succeeded = false;
    }
    monitor.Finish();
    if (succeeded) {
        log.AddInfo("Success.");
    } else {
        log.AddError("Failed.");
    }
    return succeeded;
}

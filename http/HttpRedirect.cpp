// The redirect step (HttpClient::HttpRedirect), which an attempt calls for a 301 or 302 answer:
// it resolves the Location against the current URL, lets the application veto it, and, with
// followRedirects on, runs the request again for the new URL one level deeper. At most 8
// redirects are followed in a row.

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "http/HttpClient.h"
#include "http/HttpControl.h"
#include "http/HttpCookieStore.h"
#include "http/HttpResult.h"
#include "http/UrlParse.h"
#include "http/UrlResolve.h"
#include "net/OutputSink.h"

namespace {

constexpr int kMostRedirects = 8;

bool IsHttps(const char* url) {
    return StringBuffer(url).BeginsWithNoCase("https:");
}

// The pooled connection serves the new URL only when it goes to the same server: the same host
// (in any letter case), the same port and the same scheme. (Comparing the hosts alone would send
// a request for another port, or for https, over the connection to the first server.)
bool SameServer(const char* currentUrl, const char* newUrl) {
    ParsedUrl current;
    ParsedUrl next;
    ParseUrl(currentUrl, current);
    ParseUrl(newUrl, next);
    return current.host.EqualsNoCase(next.host.GetString()) && current.port == next.port &&
           IsHttps(currentUrl) == IsHttps(newUrl);
}

}  // namespace

bool HttpClient::HttpRedirect(const char* currentUrl, int redirectDepth, HttpCall& call) {
    LogBase& log = call.log;
    HttpResult& result = call.result;
    if (redirectDepth >= kMostRedirects) {
        log.AddError("Aborted to avoid infinite redirects.");
        return false;
    }
    StringBuffer location;
    result.responseHeader.GetLocation(location);
    if (location.IsEmpty()) {
        log.AddError("Got 301/302 redirect, but no new location.");
        return false;
    }
    log.AddData("redirectUrl", location.GetString());
    location.ReplaceAll(" ", "%20");
    if (location.ContainsNoCase("PageNotFound")) {
        log.AddError("This is actually a page-not-found error.");
        return false;
    }
    StringBuffer newUrl;
    ResolveLocation(currentUrl, location.GetString(), newUrl);
    if (newUrl.IsEmpty()) {
        log.AddError("Failed to construct new URL");
        log.AddData("location", location.GetString());
        log.AddData("url", currentUrl);
        return false;
    }
    if (call.monitor) {
        call.monitor->Info("HttpRedirect", location.GetString());
        bool abort = false;
        call.monitor->Sink()->TwoValueCheck(currentUrl, newUrl.GetString(), abort);
        if (abort) {
            log.AddError("Aborted by application.");
            return false;
        }
    }
    SaveResponseCookies(call.cookieStore, result.responseHeader, connectionHost_.GetString(),
                        call.settings, log, call.monitor);

    result.wasRedirected = true;
    result.finalUrl.SetString(newUrl);
    if (!call.settings.followRedirects) {
        return true;  // the output keeps the redirect answer's body
    }
    result.responseHeader.Reset();
    call.output.Clear();

    AttemptFlags flags;
    flags.followUp = true;
    flags.redirectDepth = redirectDepth + 1;
    flags.persistent = SameServer(currentUrl, newUrl.GetString());
    if (flags.persistent) {
        log.AddInfo("Using existing connection for redirect...");
    }
    LogContext redirectContext(log, "RedirectGet");
    LogContext getContext(log, "QuickGetToOutput_Redirect");
    if (call.settings.connectLog) {
        call.settings.connectLog->AddData("mhtRedirectUrl", newUrl.GetString());
    }
    return GetWithAuthentication(newUrl.GetString(), flags, call);
}

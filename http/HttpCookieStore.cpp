#include "http/HttpCookieStore.h"

#include "core/LogBase.h"
#include "http/HttpControl.h"
#include "http/HttpResponseHeader.h"

ResponseCookieStore::~ResponseCookieStore() = default;

bool SaveResponseCookies(ResponseCookieStore* store, const HttpResponseHeader& header,
                         const char* connectionHost, const HttpControl& settings, LogBase& log,
                         ProgressMonitor* monitor) {
    if (settings.CookieDir.IsEmpty() || !settings.saveCookies || !header.HasField("Set-Cookie")) {
        return false;
    }
    log.AddInfo("Saving cookies...");
    if (!store) {
        log.AddError("No cookie store is attached; the cookies of this response are not kept.");
        return false;
    }
    return store->SaveCookies(header, connectionHost, settings, log, monitor);
}

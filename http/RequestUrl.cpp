#include "http/RequestUrl.h"

#include "core/LogBase.h"
#include "core/StringBuffer.h"

bool PrepareRequestUrl(const char* url, StringBuffer& prepared, ParsedUrl& parts, LogBase& log) {
    prepared.SetString(url);
    prepared.Trim();
    prepared.ReplaceAll(" ", "%20");
    if (!url || !ParseUrl(prepared.GetString(), parts)) {
        log.AddError("Failed to parse URL");
        log.AddData("url", url);
        return false;
    }
    if (!parts.login.IsEmpty() && !parts.password.IsEmpty()) {
        StringBuffer credentials("//");
        credentials.Append(parts.login);
        credentials.AppendChar(':');
        credentials.Append(parts.password);
        credentials.AppendChar('@');
        prepared.ReplaceFirst(credentials.GetString(), "//");
    }
    return true;
}

UrlCheck CheckUrlBeforeRequest(const StringBuffer& url, int32_t maxUrlLen, LogBase& log) {
    StringBuffer lowered(url);
    lowered.ToLowerCase();
    if (lowered.Contains("about:blank")) {
        log.AddInfo("Skipping about:blank");
        log.AddData("url", url.GetString());
        return UrlCheck::SkipAboutBlank;
    }
    if (static_cast<int64_t>(url.GetSize()) > maxUrlLen) {
        log.AddError("URL is longer than the maximum allowed length.");
        log.AddDataInt("maxUrlLen", maxUrlLen);
        log.AddData("url", url.GetString());
        return UrlCheck::Fail;
    }
    return UrlCheck::Proceed;
}

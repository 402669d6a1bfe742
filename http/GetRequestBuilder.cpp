#include "http/GetRequestBuilder.h"

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "http/HttpControl.h"
#include "http/HttpDate.h"
#include "http/HttpProxySelection.h"
#include "http/HttpResult.h"
#include "http/MimeField.h"

RequestCookieSource::~RequestCookieSource() = default;
RequestCredentialSource::~RequestCredentialSource() = default;

namespace {

constexpr const char* kFirefoxUserAgent =
    "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.9.1.3) Gecko/20090824 "
    "Firefox/3.5.3 (.NET CLR 3.5.30729)\r\n";
constexpr const char* kFirefoxAccept =
    "Accept: text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8,"
    "image/png,*/*;q=0.5\r\n";
constexpr const char* kIeAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-excel, "
    "application/msword, application/x-shockwave-flash, */*\r\n";
constexpr const char* kIeUserAgent =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1; Trident/4.0; .NET CLR "
    "1.1.4322; .NET CLR 1.0.3705; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; .NET CLR "
    "3.5.21022; .NET CLR 3.0.4506.2152; .NET CLR 3.5.30729)\r\n";

const char* TextOrEmpty(const char* text) {
    return text ? text : "";
}

// Writes the pieces the three flavours share into one request text.
class RequestWriter {
public:
    RequestWriter(const char* flavourName, const GetRequestInputs& in, HttpControl& settings,
                  HttpResult& result, StringBuffer& request, LogBase& log, ProgressMonitor* monitor)
        : in_(in),
          settings_(settings),
          result_(result),
          out_(request),
          log_(log),
          monitor_(monitor) {
        log_.AddInfo(flavourName);
        out_.Clear();
    }

    // "Name: value\r\n".
    void ValueLine(const char* name, const StringBuffer& value) {
        out_.Append(name);
        out_.Append(": ");
        out_.Append(value);
        out_.Append("\r\n");
    }
    // The line with the setting's value, or with the fallback when the setting is empty.
    void ValueLineOr(const char* name, const StringBuffer& value, const char* fallback) {
        if (value.IsEmpty()) {
            ValueLine(name, StringBuffer(fallback));
        } else {
            ValueLine(name, value);
        }
    }
    void ValueLineIfSet(const char* name, const StringBuffer& value) {
        if (!value.IsEmpty()) {
            ValueLine(name, value);
        }
    }
    void Fixed(const char* line) { out_.Append(line); }

    void RequestLine() {
        const char* method = settings_.MethodOrGet();
        out_.Append(method);
        out_.Append(" ");
        result_.requestVerb.SetString(method);

        HttpProxy proxy;
        SelectHttpProxy(settings_, in_.url, true, proxy, log_);
        StringBuffer target;
        if (!proxy.IsSet() || settings_.pathOnlyThroughProxy) {
            target.Append(in_.path && *in_.path ? in_.path : "/");
            if (in_.query && *in_.query) {
                target.Append("?");
                target.Append(in_.query);
            }
        } else {
            target.Append(in_.url);
            target.ChopAtLastChar('#');  // the fragment is never sent
        }
        settings_.lastRequestTarget.SetString(target);
        out_.Append(target);
        out_.Append(" HTTP/1.1\r\n");
    }

    // The host, with ":port" unless the port is 80 or 443, lower-cased.
    void HostLine() {
        StringBuffer host(in_.host);
        if (in_.port != 80 && in_.port != 443) {
            host.Append(":");
            host.AppendInt(in_.port);
        }
        host.ToLowerCase();
        ValueLine("Host", host);
    }

    void RangeLine() {
        if (settings_.rangeStart > 0) {
            out_.Append("Range: bytes=");
            out_.AppendInt64(settings_.rangeStart);
            out_.Append("-\r\n");
        }
    }

    void ExtraLines() {
        if (in_.extraLines) {
            out_.Append(in_.extraLines);
        }
    }

    // The extraHeaders fields, one "Name: value" line each.
    void ExtraFieldsBlock() {
        const MimeHeader& fields = settings_.extraHeaders;
        if (fields.Count() == 0) {
            return;
        }
        StringBuffer block;
        for (uint32_t i = 0; i < fields.Count(); ++i) {
            const MimeField* field = fields.FieldAt(i);
            StringBuffer value(field->Value());
            value.Trim();
            if (i > 0) {
                block.Append("\r\n");
            }
            block.Append(field->Name());
            block.Append(": ");
            block.Append(value);
        }
        while (block.LastChar() == '\r' || block.LastChar() == '\n') {
            block.Shorten(1);
        }
        out_.Append(block);
        out_.Append("\r\n");
    }

    void AcceptEncodingLine() {
        out_.Append(settings_.acceptGzip ? "Accept-Encoding: gzip\r\n" : "Accept-Encoding: \r\n");
    }

    void TokenAuthorizationLine() {
        if (settings_.authToken.IsEmpty()) {
            return;
        }
        out_.Append("Authorization: ");
        out_.Append(in_.authSchemeName);
        out_.Append(" ");
        out_.Append(settings_.authToken);
        out_.Append("\r\n");
    }

    void CookieLine() {
        if (settings_.CookieDir.IsEmpty() || !settings_.sendCookies) {
            log_.AddInfo("Not auto-adding cookies.");
            return;
        }
        log_.AddInfo("Auto-adding any accumulated cookies.");
        log_.AddData("CookieDir", settings_.CookieDir.GetString());
        log_.AddData("CookieDomain", TextOrEmpty(in_.host));
        log_.AddData("CookiePath", TextOrEmpty(in_.path));
        StringBuffer cookies;
        if (!in_.cookies ||
            !in_.cookies->CookieHeaderValue(settings_.CookieDir.GetString(), TextOrEmpty(in_.host),
                                            TextOrEmpty(in_.path), cookies, log_)) {
            log_.AddInfo("No cookie jar found.");
            return;
        }
        cookies.Trim();
        if (cookies.IsEmpty()) {
            return;
        }
        log_.AddData("AddingCookie", cookies.GetString());
        if (monitor_) {
            monitor_->Info("CookieToSend", cookies.GetString());
        }
        ValueLine("Cookie", cookies);
    }

    // The cookie line, then the Basic Authorization and Proxy-Authorization lines.
    void CookieAndBasicLines() {
        CookieLine();
        if (in_.credentials) {
            in_.credentials->AppendBasicAuthorizationLine(settings_, out_, log_, monitor_);
            in_.credentials->AppendBasicProxyAuthorizationLine(settings_, out_, log_, monitor_);
        }
    }

    // Default flavour: the conditional-request line for a cached copy.
    void ValidationLine() {
        if (!in_.revalidate) {
            return;
        }
        if (in_.cachedETag && *in_.cachedETag) {
            out_.Append("If-None-Match: ");
            out_.Append(in_.cachedETag);
            out_.Append("\r\n");
        } else if (in_.cachedDate) {
            out_.Append("If-Modified-Since: ");
            AppendRfc1123Date(out_, *in_.cachedDate);
            out_.Append("\r\n");
        }
    }

    void Finish() {
        result_.requestHeaderText.SetString(out_);
        out_.Append("\r\n");
    }

private:
    const GetRequestInputs& in_;
    HttpControl& settings_;
    HttpResult& result_;
    StringBuffer& out_;
    LogBase& log_;
    ProgressMonitor* monitor_;
};

}  // namespace

void BuildGetRequest(const GetRequestInputs& in, HttpControl& settings, HttpResult& result,
                     StringBuffer& request, LogBase& log, ProgressMonitor* monitor) {
    RequestWriter w("-- BuildGetRequest --", in, settings, result, request, log, monitor);
    w.RequestLine();
    w.ValidationLine();
    w.ExtraLines();
    w.ExtraFieldsBlock();
    w.RangeLine();
    w.ValueLineIfSet("Accept", settings.acceptHeader);
    w.TokenAuthorizationLine();
    if (!settings.extraHeaders.HasField("Accept-Encoding")) {
        w.AcceptEncodingLine();
    }
    w.ValueLineIfSet("Accept-Charset", settings.acceptCharset);
    w.ValueLineIfSet("Accept-Language", settings.acceptLanguage);
    w.ValueLineIfSet("Referer", settings.referer);
    w.ValueLineIfSet("User-Agent", settings.userAgent);
    w.CookieAndBasicLines();
    if (settings.addHostHeader) {
        w.HostLine();
    }
    w.ValueLineIfSet("Connection", settings.connectionHeader);
    w.Finish();
}

void BuildFireFoxGetRequest(const GetRequestInputs& in, HttpControl& settings, HttpResult& result,
                            StringBuffer& request, LogBase& log, ProgressMonitor* monitor) {
    RequestWriter w("-- BuildFireFoxGetRequest --", in, settings, result, request, log, monitor);
    w.RequestLine();
    w.HostLine();
    w.Fixed(kFirefoxUserAgent);
    w.ExtraLines();
    w.ExtraFieldsBlock();
    w.RangeLine();
    w.Fixed(kFirefoxAccept);
    w.ValueLineOr("Accept-Charset", settings.acceptCharset, "ISO-8859-1,utf-8;q=0.7,*;q=0.7");
    w.AcceptEncodingLine();
    w.ValueLineOr("Accept-Language", settings.acceptLanguage, "en-us,en;q=0.5");
    w.Fixed("Keep-Alive: 300\r\n");
    w.Fixed("Connection: keep-alive\r\n");
    w.TokenAuthorizationLine();
    w.ValueLineIfSet("Referer", settings.referer);
    w.CookieAndBasicLines();
    w.Finish();
}

void BuildIeGetRequest(const GetRequestInputs& in, HttpControl& settings, HttpResult& result,
                       StringBuffer& request, LogBase& log, ProgressMonitor* monitor) {
    RequestWriter w("-- BuildIeGetRequest --", in, settings, result, request, log, monitor);
    w.RequestLine();
    w.ExtraFieldsBlock();
    w.RangeLine();
    w.Fixed(kIeAccept);
    w.ValueLineIfSet("Referer", settings.referer);
    w.ValueLineOr("Accept-Language", settings.acceptLanguage, "en-us");
    w.ExtraLines();
    w.TokenAuthorizationLine();
    w.AcceptEncodingLine();
    w.Fixed(kIeUserAgent);
    w.CookieAndBasicLines();
    w.Fixed("Connection: Keep-Alive\r\n");
    w.HostLine();
    w.Finish();
}

void BuildChosenGetRequest(const GetRequestInputs& in, HttpControl& settings, HttpResult& result,
                           StringBuffer& request, LogBase& log, ProgressMonitor* monitor) {
    if (settings.ieStyleRequest) {
        BuildIeGetRequest(in, settings, result, request, log, monitor);
    } else if (settings.firefoxStyleRequest) {
        BuildFireFoxGetRequest(in, settings, result, request, log, monitor);
    } else {
        BuildGetRequest(in, settings, result, request, log, monitor);
    }
}

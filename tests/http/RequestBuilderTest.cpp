#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/Logger.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "http/ClsHttp.h"
#include "http/GetRequestBuilder.h"
#include "http/HttpControl.h"
#include "http/HttpDate.h"
#include "http/HttpProxySelection.h"
#include "http/HttpResult.h"
#include "tests/http/RecordedEvents.h"
#include "tests/support/TestSupport.h"

namespace {

std::string Str(const StringBuffer& text) {
    return std::string(text.GetString(), text.GetSize());
}

std::string LogText(Logger& log) {
    StringBuffer text;
    log.GetAsText(text);
    return text.GetString();
}

enum class Flavour { Default, Firefox, Ie, AsTheSettingsSay };

// The fixed browser lines, as the two desktop browsers sent them.
const std::string kFfAgent =
    "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.9.1.3) Gecko/20090824 "
    "Firefox/3.5.3 (.NET CLR 3.5.30729)\r\n";
const std::string kFfAccept =
    "Accept: text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8,"
    "image/png,*/*;q=0.5\r\n";
const std::string kFfTail =
    "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n"
    "Accept-Encoding: gzip\r\n"
    "Accept-Language: en-us,en;q=0.5\r\n"
    "Keep-Alive: 300\r\n"
    "Connection: keep-alive\r\n";
const std::string kIeAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-excel, "
    "application/msword, application/x-shockwave-flash, */*\r\n";
const std::string kIeAgent =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1; Trident/4.0; .NET CLR "
    "1.1.4322; .NET CLR 1.0.3705; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; .NET CLR "
    "3.5.21022; .NET CLR 3.0.4506.2152; .NET CLR 3.5.30729)\r\n";
const std::string kDefaultTail =
    "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n"
    "Accept-Language: en-us,en;q=0.5\r\n"
    "User-Agent: Quorvel/1.0.0 (+https://quorvel.example/http-agent.html)\r\n";

// One request: the URL's pieces as the URL parser hands them over.
struct Target {
    std::string url = "http://feedhost/feed.xml";
    std::string host = "feedhost";
    int port = 80;
    std::string path = "/feed.xml";
    std::string query;
};

struct Built {
    std::string request;
    std::string headerText;
    std::string verb;
    std::string lastTarget;
    std::string log;
};

Built Build(Flavour flavour, const Target& target, HttpControl& settings,
            const std::function<void(GetRequestInputs&)>& adjust = nullptr,
            ProgressMonitor* monitor = nullptr) {
    GetRequestInputs in;
    in.url = target.url.c_str();
    in.host = target.host.c_str();
    in.port = target.port;
    in.path = target.path.c_str();
    in.query = target.query.c_str();
    if (adjust) {
        adjust(in);
    }
    HttpResult result;
    StringBuffer request("old text that must go");
    Logger log;
    switch (flavour) {
        case Flavour::Default:
            BuildGetRequest(in, settings, result, request, log, monitor);
            break;
        case Flavour::Firefox:
            BuildFireFoxGetRequest(in, settings, result, request, log, monitor);
            break;
        case Flavour::Ie:
            BuildIeGetRequest(in, settings, result, request, log, monitor);
            break;
        case Flavour::AsTheSettingsSay:
            BuildChosenGetRequest(in, settings, result, request, log, monitor);
            break;
    }
    return {Str(request), Str(result.requestHeaderText), Str(result.requestVerb),
            Str(settings.lastRequestTarget), LogText(log)};
}

}  // namespace

TEST(RequestBuilder, TheRssRoadRequestByteForByte) {
    ClsHttp http;
    http.SetFirefoxStyleRequest(true);
    http.SetReadFromCache(false);
    http.SetWriteToCache(false);
    Target target;
    target.url = "http://FeedHost/news/feed.xml?a=1#top";
    target.host = "feedhost";
    target.path = "/news/feed.xml";
    target.query = "a=1";
    Built built = Build(Flavour::AsTheSettingsSay, target, http.Settings());
    EXPECT_EQ(built.request,
              "GET /news/feed.xml?a=1 HTTP/1.1\r\n"
              "Host: feedhost\r\n"
              "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.9.1.3) "
              "Gecko/20090824 Firefox/3.5.3 (.NET CLR 3.5.30729)\r\n"
              "Accept: text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,"
              "text/plain;q=0.8,image/png,*/*;q=0.5\r\n"
              "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n"
              "Accept-Encoding: gzip\r\n"
              "Accept-Language: en-us,en;q=0.5\r\n"
              "Keep-Alive: 300\r\n"
              "Connection: keep-alive\r\n"
              "\r\n");
    EXPECT_NE(built.log.find("-- BuildFireFoxGetRequest --"), std::string::npos);
    EXPECT_NE(built.log.find("Not auto-adding cookies."), std::string::npos);
    EXPECT_EQ(built.verb, "GET");
    EXPECT_EQ(built.lastTarget, "/news/feed.xml?a=1");
}

TEST(RequestBuilder, Cases) {
    struct Case {
        const char* name;
        Flavour flavour;
        std::function<void(Target&, HttpControl&)> setup;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"default flavour with the defaults", Flavour::Default, nullptr,
         "GET /feed.xml HTTP/1.1\r\nAccept: */*\r\nAccept-Encoding: gzip\r\n" + kDefaultTail +
             "Host: feedhost\r\nConnection: Keep-Alive\r\n\r\n"},
        {"internet explorer flavour with the defaults", Flavour::Ie, nullptr,
         "GET /feed.xml HTTP/1.1\r\n" + kIeAccept + "Accept-Language: en-us,en;q=0.5\r\n" +
             "Accept-Encoding: gzip\r\n" + kIeAgent +
             "Connection: Keep-Alive\r\nHost: feedhost\r\n\r\n"},
        {"an empty query gives no question mark; an empty path is sent as /", Flavour::Firefox,
         [](Target& t, HttpControl&) {
             t.url = "http://feedhost";
             t.path = "";
         },
         "GET / HTTP/1.1\r\nHost: feedhost\r\n" + kFfAgent + kFfAccept + kFfTail + "\r\n"},
        {"port 8080 is part of the host value", Flavour::Firefox,
         [](Target& t, HttpControl&) { t.port = 8080; },
         "GET /feed.xml HTTP/1.1\r\nHost: feedhost:8080\r\n" + kFfAgent + kFfAccept + kFfTail +
             "\r\n"},
        {"port 443 on a plain URL is left out", Flavour::Ie,
         [](Target& t, HttpControl&) { t.port = 443; },
         "GET /feed.xml HTTP/1.1\r\n" + kIeAccept + "Accept-Language: en-us,en;q=0.5\r\n" +
             "Accept-Encoding: gzip\r\n" + kIeAgent +
             "Connection: Keep-Alive\r\nHost: feedhost\r\n\r\n"},
        {"a host in capitals is sent in lower case", Flavour::Default,
         [](Target& t, HttpControl&) {
             t.host = "FeedHost.Example";
             t.port = 81;
         },
         "GET /feed.xml HTTP/1.1\r\nAccept: */*\r\nAccept-Encoding: gzip\r\n" + kDefaultTail +
             "Host: feedhost.example:81\r\nConnection: Keep-Alive\r\n\r\n"},
        {"range in the default flavour", Flavour::Default,
         [](Target&, HttpControl& s) { s.rangeStart = 1000; },
         "GET /feed.xml HTTP/1.1\r\nRange: bytes=1000-\r\nAccept: */*\r\nAccept-Encoding: "
         "gzip\r\n" +
             kDefaultTail + "Host: feedhost\r\nConnection: Keep-Alive\r\n\r\n"},
        {"range in the firefox flavour", Flavour::Firefox,
         [](Target&, HttpControl& s) { s.rangeStart = 1000; },
         "GET /feed.xml HTTP/1.1\r\nHost: feedhost\r\n" + kFfAgent + "Range: bytes=1000-\r\n" +
             kFfAccept + kFfTail + "\r\n"},
        {"range in the internet explorer flavour", Flavour::Ie,
         [](Target&, HttpControl& s) { s.rangeStart = 5000000000LL; },
         "GET /feed.xml HTTP/1.1\r\nRange: bytes=5000000000-\r\n" + kIeAccept +
             "Accept-Language: en-us,en;q=0.5\r\nAccept-Encoding: gzip\r\n" + kIeAgent +
             "Connection: Keep-Alive\r\nHost: feedhost\r\n\r\n"},
        {"gzip off in the default flavour", Flavour::Default,
         [](Target&, HttpControl& s) { s.acceptGzip = false; },
         "GET /feed.xml HTTP/1.1\r\nAccept: */*\r\nAccept-Encoding: \r\n" + kDefaultTail +
             "Host: feedhost\r\nConnection: Keep-Alive\r\n\r\n"},
        {"gzip off in the firefox flavour", Flavour::Firefox,
         [](Target&, HttpControl& s) { s.acceptGzip = false; },
         "GET /feed.xml HTTP/1.1\r\nHost: feedhost\r\n" + kFfAgent + kFfAccept +
             "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\nAccept-Encoding: \r\n"
             "Accept-Language: en-us,en;q=0.5\r\nKeep-Alive: 300\r\nConnection: "
             "keep-alive\r\n\r\n"},
        {"gzip off in the internet explorer flavour", Flavour::Ie,
         [](Target&, HttpControl& s) { s.acceptGzip = false; },
         "GET /feed.xml HTTP/1.1\r\n" + kIeAccept + "Accept-Language: en-us,en;q=0.5\r\n" +
             "Accept-Encoding: \r\n" + kIeAgent +
             "Connection: Keep-Alive\r\nHost: feedhost\r\n\r\n"},
        {"through a proxy the whole URL is the target, without its fragment", Flavour::Firefox,
         [](Target& t, HttpControl& s) {
             t.url = "http://feedhost/feed.xml?a=1#top";
             t.query = "a=1";
             s.proxyDomain.SetString("proxy.local");
             s.proxyPort = 3128;
         },
         "GET http://feedhost/feed.xml?a=1 HTTP/1.1\r\nHost: feedhost\r\n" + kFfAgent + kFfAccept +
             kFfTail + "\r\n"},
        {"pathOnlyThroughProxy sends path and query", Flavour::Firefox,
         [](Target& t, HttpControl& s) {
             t.url = "http://feedhost/feed.xml?a=1#top";
             t.query = "a=1";
             s.proxyDomain.SetString("proxy.local");
             s.pathOnlyThroughProxy = true;
         },
         "GET /feed.xml?a=1 HTTP/1.1\r\nHost: feedhost\r\n" + kFfAgent + kFfAccept + kFfTail +
             "\r\n"},
        {"a custom Accept-Encoding replaces the default flavour's own", Flavour::Default,
         [](Target&, HttpControl& s) { s.extraHeaders.AddField("accept-encoding", " identity "); },
         "GET /feed.xml HTTP/1.1\r\naccept-encoding: identity\r\nAccept: */*\r\n" + kDefaultTail +
             "Host: feedhost\r\nConnection: Keep-Alive\r\n\r\n"},
        {"the firefox flavour sends a custom Accept-Encoding and its own", Flavour::Firefox,
         [](Target&, HttpControl& s) { s.extraHeaders.AddField("Accept-Encoding", "identity"); },
         "GET /feed.xml HTTP/1.1\r\nHost: feedhost\r\n" + kFfAgent +
             "Accept-Encoding: identity\r\n" + kFfAccept + kFfTail + "\r\n"},
        {"the internet explorer flavour sends a custom Accept-Encoding and its own", Flavour::Ie,
         [](Target&, HttpControl& s) {
             s.extraHeaders.AddField("Accept-Encoding", "identity");
             s.extraHeaders.AddField("X-Two", "2\r\n");
         },
         "GET /feed.xml HTTP/1.1\r\nAccept-Encoding: identity\r\nX-Two: 2\r\n" + kIeAccept +
             "Accept-Language: en-us,en;q=0.5\r\nAccept-Encoding: gzip\r\n" + kIeAgent +
             "Connection: Keep-Alive\r\nHost: feedhost\r\n\r\n"},
        {"settings of the default flavour", Flavour::Default,
         [](Target&, HttpControl& s) {
             s.httpMethod.SetString("HEAD");
             s.acceptHeader.Clear();
             s.acceptCharset.Clear();
             s.acceptLanguage.SetString("de");
             s.referer.SetString("http://from/");
             s.userAgent.SetString("Agent/2");
             s.addHostHeader = false;
             s.connectionHeader.Clear();
         },
         "HEAD /feed.xml HTTP/1.1\r\nAccept-Encoding: gzip\r\nAccept-Language: de\r\n"
         "Referer: http://from/\r\nUser-Agent: Agent/2\r\n\r\n"},
        {"empty settings fall back to the browsers' own values", Flavour::Firefox,
         [](Target&, HttpControl& s) {
             s.acceptCharset.Clear();
             s.acceptLanguage.Clear();
             s.userAgent.SetString("never sent");
             s.referer.SetString("http://from/");
         },
         "GET /feed.xml HTTP/1.1\r\nHost: feedhost\r\n" + kFfAgent + kFfAccept + kFfTail +
             "Referer: http://from/\r\n\r\n"},
        {"the internet explorer language fallback", Flavour::Ie,
         [](Target&, HttpControl& s) {
             s.acceptLanguage.Clear();
             s.referer.SetString("http://from/");
         },
         "GET /feed.xml HTTP/1.1\r\n" + kIeAccept + "Referer: http://from/\r\n" +
             "Accept-Language: en-us\r\nAccept-Encoding: gzip\r\n" + kIeAgent +
             "Connection: Keep-Alive\r\nHost: feedhost\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Target target;
        HttpControl settings;
        if (c.setup) {
            c.setup(target, settings);
        }
        Built built = Build(c.flavour, target, settings);
        EXPECT_EQ(built.request, c.expected);
        // The recorded header is the request without the empty line that ends it.
        ASSERT_GE(built.request.size(), 2u);
        EXPECT_EQ(built.headerText, built.request.substr(0, built.request.size() - 2));
        EXPECT_EQ(built.headerText.substr(built.headerText.size() - 2), "\r\n");
        EXPECT_NE(built.headerText.substr(built.headerText.size() - 4), "\r\n\r\n");
    }
}

TEST(RequestBuilder, ExtraLinesTokenAndValidation) {
    HttpControl settings;
    settings.authToken.SetString("TlRMTVNTUAAB");
    auto withExtras = [](GetRequestInputs& in) {
        in.extraLines = "Authorization: Digest x\r\n";
        in.authSchemeName = "NTLM";
    };
    EXPECT_EQ(Build(Flavour::Firefox, Target(), settings, withExtras).request,
              "GET /feed.xml HTTP/1.1\r\nHost: feedhost\r\n" + kFfAgent +
                  "Authorization: Digest x\r\n" + kFfAccept + kFfTail +
                  "Authorization: NTLM TlRMTVNTUAAB\r\n\r\n");
    EXPECT_EQ(Build(Flavour::Ie, Target(), settings, withExtras).request,
              "GET /feed.xml HTTP/1.1\r\n" + kIeAccept + "Accept-Language: en-us,en;q=0.5\r\n" +
                  "Authorization: Digest x\r\nAuthorization: NTLM TlRMTVNTUAAB\r\n" +
                  "Accept-Encoding: gzip\r\n" + kIeAgent +
                  "Connection: Keep-Alive\r\nHost: feedhost\r\n\r\n");

    settings.authToken.Clear();
    auto byTag = [](GetRequestInputs& in) {
        in.revalidate = true;
        in.cachedETag = "\"v1\"";
        in.cachedDate = 784111777;
    };
    auto byDate = [](GetRequestInputs& in) {
        in.revalidate = true;
        in.cachedDate = 784111777;
    };
    const std::string tail = "Accept: */*\r\nAccept-Encoding: gzip\r\n" + kDefaultTail +
                             "Host: feedhost\r\nConnection: Keep-Alive\r\n\r\n";
    EXPECT_EQ(Build(Flavour::Default, Target(), settings, byTag).request,
              "GET /feed.xml HTTP/1.1\r\nIf-None-Match: \"v1\"\r\n" + tail);
    EXPECT_EQ(
        Build(Flavour::Default, Target(), settings, byDate).request,
        "GET /feed.xml HTTP/1.1\r\nIf-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT\r\n" + tail);
    EXPECT_EQ(Build(Flavour::Default, Target(), settings,
                    [](GetRequestInputs& in) {
                        in.cachedDate = 784111777;  // not asked to revalidate
                    })
                  .request,
              "GET /feed.xml HTTP/1.1\r\n" + tail);
}

TEST(RequestBuilder, Rfc1123Dates) {
    struct Case {
        int64_t seconds;
        const char* text;
    };
    const std::vector<Case> cases = {
        {0, "Thu, 01 Jan 1970 00:00:00 GMT"},         {784111777, "Sun, 06 Nov 1994 08:49:37 GMT"},
        {951782400, "Tue, 29 Feb 2000 00:00:00 GMT"}, {4102444799, "Thu, 31 Dec 2099 23:59:59 GMT"},
        {-1, "Wed, 31 Dec 1969 23:59:59 GMT"},
    };
    for (const Case& c : cases) {
        StringBuffer text;
        AppendRfc1123Date(text, c.seconds);
        EXPECT_EQ(Str(text), c.text);
    }
}

namespace {

class ScriptedCookies : public RequestCookieSource {
public:
    bool hasJar = true;
    std::string value;
    std::string askedDir, askedHost, askedPath;
    bool CookieHeaderValue(const char* cookieDir, const char* host, const char* path,
                           StringBuffer& out, LogBase&) override {
        askedDir = cookieDir;
        askedHost = host;
        askedPath = path;
        out.SetString(value.c_str());
        return hasJar;
    }
};

}  // namespace

TEST(RequestBuilder, CookieLine) {
    const std::string withoutCookie =
        "GET /feed.xml HTTP/1.1\r\nHost: feedhost\r\n" + kFfAgent + kFfAccept + kFfTail + "\r\n";
    HttpControl settings;
    // No cookie folder, or sending switched off: nothing to add.
    Built built = Build(Flavour::Firefox, Target(), settings);
    EXPECT_NE(built.log.find("Not auto-adding cookies."), std::string::npos);
    settings.CookieDir.SetString("/tmp/cookies");
    settings.sendCookies = false;
    built = Build(Flavour::Firefox, Target(), settings);
    EXPECT_NE(built.log.find("Not auto-adding cookies."), std::string::npos);
    EXPECT_EQ(built.request, withoutCookie);

    // A cookie folder without a store to read it: no jar.
    settings.sendCookies = true;
    built = Build(Flavour::Firefox, Target(), settings);
    EXPECT_NE(built.log.find("Auto-adding any accumulated cookies."), std::string::npos);
    EXPECT_NE(built.log.find("No cookie jar found."), std::string::npos);
    EXPECT_EQ(built.request, withoutCookie);

    ScriptedCookies cookies;
    cookies.value = "  a=1; b=2 ";
    RecordedEvents sink;
    ProgressMonitor monitor(&sink, 0);
    built = Build(
        Flavour::Firefox, Target(), settings, [&](GetRequestInputs& in) { in.cookies = &cookies; },
        &monitor);
    EXPECT_EQ(built.request, "GET /feed.xml HTTP/1.1\r\nHost: feedhost\r\n" + kFfAgent + kFfAccept +
                                 kFfTail + "Cookie: a=1; b=2\r\n\r\n");
    EXPECT_EQ(cookies.askedDir, "/tmp/cookies");
    EXPECT_EQ(cookies.askedHost, "feedhost");
    EXPECT_EQ(cookies.askedPath, "/feed.xml");
    EXPECT_NE(built.log.find("AddingCookie: a=1; b=2"), std::string::npos) << built.log;
    EXPECT_EQ(sink.events, std::vector<std::string>{"CookieToSend=a=1; b=2"});

    // A jar with nothing for this path adds no line.
    cookies.value = " ";
    built = Build(Flavour::Default, Target(), settings,
                  [&](GetRequestInputs& in) { in.cookies = &cookies; });
    EXPECT_EQ(built.request.find("Cookie:"), std::string::npos);
    EXPECT_EQ(built.log.find("No cookie jar found."), std::string::npos);
}

namespace {

class ScriptedCredentials : public RequestCredentialSource {
public:
    void AppendBasicAuthorizationLine(const HttpControl&, StringBuffer& request, LogBase&,
                                      ProgressMonitor*) override {
        request.Append("Authorization: Basic dTpw\r\n");
    }
    void AppendBasicProxyAuthorizationLine(const HttpControl&, StringBuffer& request, LogBase&,
                                           ProgressMonitor*) override {
        request.Append("Proxy-Authorization: Basic cHU6cHA=\r\n");
    }
};

}  // namespace

TEST(RequestBuilder, CredentialLinesComeFromTheirSourceInEachFlavoursPlace) {
    HttpControl settings;
    ScriptedCredentials credentials;
    auto withCredentials = [&](GetRequestInputs& in) { in.credentials = &credentials; };
    const std::string lines =
        "Authorization: Basic dTpw\r\nProxy-Authorization: Basic cHU6cHA=\r\n";
    EXPECT_EQ(Build(Flavour::Default, Target(), settings, withCredentials).request,
              "GET /feed.xml HTTP/1.1\r\nAccept: */*\r\nAccept-Encoding: gzip\r\n" + kDefaultTail +
                  lines + "Host: feedhost\r\nConnection: Keep-Alive\r\n\r\n");
    EXPECT_EQ(Build(Flavour::Firefox, Target(), settings, withCredentials).request,
              "GET /feed.xml HTTP/1.1\r\nHost: feedhost\r\n" + kFfAgent + kFfAccept + kFfTail +
                  lines + "\r\n");
    EXPECT_EQ(Build(Flavour::Ie, Target(), settings, withCredentials).request,
              "GET /feed.xml HTTP/1.1\r\n" + kIeAccept + "Accept-Language: en-us,en;q=0.5\r\n" +
                  "Accept-Encoding: gzip\r\n" + kIeAgent + lines +
                  "Connection: Keep-Alive\r\nHost: feedhost\r\n\r\n");
}

TEST(RequestBuilder, FlavourChoice) {
    struct Case {
        bool ie, firefox;
        const char* logged;
    };
    for (const Case& c : std::vector<Case>{{false, false, "-- BuildGetRequest --"},
                                           {false, true, "-- BuildFireFoxGetRequest --"},
                                           {true, true, "-- BuildIeGetRequest --"}}) {
        HttpControl settings;
        settings.ieStyleRequest = c.ie;
        settings.firefoxStyleRequest = c.firefox;
        EXPECT_NE(Build(Flavour::AsTheSettingsSay, Target(), settings).log.find(c.logged),
                  std::string::npos)
            << c.logged;
    }
}

TEST(RequestBuilder, SystemProxyFromTheBrowserSettings) {
    testsupport::TempFolder registry;
    testsupport::ScopedEnv root("QV_REGISTRY_ROOT", registry.Path());
    const std::string key =
        registry / "HKEY_CURRENT_USER/Software/Microsoft/Windows/CurrentVersion/Internet Settings";

    HttpControl settings;
    settings.useSystemProxy = true;
    // No settings at all: no proxy, and the missing value is named.
    Built built = Build(Flavour::Firefox, Target(), settings);
    EXPECT_EQ(built.lastTarget, "/feed.xml");
    EXPECT_NE(built.log.find("Failed to read registry: CURRENT_USER/Software/Microsoft/Windows/"
                             "CurrentVersion/Internet Settings/ProxyServer"),
              std::string::npos);

    testsupport::MakeFolders(key);
    testsupport::WriteFileBytes(key + "/ProxyServer", "http=webproxy:8888;https=tlsproxy:9999\n");
    built = Build(Flavour::Firefox, Target(), settings);
    EXPECT_EQ(built.lastTarget, "/feed.xml");
    EXPECT_NE(built.log.find("Internet Settings/ProxyEnable"), std::string::npos);

    testsupport::WriteFileBytes(key + "/ProxyEnable", "1\n");
    built = Build(Flavour::Firefox, Target(), settings);
    EXPECT_EQ(built.lastTarget, "http://feedhost/feed.xml");
    EXPECT_NE(built.log.find("IE_Proxy: webproxy:8888"), std::string::npos) << built.log;
    EXPECT_NE(built.log.find("IE_ProxyEnabled: 1"), std::string::npos);

    Target secure;
    secure.url = "HTTPS://feedhost/feed.xml";
    secure.port = 443;
    built = Build(Flavour::Firefox, secure, settings);
    EXPECT_NE(built.log.find("IE_Proxy: tlsproxy:9999"), std::string::npos);

    testsupport::WriteFileBytes(key + "/ProxyEnable", "0");
    built = Build(Flavour::Firefox, Target(), settings);
    EXPECT_EQ(built.lastTarget, "/feed.xml");

    // A configured proxy wins over the browser settings.
    settings.proxyDomain.SetString("configured");
    built = Build(Flavour::Firefox, Target(), settings);
    EXPECT_EQ(built.lastTarget, "http://feedhost/feed.xml");
    EXPECT_EQ(built.log.find("IE_Proxy"), std::string::npos);
}

TEST(RequestBuilder, SystemProxyHostAndPort) {
    testsupport::TempFolder registry;
    testsupport::ScopedEnv root("QV_REGISTRY_ROOT", registry.Path());
    const std::string key =
        registry / "HKEY_CURRENT_USER/Software/Microsoft/Windows/CurrentVersion/Internet Settings";
    testsupport::MakeFolders(key);
    testsupport::WriteFileBytes(key + "/ProxyEnable", "1");
    struct Case {
        const char* setting;
        const char* url;
        const char* host;
        int port;
    };
    const std::vector<Case> cases = {
        {"webproxy:8888", "http://h/", "webproxy", 8888},
        {"webproxy", "http://h/", "webproxy", 80},
        {"webproxy:", "http://h/", "webproxy", 80},
        {"webproxy:99999", "http://h/", "webproxy", 80},
        {"ftp=f:21;https=s:443", "http://h/", "", 3128},
        {"ftp=f:21;https=s:8443", "https://h/", "s", 8443},
        {"", "http://h/", "", 3128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        testsupport::WriteFileBytes(key + "/ProxyServer", c.setting);
        HttpControl settings;
        settings.useSystemProxy = true;
        settings.proxyPort = 3128;
        HttpProxy proxy;
        Logger log;
        SelectHttpProxy(settings, c.url, false, proxy, log);
        EXPECT_EQ(Str(proxy.host), c.host);
        EXPECT_EQ(proxy.port, c.port);
        EXPECT_EQ(LogText(log).find("IE_Proxy"), std::string::npos);  // the quiet form
    }
}

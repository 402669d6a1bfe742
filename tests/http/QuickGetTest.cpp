// The quick GET of the HTTP object (ClsHttp::HttpGet) against raw servers on loopback: the
// request that reaches the server, and the body as UTF-8 text in its charsets.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/Logger.h"
#include "core/StringBuffer.h"
#include "encoding/XString.h"
#include "http/ClsHttp.h"
#include "http/GetRequestBuilder.h"
#include "http/HttpResult.h"
#include "tests/http/RecordedEvents.h"
#include "tests/http/ScriptedHttpServer.h"

namespace {

using namespace std::string_literals;
using roadtest::Answer;
using roadtest::Response;
using roadtest::ScriptedHttpServer;

struct Got {
    bool ok = false;
    std::string text;
    std::string log;
};

Got Get(ClsHttp& http, const std::string& url, ProgressEvent* sink = nullptr,
        const char* textBefore = "") {
    XString urlText;
    urlText.SetFromUtf8(url.c_str());
    StringBuffer text(textBefore);
    Logger log;
    Got got;
    got.ok = http.HttpGet(urlText, text, log, sink);
    got.text.assign(text.GetString(), text.GetSize());
    StringBuffer rendered;
    log.GetAsText(rendered);
    got.log = rendered.GetString();
    return got;
}

ClsHttp& RssStyle(ClsHttp& http) {
    http.SetFirefoxStyleRequest(true);
    http.Settings().connectTimeout = 2;
    http.Settings().readTimeout = 2;
    return http;
}

TEST(QuickGet, SendsTheFirefoxStyleRequestTheBuilderMakes) {
    ScriptedHttpServer server({{Response("200 OK", "", "<rss/>")}});
    ClsHttp http;
    RssStyle(http);
    RecordedEvents events;
    const std::string port = std::to_string(server.Port());
    const Got got = Get(http, "  http://127.0.0.1:" + port + "/a b/feed.xml?x=1#top \r\n", &events);
    ASSERT_TRUE(got.ok) << got.log;
    EXPECT_EQ(got.text, "<rss/>");
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];

    // What the builder makes of the same URL, blank written as %20 and the fragment left out.
    HttpControl settings;
    settings.firefoxStyleRequest = true;
    HttpResult result;
    GetRequestInputs in;
    const std::string url = "http://127.0.0.1:" + port + "/a%20b/feed.xml?x=1#top";
    in.url = url.c_str();
    in.host = "127.0.0.1";
    in.port = server.Port();
    in.path = "/a%20b/feed.xml";
    in.query = "x=1";
    StringBuffer expected;
    LogNull quiet;
    BuildFireFoxGetRequest(in, settings, result, expected, quiet, nullptr);
    EXPECT_EQ(request, expected.GetString());
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /a%20b/feed.xml?x=1 HTTP/1.1");
    EXPECT_NE(request.find("\r\nHost: 127.0.0.1:" + port + "\r\n"), std::string::npos);

    EXPECT_NE(got.log.find("HttpGet:"), std::string::npos);
    EXPECT_NE(got.log.find("Success."), std::string::npos);
    EXPECT_NE(std::find(events.events.begin(), events.events.end(), "HttpStatusCode=200"),
              events.events.end());
    EXPECT_NE(std::find(events.events.begin(), events.events.end(), "RequestHeader=" + request),
              events.events.end());
}

TEST(QuickGet, DeliversTheBodyAsUtf8) {
    struct Case {
        const char* name;
        std::string status;
        std::string contentType;
        std::string body;
        bool ok;
        std::string text;
        const char* logged;
    };
    const std::string meta1251 =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=windows-1251\"></head><body>\xE9</body></html>";
    const std::string meta1251AsUtf8 =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=windows-1251\"></head><body>\xD0\xB9</body></html>";
    const std::string metaAs1252 =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=windows-1251\"></head><body>\xC3\xA9</body></html>";
    const std::vector<Case> cases = {
        {"ISO-8859-1 named in the header", "200 OK", "text/xml; charset=ISO-8859-1", "<a>\xE9</a>",
         true, "<a>\xC3\xA9</a>", "ResponseHdrCharset: ISO-8859-1"},
        {"a UTF-8 mark and no charset", "200 OK", "text/xml", "\xEF\xBB\xBF<a>\xC3\xA9</a>", true,
         "\xEF\xBB\xBF<a>\xC3\xA9</a>", "Response begins with utf-8 preamble."},
        {"a UTF-8 mark overrides the header", "200 OK", "text/xml; charset=iso-8859-1",
         "\xEF\xBB\xBF\xC3\xA9", true, "\xEF\xBB\xBF\xC3\xA9", nullptr},
        {"no charset and no high bytes", "200 OK", "text/xml", "<a>plain</a>", true, "<a>plain</a>",
         "No charset specified, assuming Windows-1252"},
        {"the meta charset of an HTML page", "200 OK", "text/html", meta1251, true, meta1251AsUtf8,
         "HtmlCharset: windows-1251"},
        {"the same page served as XML", "200 OK", "text/xml", meta1251, true, metaAs1252,
         "assuming Windows-1252"},
        {"NUL bytes in UTF-8", "200 OK", "text/plain; charset=utf-8", "a\0b\0"s, true, "a b ",
         nullptr},
        {"NUL bytes in US-ASCII", "200 OK", "text/plain; charset=us-ascii", "x\0y"s, true, "x y",
         nullptr},
        {"an unknown charset", "200 OK", "text/xml; charset=x-no-such-set", "<a>\xE9</a>", true,
         "<a>\xE9</a>", "ConvertFromCodePage: 0"},
        {"404 with an HTML page", "404 Not Found", "text/html; charset=iso-8859-1",
         "<html>\xE9t\xE9</html>", false, "<html>\xC3\xA9t\xC3\xA9</html>", "Failed."},
        {"an empty 200", "200 OK", "text/xml", "", true, "", "Success."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server(
            {{Response(c.status, "Content-Type: " + c.contentType + "\r\n", c.body)}});
        ClsHttp http;
        const Got got = Get(RssStyle(http), server.Url("/feed.xml"), nullptr, "left over");
        EXPECT_EQ(got.ok, c.ok) << got.log;
        EXPECT_EQ(got.text, c.text);
        if (c.logged) {
            EXPECT_NE(got.log.find(c.logged), std::string::npos) << got.log;
        }
    }
}

TEST(QuickGet, AFailedTransferLeavesTheTextEmpty) {
    ScriptedHttpServer server({Answer::Close("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhalf")});
    ClsHttp http;
    const Got got = Get(RssStyle(http), server.Url("/feed.xml"), nullptr, "from before");
    EXPECT_FALSE(got.ok);
    EXPECT_EQ(got.text, "");
    EXPECT_NE(got.log.find("Failed to fetch response data on non-SSL connection."),
              std::string::npos);
    EXPECT_NE(got.log.find("Failed."), std::string::npos);
}

TEST(QuickGet, BuildRequestOnlySendsNothing) {
    ScriptedHttpServer server({{Response("200 OK", "", "unused")}});
    ClsHttp http;
    RssStyle(http).Settings().buildRequestOnly = true;
    const Got got = Get(http, server.Url("/feed.xml"));
    EXPECT_TRUE(got.ok) << got.log;
    EXPECT_EQ(got.text, "");
    const std::string built = http.Settings().builtRequest.GetString();
    EXPECT_EQ(built.substr(0, built.find("\r\n")), "GET /feed.xml HTTP/1.1");
    EXPECT_EQ(built.substr(built.size() - 4), "\r\n\r\n");
    EXPECT_EQ(server.Connections(), 0);
}

}  // namespace

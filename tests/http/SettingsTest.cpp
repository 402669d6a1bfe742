#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "http/ClsHttp.h"
#include "http/EventHistorian.h"
#include "http/HttpControl.h"
#include "http/HttpResult.h"

namespace {

std::string Str(const StringBuffer& text) {
    return std::string(text.GetString(), text.GetSize());
}

}  // namespace

TEST(Settings, DefaultsOfANewHttpObject) {
    ClsHttp http;
    const HttpControl& s = http.Settings();
    EXPECT_EQ(s.connectTimeout, 10);
    EXPECT_EQ(s.readTimeout, 20);
    EXPECT_EQ(s.ReadTimeoutMs(), 20000u);
    EXPECT_EQ(s.heartbeatMs, 0);
    EXPECT_EQ(s.maxUrlLen, 2000);
    EXPECT_EQ(s.maxContentLength, 0u);
    EXPECT_EQ(Str(s.httpMethod), "");
    EXPECT_STREQ(s.MethodOrGet(), "GET");
    // "Quorvel/1.0.0", a blank, "(+", the address of the agent's page, ")".
    const std::string agent = Str(s.userAgent);
    EXPECT_EQ(agent.rfind("Quorvel/1.0.0 (+", 0), 0u);
    EXPECT_EQ(agent.back(), ')');
    EXPECT_EQ(Str(s.acceptHeader), "*/*");
    EXPECT_EQ(Str(s.acceptCharset), "ISO-8859-1,utf-8;q=0.7,*;q=0.7");
    EXPECT_EQ(Str(s.acceptLanguage), "en-us,en;q=0.5");
    EXPECT_EQ(Str(s.connectionHeader), "Keep-Alive");
    EXPECT_EQ(Str(s.referer), "");
    EXPECT_TRUE(s.addHostHeader);
    EXPECT_TRUE(s.acceptGzip);
    EXPECT_FALSE(s.ieStyleRequest);
    EXPECT_FALSE(s.firefoxStyleRequest);
    EXPECT_EQ(s.rangeStart, 0);
    EXPECT_EQ(s.extraHeaders.Count(), 0u);
    EXPECT_EQ(Str(s.authToken), "");
    EXPECT_FALSE(s.useNtlm || s.useNegotiate || s.useDigest);
    EXPECT_EQ(Str(s.proxyDomain), "");
    EXPECT_EQ(s.proxyPort, 80);
    EXPECT_EQ(Str(s.proxyAuthMethod), "");
    EXPECT_FALSE(s.useSystemProxy);
    EXPECT_FALSE(s.pathOnlyThroughProxy);
    EXPECT_TRUE(s.followRedirects);
    EXPECT_EQ(s.retriesOn503, 0);
    EXPECT_EQ(s.retryDelayMs, 2000);
    EXPECT_EQ(Str(s.requiredContentType), "");
    EXPECT_EQ(Str(s.CookieDir), "");
    EXPECT_TRUE(s.sendCookies);
    EXPECT_TRUE(s.saveCookies);
    EXPECT_FALSE(s.AllowCookieResponseCaching);
    EXPECT_FALSE(s.readFromCache);
    EXPECT_FALSE(s.writeToCache);
    EXPECT_FALSE(s.buildRequestOnly);
    EXPECT_EQ(Str(s.tlsProtocol), "default");
    EXPECT_EQ(Str(s.bindIp), "");
    EXPECT_EQ(s.connectLog, nullptr);
    EXPECT_EQ(s.socksVersion, 0);
    EXPECT_FALSE(http.VerboseLogging());
    EXPECT_EQ(http.ConnectTimeout(), 10);
    EXPECT_EQ(http.ReadTimeout(), 20);

    // The settings object on its own starts with the cache on.
    HttpControl bare;
    EXPECT_TRUE(bare.readFromCache);
    EXPECT_TRUE(bare.writeToCache);
}

TEST(Settings, TheSettersTheRssDownloadUses) {
    ClsHttp http;
    http.Settings().ieStyleRequest = true;
    http.SetFirefoxStyleRequest(false);
    EXPECT_TRUE(http.Settings().ieStyleRequest);  // switching off leaves the other flavour alone
    http.SetFirefoxStyleRequest(true);
    EXPECT_TRUE(http.Settings().firefoxStyleRequest);
    EXPECT_FALSE(http.Settings().ieStyleRequest);
    http.SetReadFromCache(true);
    http.SetWriteToCache(true);
    EXPECT_TRUE(http.Settings().readFromCache);
    EXPECT_TRUE(http.Settings().writeToCache);
}

TEST(Settings, ReadTimeoutInMilliseconds) {
    HttpControl s;
    s.readTimeout = 0;
    EXPECT_EQ(s.ReadTimeoutMs(), 0u);
    s.readTimeout = -3;
    EXPECT_EQ(s.ReadTimeoutMs(), 0u);
    s.readTimeout = 3000000;
    EXPECT_EQ(s.ReadTimeoutMs(), 3000000000u);
    s.readTimeout = 2000000000;
    EXPECT_EQ(s.ReadTimeoutMs(), UINT32_MAX);
}

TEST(Settings, ResultResets) {
    HttpResult result;
    result.wasRedirected = true;
    result.finalUrl.SetString("http://h/next");
    result.cacheStatus = 2;
    result.fromCache = true;
    result.sendFailed = true;
    const char block[] = "HTTP/1.1 302 Found\r\nLocation: /next\r\n\r\n";
    result.responseHeader.ParseResponseHeader(block, sizeof block - 1);
    result.requestVerb.SetString("GET");

    result.ResetForAttempt();
    EXPECT_TRUE(result.wasRedirected);
    EXPECT_EQ(Str(result.finalUrl), "http://h/next");
    EXPECT_EQ(result.cacheStatus, 0);
    EXPECT_FALSE(result.fromCache);
    EXPECT_FALSE(result.sendFailed);
    EXPECT_EQ(result.responseHeader.StatusCode(), 0);
    EXPECT_EQ(result.responseHeader.Fields().Count(), 0u);

    result.ResetForGet();
    EXPECT_FALSE(result.wasRedirected);
    EXPECT_EQ(Str(result.finalUrl), "");
    EXPECT_EQ(Str(result.requestVerb), "GET");  // the request record is rewritten per request
}

namespace {

class RecordingSink : public ProgressEvent {
public:
    std::vector<std::string> calls;
    bool abortAnswer = false;
    void PercentDone(int32_t percent, bool& abort) override {
        calls.push_back("PercentDone " + std::to_string(percent));
        abort = abortAnswer;
    }
    void AbortCheck(bool& abort) override {
        calls.push_back("AbortCheck");
        abort = abortAnswer;
    }
    void InfoEvent(const char* name, const char* value) override {
        calls.push_back(std::string(name) + "=" + value);
    }
    void Notify0a() override { calls.push_back("Notify0a"); }
    void ReceiveRate(uint32_t bytes, uint32_t rate) override {
        calls.push_back("ReceiveRate " + std::to_string(bytes) + " " + std::to_string(rate));
    }
    void TwoValueCheck(const char* a, const char* b, bool& abort) override {
        calls.push_back(std::string("TwoValueCheck ") + a + " " + b);
        abort = abortAnswer;
    }
};

std::vector<std::string> History(EventHistorian& historian) {
    std::vector<std::string> entries;
    for (uint32_t i = 0; i < historian.History().Count(); ++i) {
        StringBuffer name, value;
        historian.History().Entry(i, name, value);
        entries.push_back(Str(name) + "=" + Str(value));
    }
    return entries;
}

}  // namespace

TEST(Settings, EventHistorianForwardsAndRecords) {
    EventHistorian historian;
    RecordingSink sink;
    historian.SetTarget(&sink);

    // Through a monitor, as the request layers use it.
    ProgressMonitor monitor(&historian, 200);
    bool abort = true;
    monitor.AddDone(100, abort);
    monitor.Info("HttpInfo", "Begin reading response");
    historian.Notify0a();
    historian.ReceiveRate(10, 20);
    sink.abortAnswer = true;
    historian.TwoValueCheck("http://a/", "http://b/", abort);
    EXPECT_TRUE(abort);
    EXPECT_EQ(sink.calls, (std::vector<std::string>{
                              "PercentDone 50", "HttpInfo=Begin reading response", "Notify0a",
                              "ReceiveRate 10 20", "TwoValueCheck http://a/ http://b/"}));
    EXPECT_EQ(historian.History().Count(), 0u);  // keepEventLog is off by default

    historian.SetKeepEventLog(true);
    sink.abortAnswer = false;
    historian.PercentDone(75, abort);
    historian.InfoEvent("ChunkSize", "5");
    historian.AbortCheck(abort);
    EXPECT_FALSE(abort);
    EXPECT_EQ(History(historian), (std::vector<std::string>{"PercentDone=75", "ChunkSize=5"}));
    historian.History().Clear();
    EXPECT_EQ(historian.History().Count(), 0u);
}

TEST(Settings, EventHistorianWithoutTargetAnswersTheDefaultAbort) {
    EventHistorian historian;
    EXPECT_FALSE(historian.DefaultAbort());
    bool abort = true;
    historian.AbortCheck(abort);
    EXPECT_FALSE(abort);
    historian.SetDefaultAbort(true);
    bool percentAbort = false, timedAbort = false, valueAbort = false;
    historian.PercentDone(10, percentAbort);
    historian.TimedAbortCheck(0, timedAbort);
    historian.ValueCheckA(7, valueAbort);
    EXPECT_TRUE(percentAbort && timedAbort && valueAbort);
    EXPECT_FALSE(historian.Query());
    historian.InfoEvent("a", "b");  // no target: nothing to forward, nothing kept
    EXPECT_EQ(historian.History().Count(), 0u);
}

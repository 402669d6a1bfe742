// The request layers below the quick GET (the pool's QuickReq, the retry loop, one attempt, the
// redirect step) against raw servers on loopback that answer with scripted bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/Logger.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "http/HttpCall.h"
#include "http/HttpClient.h"
#include "http/HttpConnPool.h"
#include "http/HttpControl.h"
#include "http/HttpResult.h"
#include "net/OutputSink.h"
#include "tests/http/ScriptedHttpServer.h"
#include "tests/support/LoopbackServer.h"

namespace {

using roadtest::Answer;
using roadtest::Chunked;
using roadtest::GzipMember;
using roadtest::Response;
using roadtest::ScriptedHttpServer;

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

std::string RequestLine(const std::string& request) {
    return request.substr(0, request.find("\r\n"));
}

// A progress sink that can veto redirects and abort once a body is under way (the monitor
// restarts its count for the body, so the percentage drops for the first time there).
class Sink : public ProgressEvent {
public:
    bool vetoRedirects = false;
    bool abortInBody = false;
    std::vector<std::string> redirects;

    void PercentDone(int32_t percent, bool& abort) override {
        if (abortInBody && percent < highest_) {
            abort = true;
        }
        highest_ = std::max(highest_, percent);
    }
    void TwoValueCheck(const char* from, const char* to, bool& abort) override {
        redirects.push_back(std::string(from) + " -> " + to);
        abort = vetoRedirects;
    }

private:
    int32_t highest_ = 0;
};

struct Fetched {
    bool ok = false;
    std::string body;
    std::string log;
    int status = 0;
    double seconds = 0;
};

class RequestDriver : public ::testing::Test {
protected:
    RequestDriver() {
        settings.connectTimeout = 2;
        settings.readTimeout = 2;
        settings.retryDelayMs = 10;
    }

    Fetched Fetch(const std::string& url) {
        Logger log;
        MemoryOutput output;
        ProgressMonitor monitor(&sink, 100);
        HttpCall call{settings, output, result, log, &monitor, false};
        result.ResetForGet();
        Fetched fetched;
        const auto start = std::chrono::steady_clock::now();
        fetched.ok = pool->QuickReq(url.c_str(), call);
        fetched.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const DataBuffer& bytes = output.Buffer();
        fetched.body.assign(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize());
        fetched.status = result.responseHeader.StatusCode();
        StringBuffer text;
        log.GetAsText(text);
        fetched.log = text.GetString();
        return fetched;
    }

    HttpControl settings;
    void FreshPool() { pool = std::make_unique<HttpConnPool>(); }

    HttpResult result;
    std::unique_ptr<HttpConnPool> pool = std::make_unique<HttpConnPool>();
    Sink sink;
};

const std::string kFeed =
    "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Road</title>"
    "<item><title>One</title></item><item><title>Two</title></item></channel></rss>";

TEST_F(RequestDriver, BodyFramings) {
    struct Case {
        const char* name;
        std::vector<Answer> answers;
        int status;
        std::string body;
        const char* logged;
    };
    const std::string gzipped = GzipMember(kFeed);
    const std::vector<Case> cases = {
        {"Content-Length", {{Response("200 OK", "", "hello")}}, 200, "hello", nullptr},
        {"Content-Length 0", {{Response("200 OK", "", "")}}, 200, "", nullptr},
        {"chunked, with a chunk extension",
         {{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;name=x\r\nhello\r\n6\r\n "
           "world\r\n0\r\n\r\n"}},
         200,
         "hello world",
         "Reading chunked response"},
        {"until the server closes",
         {Answer::Close("HTTP/1.1 200 OK\r\n\r\nto the end")},
         200,
         "to the end",
         "Read max non-chunked response"},
        {"404 with a body", {{Response("404 Not Found", "", "missing")}}, 404, "missing", nullptr},
        {"gzip with Content-Encoding",
         {{Response("200 OK", "Content-Encoding: gzip\r\n", gzipped)}},
         200,
         kFeed,
         "UncompressedSize"},
        {"gzip without Content-Encoding stays compressed",
         {{Response("200 OK", "", gzipped)}},
         200,
         gzipped,
         nullptr},
        {"chunked gzip",
         {{"HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n\r\n" +
           Chunked(gzipped, 40)}},
         200,
         kFeed,
         nullptr},
        {"gzip twice is expanded twice",
         {{Response("200 OK", "Content-Encoding: gzip\r\n", GzipMember(gzipped))}},
         200,
         kFeed,
         "Decompressing GZIP response..."},
        {"100 Continue before the answer",
         {{"HTTP/1.1 100 Continue\r\n\r\n" + Response("200 OK", "", "hello")}},
         200,
         "hello",
         nullptr},
        {"HTML without a header, up to the close",
         {Answer::Close("<html><body>no header</body></html>")},
         200,
         "<html><body>no header</body></html>",
         nullptr},
        {"HTML without a header, with an empty line",
         {Answer::Close("<!---x-->\r\n<HTML>\r\n\r\n<body>b</body></HTML>")},
         200,
         "<!---x-->\r\n<HTML>\r\n\r\n<body>b</body></HTML>",
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server(c.answers);
        FreshPool();
        const Fetched fetched = Fetch(server.Url("/feed.xml"));
        EXPECT_TRUE(fetched.ok) << fetched.log;
        EXPECT_EQ(fetched.status, c.status);
        EXPECT_EQ(fetched.body, c.body);
        if (c.logged) {
            EXPECT_NE(fetched.log.find(c.logged), std::string::npos) << fetched.log;
        }
    }
}

TEST_F(RequestDriver, KeepsTheConnectionUntilTheServerClosesIt) {
    ScriptedHttpServer server({{Response("200 OK", "", "one")},
                               Answer::Close(Response("200 OK", "Connection: close\r\n", "two")),
                               {Response("200 OK", "", "three")}});
    EXPECT_EQ(Fetch(server.Url("/a")).body, "one");
    const Fetched second = Fetch(server.Url("/b"));
    EXPECT_EQ(second.body, "two");
    EXPECT_NE(second.log.find("Using existing connection to web server..."), std::string::npos);
    EXPECT_NE(second.log.find("Got connection:close header"), std::string::npos);
    EXPECT_EQ(server.Connections(), 1);

    const Fetched third = Fetch(server.Url("/c"));
    EXPECT_EQ(third.body, "three");
    EXPECT_NE(third.log.find("Connecting to web server..."), std::string::npos);
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_EQ(pool->Count(), 1u);
}

TEST_F(RequestDriver, AConnectionTheServerDroppedIsReplacedForTheNextRequest) {
    // The first answer says nothing about closing; the server closes all the same.
    ScriptedHttpServer server(
        {Answer::Close(Response("200 OK", "", "one")), {Response("200 OK", "", "two")}});
    EXPECT_EQ(Fetch(server.Url("/a")).body, "one");
    ASSERT_TRUE(server.WaitUntilClosedByServer(1));

    const Fetched second = Fetch(server.Url("/b"));
    EXPECT_TRUE(second.ok) << second.log;
    EXPECT_EQ(second.body, "two");
    EXPECT_NE(second.log.find("simpleHttpRequest_1"), std::string::npos);
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_EQ(server.Requests().size(), 2u);  // nothing was sent into the dead connection
}

std::vector<Answer> RedirectChain(int redirects, const std::string& last) {
    std::vector<Answer> answers;
    for (int i = 1; i <= redirects; ++i) {
        answers.push_back({Response("302 Found", "Location: /r" + std::to_string(i) + "\r\n", "")});
    }
    answers.push_back({Response("200 OK", "", last)});
    return answers;
}

TEST_F(RequestDriver, RedirectChains) {
    {
        ScriptedHttpServer server(RedirectChain(8, "final"));
        const Fetched fetched = Fetch(server.Url("/r0"));
        EXPECT_TRUE(fetched.ok) << fetched.log;
        EXPECT_EQ(fetched.body, "final");
        EXPECT_TRUE(result.wasRedirected);
        EXPECT_STREQ(result.finalUrl.GetString(), server.Url("/r8").c_str());
        const std::vector<std::string> requests = server.Requests();
        ASSERT_EQ(requests.size(), 9u);
        EXPECT_EQ(RequestLine(requests[8]), "GET /r8 HTTP/1.1");
        EXPECT_EQ(server.Connections(), 1);  // every hop on the same connection
        EXPECT_EQ(Count(fetched.log, "Using existing connection for redirect..."), 8u);
        EXPECT_EQ(sink.redirects.size(), 8u);
        EXPECT_EQ(sink.redirects[0], server.Url("/r0") + " -> " + server.Url("/r1"));
    }
    {
        ScriptedHttpServer server(RedirectChain(9, "never"));
        const Fetched fetched = Fetch(server.Url("/r0"));
        EXPECT_FALSE(fetched.ok);
        EXPECT_NE(fetched.log.find("Aborted to avoid infinite redirects."), std::string::npos);
        EXPECT_EQ(server.Requests().size(), 9u);
    }
}

TEST_F(RequestDriver, RedirectAnswers) {
    struct Case {
        const char* name;
        std::string answer;
        bool followRedirects;
        bool veto;
        bool ok;
        int status;
        size_t requests;
        const char* logged;
    };
    const std::string moved = Response("301 Moved", "Location: next/feed.xml\r\n", "moved");
    const std::vector<Case> cases = {
        {"302 without Location", Response("302 Found", "", ""), true, false, false, 302, 1,
         "Got 301/302 redirect, but no new location."},
        {"303 is not followed", Response("303 See Other", "Location: /other\r\n", "see"), true,
         false, true, 303, 1, nullptr},
        {"307 is not followed", Response("307 Temporary", "Location: /other\r\n", ""), true, false,
         true, 307, 1, nullptr},
        {"a page-not-found target", Response("302 Found", "Location: /PageNotFound.aspx\r\n", ""),
         true, false, false, 302, 1, "This is actually a page-not-found error."},
        {"vetoed by the application", moved, true, true, false, 301, 1, "Aborted by application."},
        {"not followed when switched off", moved, false, false, true, 301, 1, nullptr},
        {"relative Location", moved, true, false, true, 200, 2, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server({{c.answer}, {Response("200 OK", "", "there")}});
        settings.followRedirects = c.followRedirects;
        sink.vetoRedirects = c.veto;
        const Fetched fetched = Fetch(server.Url("/dir/start.xml"));
        EXPECT_EQ(fetched.ok, c.ok) << fetched.log;
        EXPECT_EQ(fetched.status, c.status);
        EXPECT_EQ(server.Requests().size(), c.requests);
        if (c.logged) {
            EXPECT_NE(fetched.log.find(c.logged), std::string::npos) << fetched.log;
        }
    }
    // The relative target is resolved against the directory of the first URL; with following
    // switched off the redirect is only recorded.
    ScriptedHttpServer server({{moved}, {Response("200 OK", "", "there")}});
    settings.followRedirects = true;
    sink.vetoRedirects = false;
    EXPECT_EQ(Fetch(server.Url("/dir/start.xml")).body, "there");
    EXPECT_EQ(RequestLine(server.Requests().at(1)), "GET /dir/next/feed.xml HTTP/1.1");

    settings.followRedirects = false;
    ScriptedHttpServer once({{moved}});
    const Fetched recorded = Fetch(once.Url("/dir/start.xml"));
    EXPECT_EQ(recorded.body, "moved");
    EXPECT_TRUE(result.wasRedirected);
    EXPECT_STREQ(result.finalUrl.GetString(), once.Url("/dir/next/feed.xml").c_str());
}

TEST_F(RequestDriver, ARedirectToAnotherServerGoesOverANewConnection) {
    ScriptedHttpServer target({{Response("200 OK", "", "from the target")}});
    ScriptedHttpServer first(
        {{Response("302 Found", "Location: " + target.Url("/feed.xml") + "\r\n", "")},
         {Response("200 OK", "", "from the first server")}});
    const Fetched fetched = Fetch(first.Url("/start"));
    EXPECT_TRUE(fetched.ok) << fetched.log;
    EXPECT_EQ(fetched.body, "from the target");
    EXPECT_EQ(first.Requests().size(), 1u);
    ASSERT_EQ(target.Requests().size(), 1u);
    EXPECT_NE(target.Requests()[0].find("Host: 127.0.0.1:" + std::to_string(target.Port())),
              std::string::npos);
    EXPECT_NE(fetched.log.find("Using new connection..."), std::string::npos);
}

TEST_F(RequestDriver, Status503IsAskedForAgainAsOftenAsConfigured) {
    struct Case {
        const char* name;
        int retries;
        std::vector<Answer> answers;
        int status;
        size_t requests;
    };
    const Answer unavailable{Response("503 Service Unavailable", "", "busy")};
    const Answer fine{Response("200 OK", "", "fine")};
    const std::vector<Case> cases = {
        {"no retries by default", 0, {unavailable, fine}, 503, 1},
        {"two retries, three requests", 2, {unavailable, unavailable, unavailable, fine}, 503, 3},
        {"a retry that succeeds", 2, {unavailable, fine}, 200, 2},
    };
    settings.retryDelayMs = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server(c.answers);
        settings.retriesOn503 = c.retries;
        const Fetched fetched = Fetch(server.Url("/feed.xml"));
        EXPECT_TRUE(fetched.ok) << fetched.log;  // the status is judged by the quick GET
        EXPECT_EQ(fetched.status, c.status);
        EXPECT_EQ(server.Requests().size(), c.requests);
        EXPECT_EQ(Count(fetched.log, "simpleHttpRequest_3"), c.requests);
        EXPECT_GE(fetched.seconds, 0.1 * static_cast<double>(c.requests - 1) - 0.01);
    }
}

TEST_F(RequestDriver, AnswersWithoutAStatusLineAreAskedForFiveMoreTimes) {
    ScriptedHttpServer server(std::vector<Answer>(8, Answer{"garbage, no status\r\n\r\n"}));
    const Fetched fetched = Fetch(server.Url("/feed.xml"));
    EXPECT_FALSE(fetched.ok);
    EXPECT_EQ(server.Requests().size(), 6u);
    EXPECT_EQ(server.Connections(), 6);
    EXPECT_EQ(Count(fetched.log, "Invalid response header received"), 6u);
    EXPECT_EQ(Count(fetched.log, "simpleHttpRequest_2"), 5u);
}

TEST_F(RequestDriver, HeaderReadFailures) {
    struct Case {
        const char* name;
        Answer answer;
        const char* reason;
        double mostSeconds;
    };
    std::string endless = "HTTP/1.1 200 OK\r\n";
    while (endless.size() < 70000) {
        endless += "X-Filler: " + std::string(100, 'f') + "\r\n";
    }
    const std::vector<Case> cases = {
        {"closed before the header ended", Answer::Close("HTTP/1.1 200 OK\r\nContent-"),
         "HTTP server closed the connection before the response head could be read.", 1.0},
        {"closed without a word", Answer::Close(""),
         "HTTP server closed the connection before the response head could be read.", 1.0},
        {"stalled past the read time-out", Answer::Stall("HTTP/1.1 200 OK\r\n", 3000),
         "Timeout trying to read HTTP response header", 2.5},
        {"a header that never ends", Answer::Stall(endless, 3000),
         "The block has not ended within the allowed size.", 2.0},
    };
    settings.readTimeout = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server({c.answer});
        FreshPool();
        const Fetched fetched = Fetch(server.Url("/feed.xml"));
        EXPECT_FALSE(fetched.ok);
        EXPECT_NE(fetched.log.find(c.reason), std::string::npos) << fetched.log;
        EXPECT_NE(fetched.log.find("Failed to get response header"), std::string::npos);
        EXPECT_EQ(server.Requests().size(), 1u);  // never repeated
        EXPECT_LT(fetched.seconds, c.mostSeconds);
    }
}

TEST_F(RequestDriver, MaxContentLengthCountsTheExpandedBody) {
    settings.maxContentLength = 100;
    ScriptedHttpServer server(
        {{Response("200 OK", "", std::string(150, 'x'))},
         {Response("200 OK", "Content-Encoding: gzip\r\n", GzipMember(std::string(500, 'a')))},
         {Response("200 OK", "", std::string(100, 'y'))}});
    const Fetched declared = Fetch(server.Url("/long"));
    EXPECT_FALSE(declared.ok);
    EXPECT_NE(declared.log.find("Content length more than the maximum allowed."),
              std::string::npos);

    const Fetched expanded = Fetch(server.Url("/gzip"));
    EXPECT_FALSE(expanded.ok);
    EXPECT_NE(expanded.log.find("Content length more than the maximum allowed..."),
              std::string::npos);

    EXPECT_TRUE(Fetch(server.Url("/exact")).ok);
}

TEST_F(RequestDriver, TheApplicationCanAbortDuringTheBody) {
    const std::string body(200000, 'b');
    const std::string response = Response("200 OK", "", body);
    ScriptedHttpServer server({Answer::Stall(response.substr(0, response.size() / 2), 3000)});
    settings.readTimeout = 5;
    sink.abortInBody = true;
    const Fetched fetched = Fetch(server.Url("/big"));
    EXPECT_FALSE(fetched.ok);
    EXPECT_NE(fetched.log.find("Application aborted HTTP GET in event callback."),
              std::string::npos)
        << fetched.log;
    EXPECT_NE(fetched.log.find("Application aborted HTTP operation..."), std::string::npos);
    EXPECT_LT(fetched.seconds, 2.0);
}

TEST_F(RequestDriver, ThePoolKeepsTenConnectionsAndDropsTheLeastRecentlyUsed) {
    std::vector<std::unique_ptr<ScriptedHttpServer>> servers;
    for (int i = 0; i < 11; ++i) {
        servers.push_back(std::make_unique<ScriptedHttpServer>(
            std::vector<Answer>(2, Answer{Response("200 OK", "", "s" + std::to_string(i))})));
    }
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Fetch(servers[i]->Url("/")).body, "s" + std::to_string(i));
    }
    EXPECT_EQ(Fetch(servers[0]->Url("/again")).body, "s0");  // server 0 is now the most recent
    EXPECT_EQ(servers[0]->Connections(), 1);
    EXPECT_EQ(pool->Count(), 10u);

    EXPECT_EQ(Fetch(servers[10]->Url("/")).body, "s10");
    EXPECT_EQ(pool->Count(), 10u);
    EXPECT_EQ(pool->Client(0)->ConnectionPort(), servers[2]->Port());
    EXPECT_EQ(pool->Client(9)->ConnectionPort(), servers[10]->Port());
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (servers[1]->ClosedByClient() == 0 && std::chrono::steady_clock::now() < end) {
    }
    EXPECT_EQ(servers[1]->ClosedByClient(), 1);  // its connection was closed with its entry
    EXPECT_EQ(servers[0]->ClosedByClient(), 0);
    EXPECT_EQ(servers[2]->ClosedByClient(), 0);
}

TEST_F(RequestDriver, Answers401) {
    struct Case {
        const char* name;
        std::string challenge;
        const char* userInfo;
        const char* logged;
        const char* sentLine;
    };
    const std::vector<Case> cases = {
        {"no credentials", "WWW-Authenticate: Basic realm=\"feeds\"\r\n", "",
         "Cannot authenticate.  Login and/or password not provided.", nullptr},
        {"Negotiate offered", "WWW-Authenticate: Negotiate\r\n", "",
         "Failed to load Negotiate security package", nullptr},
        {"Basic credentials refused", "WWW-Authenticate: Basic realm=\"feeds\"\r\n", "user:pw@",
         "Try Basic authentication?", "Authorization: Basic dXNlcjpwdw==\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server({{Response("401 Unauthorized", c.challenge, "denied")}});
        settings.useNegotiate = false;  // a Negotiate exchange leaves the scheme switched on
        const Fetched fetched = Fetch("http://" + std::string(c.userInfo) +
                                      "127.0.0.1:" + std::to_string(server.Port()) + "/private");
        EXPECT_FALSE(fetched.ok);
        EXPECT_EQ(fetched.status, 401);
        EXPECT_NE(fetched.log.find("Received 401 response."), std::string::npos);
        EXPECT_NE(fetched.log.find(c.logged), std::string::npos) << fetched.log;
        ASSERT_EQ(server.Requests().size(), 1u);
        if (c.sentLine) {
            EXPECT_NE(server.Requests()[0].find(c.sentLine), std::string::npos);
            EXPECT_EQ(RequestLine(server.Requests()[0]), "GET /private HTTP/1.1");
        }
    }
}

TEST_F(RequestDriver, HttpsFailsCleanlyWithoutASecureChannel) {
    const int port = testsupport::LoopbackServer::UnusedPort();
    const Fetched fetched = Fetch("https://127.0.0.1:" + std::to_string(port) + "/feed.xml");
    EXPECT_FALSE(fetched.ok);
    EXPECT_NE(fetched.log.find("Using HTTPS."), std::string::npos);
    EXPECT_NE(fetched.log.find("No secure channel is available for this connection."),
              std::string::npos);
    EXPECT_NE(fetched.log.find("Failed to connect to HTTP server."), std::string::npos);
}

}  // namespace

// The real kFeedDoc program against a scripted server on a raw loopback socket, for what a real
// server will not send: exact request bytes, redirect chains, odd status lines, servers that
// close or stall. Each test checks the exit value, the last application log line, the export
// document, and what reached the server.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/EndToEndSupport.h"
#include "tests/support/TestSupport.h"

using e2e::Answer;
using e2e::FeedRun;
using e2e::HttpAnswer;
using e2e::RequestTarget;
using e2e::ScriptedHttpServer;

using e2e::kDownloadFailed;
using e2e::kNoChannel;
using e2e::kSuccess;

namespace {

constexpr const char* kXml = "text/xml; charset=utf-8";

const std::string& Feed() {
    static const std::string feed = e2e::RssFeed("Raw", {{"One", "http://raw.example/1", "Tue", "first", "me"}});
    return feed;
}

const std::string& FeedExport() {
    static const std::string bytes = e2e::ExportDocument(
        u"Raw", u"http://feeds.example/", u"Test feed", {{u"One", u"http://raw.example/1", u"Tue", u"first", u"me", u""}});
    return bytes;
}

std::string FeedAnswer() { return HttpAnswer("HTTP/1.1 200 OK", kXml, Feed()); }

void ExpectEnd(const FeedRun& run, const e2e::ProgramResult& result, int exitValue, const std::string& message,
               const std::string& datum) {
    EXPECT_FALSE(result.killed) << "the program did not end by itself";
    EXPECT_EQ(result.exitValue, exitValue) << result.output;
    const testsupport::AppLogEntry last = run.LastLogLine();
    EXPECT_EQ(last.type, exitValue == 0 ? "INFO" : "ERROR");
    EXPECT_EQ(last.val2, message);
    EXPECT_EQ(last.val3, datum);
    if (exitValue == 0) {
        EXPECT_EQ(e2e::ExportText(run.ExportBytes()), e2e::ExportText(FeedExport()));
    } else {
        EXPECT_FALSE(run.ExportBytes().has_value());
    }
}

std::vector<std::string> Targets(const ScriptedHttpServer& server) {
    std::vector<std::string> targets;
    for (const std::string& head : server.Requests()) {
        targets.push_back(RequestTarget(head));
    }
    return targets;
}

// /r0 redirects to /r1 and so on; /r<last> answers with the feed.
Answer RedirectChain(const std::string& head, int last, int port) {
    const int step = std::stoi(RequestTarget(head).substr(2));
    if (step < last) {
        const std::string next = "http://127.0.0.1:" + std::to_string(port) + "/r" + std::to_string(step + 1);
        return {HttpAnswer("HTTP/1.1 302 Found", "text/html", "", "Location: " + next + "\r\n")};
    }
    return {FeedAnswer()};
}

}  // namespace

// The request on the wire is the fixed browser-style request: nothing more, nothing less, in this
// order. The command line's arguments are joined by one blank, and the blank travels as %20;
// the host is lower-cased and the fragment stays behind.
TEST(RawServerEndToEnd, TheRequestIsTheBrowserStyleRequest) {
    ScriptedHttpServer server([](const std::string&, int) { return Answer{FeedAnswer()}; });
    const std::string host = "localhost:" + std::to_string(server.Port());
    FeedRun run;
    const auto result = run.Run({"http://LocalHost:" + std::to_string(server.Port()) + "/news/a", "b.xml?x=1&y=2#top"});
    ExpectEnd(run, result, 0, kSuccess, "http://LocalHost:" + std::to_string(server.Port()) + "/news/a b.xml?x=1&y=2#top");

    const std::string expected =
        "GET /news/a%20b.xml?x=1&y=2 HTTP/1.1\r\n"
        "Host: " + host + "\r\n"
        "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.9.1.3) Gecko/20090824 Firefox/3.5.3 (.NET CLR 3.5.30729)\r\n"
        "Accept: text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8,image/png,*/*;q=0.5\r\n"
        "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n"
        "Accept-Encoding: gzip\r\n"
        "Accept-Language: en-us,en;q=0.5\r\n"
        "Keep-Alive: 300\r\n"
        "Connection: keep-alive\r\n"
        "\r\n";
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], expected);
}

// At most 8 redirects are followed on one connection; a 9th fails the download.
TEST(RawServerEndToEnd, ARedirectChainOfEightIsFollowedAndOneOfNineIsNot) {
    for (int redirects : {8, 9}) {
        SCOPED_TRACE(redirects);
        int port = 0;
        ScriptedHttpServer server([&](const std::string& head, int) { return RedirectChain(head, redirects, port); });
        port = server.Port();
        FeedRun run;
        const auto result = run.Run(server.Url("/r0"));
        ExpectEnd(run, result, redirects == 8 ? 0 : 255, redirects == 8 ? kSuccess : kDownloadFailed, server.Url("/r0"));
        std::vector<std::string> expected;
        for (int i = 0; i <= 8; ++i) {
            expected.push_back("/r" + std::to_string(i));
        }
        EXPECT_EQ(Targets(server), expected) << "the answer to /r8 is the last one asked for";
        EXPECT_EQ(server.Connections(), 1) << "redirects on the same host keep the connection";
    }
}

// A relative Location is resolved against the current URL; a blank in it travels as %20.
TEST(RawServerEndToEnd, ARelativeLocationIsResolved) {
    ScriptedHttpServer server([](const std::string& head, int) {
        if (RequestTarget(head) == "/dir/start") {
            return Answer{HttpAnswer("HTTP/1.1 301 Moved Permanently", "", "", "Location: next/my feed.xml\r\n")};
        }
        return Answer{FeedAnswer()};
    });
    FeedRun run;
    const auto result = run.Run(server.Url("/dir/start"));
    ExpectEnd(run, result, 0, kSuccess, server.Url("/dir/start"));
    EXPECT_EQ(Targets(server), (std::vector<std::string>{"/dir/start", "/dir/next/my%20feed.xml"}));
}

// Answers that end the download: each is asked for once (a 503 is not retried by default), and
// the run ends on the download-failed road.
TEST(RawServerEndToEnd, AnswersThatFailTheDownload) {
    struct Case {
        const char* name;
        Answer first;  // the answer to the first request; any later one gets the feed
    };
    const Case cases[] = {
        {"302 without Location", {HttpAnswer("HTTP/1.1 302 Found", "text/html", "<p>moved</p>")}},
        {"302 to a page-not-found page",
         {HttpAnswer("HTTP/1.1 302 Found", "", "", "Location: /errors/PageNotFound.aspx\r\n")}},
        {"503 then 200", {HttpAnswer("HTTP/1.1 503 Service Unavailable", "text/html", "<p>busy</p>", "Retry-After: 0\r\n")}},
        {"404 with a feed as its body", {HttpAnswer("HTTP/1.1 404 Not Found", kXml, Feed())}},
        {"closed before the header", {"", true}},
        {"closed inside the header", {"HTTP/1.1 200 OK\r\nContent-Len", true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server([&](const std::string&, int index) { return index == 0 ? c.first : Answer{FeedAnswer()}; });
        FeedRun run;
        const auto result = run.Run(server.Url("/feed.xml"));
        ExpectEnd(run, result, 255, kDownloadFailed, server.Url("/feed.xml"));
        EXPECT_EQ(server.Requests().size(), 1u);
    }
}

// Interim and header-less answers that still lead to a result.
TEST(RawServerEndToEnd, A100ContinueBeforeTheAnswerIsSkipped) {
    ScriptedHttpServer server(
        [](const std::string&, int) { return Answer{"HTTP/1.1 100 Continue\r\n\r\n" + FeedAnswer()}; });
    FeedRun run;
    const auto result = run.Run(server.Url("/feed.xml"));
    ExpectEnd(run, result, 0, kSuccess, server.Url("/feed.xml"));
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(RawServerEndToEnd, AnHtmlPageWithoutStatusLineIsAPageWithoutChannel) {
    ScriptedHttpServer server([](const std::string&, int) {
        return Answer{"<html>\r\n<head><title>Old server</title></head>\r\n\r\n<body><p>Hello</p></body></html>\r\n", true};
    });
    FeedRun run;
    const auto result = run.Run(server.Url("/feed.xml"));
    ExpectEnd(run, result, 255, kNoChannel, server.Url("/feed.xml"));
    EXPECT_EQ(server.Requests().size(), 1u);
}

// An answer that is neither a status line nor HTML is asked for again on new connections, five
// more times, and then the download fails.
TEST(RawServerEndToEnd, GarbageWithoutStatusLineIsRetriedThenFails) {
    ScriptedHttpServer server([](const std::string&, int) { return Answer{"SSH-2.0-OpenSSH_9.2\r\n\r\n", true}; });
    FeedRun run;
    const auto result = run.Run(server.Url("/feed.xml"));
    ExpectEnd(run, result, 255, kDownloadFailed, server.Url("/feed.xml"));
    EXPECT_EQ(server.Requests().size(), 6u);
    EXPECT_EQ(server.Connections(), 6);
}

// A body that looks like the name of a local XML file is a document like any other: it is
// parsed (and has no channel), never opened as a file, so a server cannot make the program
// export our own files.
TEST(RawServerEndToEnd, ABodyThatNamesALocalFileIsNotOpened) {
    testsupport::TempFolder secret;
    const std::string localFeed = secret / "private.xml";
    testsupport::WriteFileBytes(localFeed, e2e::RssFeed("Private", {{"secret", "l", "d", "x", "y"}}));
    ScriptedHttpServer server([&](const std::string&, int) { return Answer{HttpAnswer("HTTP/1.1 200 OK", "text/plain", localFeed)}; });
    FeedRun run;
    const auto result = run.Run(server.Url("/feed.xml"));
    ExpectEnd(run, result, 255, kNoChannel, server.Url("/feed.xml"));
}

// A server that accepts the request and then says nothing: the read time-out (20 s) ends the
// download, and the program ends by itself soon after.
TEST(RawServerEndToEnd, AStalledServerTimesOut) {
    ScriptedHttpServer server([](const std::string&, int) { return Answer{"", false, 30000}; });
    FeedRun run;
    const auto result = run.Run(server.Url("/feed.xml"), 30);
    ExpectEnd(run, result, 255, kDownloadFailed, server.Url("/feed.xml"));
    EXPECT_GE(result.seconds, 19.5);
    EXPECT_LT(result.seconds, 24.0);
    EXPECT_EQ(server.Requests().size(), 1u) << "a time-out is not retried";
}

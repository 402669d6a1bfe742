// The real kFeedDoc program against a real nginx on loopback: the feed travels the whole road
// (connection, request, compressed and chunked bodies, charset conversion, parsing, export) and
// each test checks the exit value, the last application log line and the export's bytes.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/app/EndToEndSupport.h"
#include "tests/support/NginxServer.h"
#include "tests/support/TestSupport.h"

using e2e::ExportDocument;
using e2e::ExportItem;
using e2e::FeedItem;
using e2e::FeedRun;
using testsupport::NginxOptions;
using testsupport::NginxServer;

using e2e::kDownloadFailed;
using e2e::kNoChannel;
using e2e::kSuccess;

namespace {


std::string Fixture(const std::string& name) {
    return testsupport::ReadFileBytes(std::string(QV_TEST_FIXTURES) + "/" + name);
}

// Checks the three results of a run: exit value, last log line, export document.
void ExpectEnd(const FeedRun& run, const e2e::ProgramResult& result, int exitValue, const std::string& type,
               const std::string& message, const std::string& datum) {
    EXPECT_FALSE(result.killed) << "the program did not end by itself";
    EXPECT_EQ(result.exitValue, exitValue) << result.output;
    const testsupport::AppLogEntry last = run.LastLogLine();
    EXPECT_EQ(last.type, type);
    EXPECT_EQ(last.val2, message);
    EXPECT_EQ(last.val3, datum);
}

void ExpectFailure(const FeedRun& run, const e2e::ProgramResult& result, const std::string& message,
                   const std::string& datum) {
    ExpectEnd(run, result, 255, "ERROR", message, datum);
    EXPECT_FALSE(run.ExportBytes().has_value()) << "a failed run leaves no export document";
}

struct ServerCase {
    const char* name;
    NginxOptions options;
    std::vector<std::string> headMustHave;  // what the answer's head shows for this configuration
};

void PrintTo(const ServerCase& c, std::ostream* out) { *out << c.name; }

class NginxFixtureTest : public ::testing::TestWithParam<ServerCase> {};

}  // namespace

// The fixture feed (UTF-8, with a euro sign, a Greek letter, entities, CDATA and no-break space
// pairs) must arrive byte for byte as the fixture export, whatever way the server sends it.
TEST_P(NginxFixtureTest, TheFeedArrivesAsTheExpectedExport) {
    const ServerCase& c = GetParam();
    NginxServer server(c.options);
    server.AddFile("feeds/news.xml", Fixture("export-feed.xml"));
    const std::string head = server.ResponseHead("/feeds/news.xml", true);
    for (const std::string& line : c.headMustHave) {
        EXPECT_NE(head.find("\r\n" + line + "\r\n"), std::string::npos) << line << " missing in\n" << head;
    }

    FeedRun run;
    const std::string url = server.Url("/feeds/news.xml");
    const auto result = run.Run(url);
    ExpectEnd(run, result, 0, "INFO", kSuccess, url);
    EXPECT_EQ(e2e::ExportText(run.ExportBytes()), e2e::ExportText(Fixture("export-expected.xml")));
}

INSTANTIATE_TEST_SUITE_P(
    ServerSettings, NginxFixtureTest,
    ::testing::Values(
        ServerCase{"Plain", {.gzip = false, .charset = "utf-8"},
                   {"Content-Type: text/xml; charset=utf-8", "Content-Length: 913", "Connection: keep-alive"}},
        ServerCase{"GzipChunked", {.gzip = true, .charset = "utf-8"},
                   {"Content-Encoding: gzip", "Transfer-Encoding: chunked", "Connection: keep-alive"}},
        ServerCase{"ChunkedUncompressed", {.charset = "utf-8", .chunked = true}, {"Transfer-Encoding: chunked"}},
        ServerCase{"NoKeepAlive", {.charset = "utf-8", .keepAlive = false}, {"Content-Length: 913", "Connection: close"}},
        ServerCase{"GzipNoKeepAlive", {.gzip = true, .charset = "utf-8", .keepAlive = false},
                   {"Content-Encoding: gzip", "Connection: close"}}),
    [](const ::testing::TestParamInfo<ServerCase>& param) { return std::string(param.param.name); });

// A feed of a few hundred items, compressed: the gzip body spans many chunks and many reads.
TEST(NginxEndToEnd, ALargeCompressedFeedArrivesWhole) {
    std::vector<FeedItem> items;
    std::vector<ExportItem> expected;
    for (int i = 0; i < 200; ++i) {
        const std::string n = std::to_string(i);
        std::string words;
        for (int w = 0; w < 60; ++w) {
            words += std::to_string((i * 7919 + w * 104729) % 100003) + (w % 9 == 0 ? " &amp; " : " ");
        }
        items.push_back({"Item " + n, "http://feeds.example/" + n, "Mon, 07 Dec 2026 10:00:00 GMT",
                         "&lt;p&gt;" + words + "&lt;/p&gt;", "desk" + n + "@feeds.example"});
        std::u16string text;
        for (char ch : "<p>" + words + "</p>") {
            text += static_cast<char16_t>(ch);
        }
        size_t at;
        while ((at = text.find(u"&amp;")) != std::u16string::npos) {
            text.replace(at, 5, u"&");
        }
        const std::u16string wide(n.begin(), n.end());
        expected.push_back({u"Item " + wide, u"http://feeds.example/" + wide, u"Mon, 07 Dec 2026 10:00:00 GMT", text,
                            u"desk" + wide + u"@feeds.example", u""});
    }
    NginxServer server({.gzip = true, .charset = "utf-8"});
    const std::string feed = e2e::RssFeed("Numbers", items);
    ASSERT_GT(feed.size(), 100000u);
    server.AddFile("big.rss", feed);

    FeedRun run;
    const auto result = run.Run(server.Url("/big.rss"));
    ExpectEnd(run, result, 0, "INFO", kSuccess, server.Url("/big.rss"));
    EXPECT_EQ(e2e::ExportText(run.ExportBytes()), e2e::ExportText(ExportDocument(u"Numbers", u"http://feeds.example/", u"Test feed", expected)));
    const auto log = run.Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2].val2, "Number of Items in XML is ");
    EXPECT_EQ(log[log.size() - 2].val3, "200.");
}

// The body's charset comes from the Content-Type parameter, else a UTF-8 byte-order mark, else
// windows-1252 is assumed (the feed's own XML declaration is not consulted). The export holds
// the text in the ANSI code page 1252, each byte widened to one UTF-16 unit.
TEST(NginxEndToEnd, TheBodyCharsetDecidesTheText) {
    struct Case {
        const char* name;
        std::string charset;    // the server's charset parameter, or none
        std::string titleBytes;  // the channel title as the file holds it
        std::u16string exported;
        bool byteOrderMark = false;
    };
    const Case cases[] = {
        {"utf-8 declared", "utf-8", "Caf\xC3\xA9 \xE2\x82\xAC", u"Caf\u00e9 \u0080"},
        {"iso-8859-1 declared", "iso-8859-1", "Caf\xE9 \xA3", u"Caf\u00e9 \u00a3"},
        {"windows-1252 declared", "windows-1252", "Caf\xE9 \x80", u"Caf\u00e9 \u0080"},
        {"utf-8 with a byte-order mark, nothing declared", "", "Caf\xC3\xA9", u"Caf\u00e9", true},
        {"utf-8 with nothing declared is read as windows-1252", "", "Caf\xC3\xA9", u"Caf\u00c3\u00a9"},
        {"ASCII with nothing declared", "", "Cafe &amp; bar", u"Cafe & bar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NginxServer server({.charset = c.charset});
        std::string feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel><title>" +
                           c.titleBytes + "</title><link>http://x.example/</link></channel></rss>";
        if (c.byteOrderMark) {
            feed = "\xEF\xBB\xBF" + feed;
        }
        server.AddFile("feed.xml", feed);
        if (!c.charset.empty()) {
            EXPECT_NE(server.ResponseHead("/feed.xml", false).find("Content-Type: text/xml; charset=" + c.charset),
                      std::string::npos);
        }
        FeedRun run;
        const auto result = run.Run(server.Url("/feed.xml"));
        ExpectEnd(run, result, 0, "INFO", kSuccess, server.Url("/feed.xml"));
        EXPECT_EQ(e2e::ExportText(run.ExportBytes()), e2e::ExportText(ExportDocument(c.exported, u"http://x.example/", u"", {})));
    }
}

// The ends that come after a successful transfer: no channel in what arrived, and an export
// folder that cannot be made.
TEST(NginxEndToEnd, ADocumentWithoutAChannelEndsTheRun) {
    NginxServer server({.gzip = true, .charset = "utf-8"});
    server.AddFile("atom.atom",
                   "<?xml version=\"1.0\" encoding=\"utf-8\"?><feed xmlns=\"http://www.w3.org/2005/Atom\">"
                   "<title>Atom</title><entry><title>One</title><id>urn:1</id></entry></feed>");
    server.AddFile("page.html",
                   "<!DOCTYPE html>\n<html><head><title>Not a feed</title></head>\n"
                   "<body><p>Our feed moved.</p></body></html>\n");
    for (const char* path : {"/atom.atom", "/page.html"}) {
        SCOPED_TRACE(path);
        FeedRun run;
        const auto result = run.Run(server.Url(path));
        ExpectFailure(run, result, kNoChannel, server.Url(path));
    }
}

TEST(NginxEndToEnd, WithoutTheVqtsFolderTheExportCannotBeCreated) {
    NginxServer server;
    server.AddFile("feed.xml", e2e::RssFeed("T", {{"a", "l", "d", "x", "y"}}));
    FeedRun run(/*withVqts=*/false);
    const auto result = run.Run(server.Url("/feed.xml"));
    ExpectFailure(run, result, "Create file fail ..\\DuCor\\RSSLinks\\Temp_RSS.xml :", "");
    EXPECT_FALSE(testsupport::FileExists(run.DataFolder() + "/vQTS")) << "no parent folder is made";
    const auto log = run.Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2].val2, "open file from ..\\DuCor\\RSSLinks\\Temp_RSS.xml :");
}

// A failed download: the document of an earlier run is gone.
TEST(NginxEndToEnd, AFailedDownloadLeavesNoOldExportBehind) {
    NginxServer server;
    FeedRun run;
    testsupport::MakeFolders(run.DataFolder() + "/vQTS/DuCor/RssLinks");
    testsupport::WriteFileBytes(run.ExportPath(), "old export");
    const auto result = run.Run(server.Url("/missing.xml"));
    ExpectFailure(run, result, kDownloadFailed, server.Url("/missing.xml"));
}

// A port where nothing listens: the connect is tried again (a server may be starting) until the
// 10 s connect time-out is used up, and then the download fails.
TEST(NginxEndToEnd, ARefusedConnectionFailsAfterTheConnectTimeOut) {
    const std::string url = "http://127.0.0.1:" + std::to_string(testsupport::LoopbackServer::UnusedPort()) + "/feed.xml";
    FeedRun run;
    testsupport::MakeFolders(run.DataFolder() + "/vQTS/DuCor/RssLinks");
    testsupport::WriteFileBytes(run.ExportPath(), "old export");
    const auto result = run.Run(url);
    ExpectFailure(run, result, kDownloadFailed, url);
    EXPECT_GE(result.seconds, 9.0);
    EXPECT_LT(result.seconds, 14.0);
}

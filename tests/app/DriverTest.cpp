#include "app/Driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "tests/support/LoopbackServer.h"
#include "tests/support/TestSupport.h"

using testsupport::LoopbackServer;
using testsupport::ScopedEnv;
using testsupport::ServerConnection;
using testsupport::TempFolder;

namespace {

constexpr char kFeed[] =
    "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>T</title><link>L</link>"
    "<description>D</description><item><title>One</title></item></channel></rss>";

// Answers one request with a fixed response and keeps what the client sent.
class OneAnswerServer {
public:
    explicit OneAnswerServer(std::string response)
        : server_([this, response](ServerConnection& connection) {
              request_ = connection.ReceiveUntil("\r\n\r\n", 5000);
              connection.Send(response);
          }) {}

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(server_.Port()) + path;
    }
    const std::string& Request() const { return request_; }

private:
    std::string request_;
    LoopbackServer server_;
};

std::string Ok(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// One run of the program's job in a sandboxed data folder whose export folders can be made.
class DriverTest : public ::testing::Test {
protected:
    DriverTest()
        : programData_("PROGRAMDATA", dir_.Path()),
          registry_("QV_REGISTRY_ROOT", dir_ / "registry") {
        testsupport::MakeFolders(Data() + "/vQTS");
    }

    std::string Data() const { return dir_ / "TALVEX"; }
    std::string ExportPath() const { return Data() + "/vQTS/DuCor/RssLinks/Temp_RSS.xml"; }
    std::vector<std::string> LoggedSteps() const {
        std::vector<std::string> steps;
        for (const auto& entry : testsupport::ReadApplicationLog(Data())) {
            steps.push_back(entry.type + " " + entry.val2);
        }
        return steps;
    }

    TempFolder dir_;
    ScopedEnv programData_, registry_;
};

}  // namespace

TEST_F(DriverTest, ASuccessfulRunLogsEveryStepAndWritesTheExport) {
    OneAnswerServer server(Ok(kFeed));
    EXPECT_EQ(RunFeedDoc(server.Url("/feed.xml")), 0);
    EXPECT_TRUE(testsupport::FileExists(ExportPath()));
    const std::vector<std::string> expected = {
        "INFO Application Started Installation Path is :",
        "INFO Module File Path is :",
        "INFO ProgramData Path is :",
        "INFO Creating QvRss object:",
        "INFO Creating XML for Link:",
        "INFO Downloading RSS Success :",
        "INFO open file from ..\\DuCor\\RSSLinks\\Temp_RSS.xml :",
        "INFO Number of Items in XML is ",
        "INFO XML Created. Application Successfully Ends",
    };
    EXPECT_EQ(LoggedSteps(), expected);
    EXPECT_EQ(testsupport::ReadApplicationLog(Data()).back().val3, server.Url("/feed.xml"));
}

TEST_F(DriverTest, TheDownloadGetsTheWholeUrlWhileTheLogShowsItsFirst255Characters) {
    OneAnswerServer server(Ok(kFeed));
    const std::string url = server.Url("/" + std::string(300, 'a'));
    EXPECT_EQ(RunFeedDoc(url), 0);
    EXPECT_NE(server.Request().find("GET /" + std::string(300, 'a') + " HTTP/1.1\r\n"),
              std::string::npos);
    const auto log = testsupport::ReadApplicationLog(Data());
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(log[4].val2, "Creating XML for Link:");
    EXPECT_EQ(log[4].val3, url.substr(0, 255));
}

TEST_F(DriverTest, AFailedDownloadEndsTheRunWithoutAnExport) {
    testsupport::MakeFolders(Data() + "/vQTS/DuCor/RssLinks");
    testsupport::WriteFileBytes(ExportPath(), "the export of an earlier run");
    OneAnswerServer server(
        "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: 9\r\n\r\nNot found");
    const std::string url = server.Url("/missing.xml");
    EXPECT_EQ(RunFeedDoc(url), -1);
    EXPECT_FALSE(testsupport::FileExists(ExportPath()));
    const auto log = testsupport::ReadApplicationLog(Data());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().type, "ERROR");
    EXPECT_EQ(log.back().val2, "Downloading RSS Failed :");
    EXPECT_EQ(log.back().val3, url);
}

// A body is a document, never the name of a local file, even when it looks like one.
TEST_F(DriverTest, ABodyThatLooksLikeAFileNameIsNotOpened) {
    const std::string localFeed = dir_ / "feed.xml";
    testsupport::WriteFileBytes(localFeed, kFeed);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    OneAnswerServer server(Ok("feed.xml"));
    const int exitValue = RunFeedDoc(server.Url("/"));
    std::filesystem::current_path(previous);
    EXPECT_EQ(exitValue, -1);
    EXPECT_EQ(LoggedSteps().back(), "ERROR Unable to locate a Channel");
    EXPECT_FALSE(testsupport::FileExists(ExportPath()));
}

TEST(RunWithCatchAll, PassesTheJobsExitValueOn) {
    EXPECT_EQ(RunWithCatchAll([] { return 0; }, ""), 0);
    EXPECT_EQ(RunWithCatchAll([] { return -1; }, ""), -1);
}

// Running out of memory half-way through the export must not leave a truncated document that
// a reader would take for a finished one, nor report success.
TEST(RunWithCatchAll, AJobThatThrowsFailsAndLeavesNoHalfWrittenExport) {
    TempFolder dir;
    const std::string exportPath = dir / "Temp_RSS.xml";
    std::string knownPath;
    const int exitValue = RunWithCatchAll(
        [&]() -> int {
            knownPath = exportPath;
            testsupport::WriteFileBytes(exportPath, "\xFF\xFE<");
            throw std::bad_alloc();
        },
        knownPath);
    EXPECT_EQ(exitValue, -1);
    EXPECT_FALSE(testsupport::FileExists(exportPath));
}

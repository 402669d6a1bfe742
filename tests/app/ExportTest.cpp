#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/ApplicationLog.h"
#include "app/ExportRun.h"
#include "app/FeedExport.h"
#include "app/RunFolders.h"
#include "platform/Utf16Text.h"
#include "rss/QvRss.h"
#include "tests/support/TestSupport.h"

using testsupport::ScopedEnv;
using testsupport::TempFolder;
using testsupport::Utf16LeBytes;

namespace {

std::string Fixture(const std::string& name) {
    return testsupport::ReadFileBytes(std::string(QV_TEST_FIXTURES) + "/" + name);
}

// A data folder with the export folders in place, and the ANSI code page 1252.
class ExportTest : public ::testing::Test {
protected:
    ExportTest() : ansi_("QV_ANSI_CODEPAGE", "1252") {
        folders_.dataFolder = platform::Utf8ToUtf16(dir_ / "TALVEX");
        testsupport::MakeFolders(dir_ / "TALVEX/vQTS/DuCor/RssLinks");
        SetLogBaseFolder(folders_.dataFolder);
    }

    std::unique_ptr<QvRss> Loaded(const std::string& text) {
        auto feed = std::make_unique<QvRss>();
        EXPECT_TRUE(feed->Impl().LoadFeedText(text.c_str()));
        return feed;
    }

    std::string ExportPath() const { return platform::Utf16ToUtf8(folders_.ExportPath()); }
    std::string Data() const { return dir_ / "TALVEX"; }

    TempFolder dir_;
    ScopedEnv ansi_;
    RunFolders folders_;
};

}  // namespace

TEST_F(ExportTest, AFeedBecomesTheExpectedDocument) {
    auto feed = Loaded(Fixture("export-feed.xml"));
    EXPECT_EQ(ExportFeed(*feed, folders_, u"http://example.com/feed"), 0);
    EXPECT_EQ(testsupport::ReadFileBytes(ExportPath()), Fixture("export-expected.xml"));

    const auto log = testsupport::ReadApplicationLog(Data());
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].val2, "open file from ..\\DuCor\\RSSLinks\\Temp_RSS.xml :");
    EXPECT_EQ(log[0].val3, "");
    EXPECT_EQ(log[1].val2, "Number of Items in XML is ");
    EXPECT_EQ(log[1].val3, "2.");
    EXPECT_EQ(log[2].type, "INFO");
    EXPECT_EQ(log[2].val2, "XML Created. Application Successfully Ends");
    EXPECT_EQ(log[2].val3, "http://example.com/feed");
}

TEST_F(ExportTest, AChannelWithoutItems) {
    auto feed = Loaded("<rss><channel><title>T</title><description>D</description></channel></rss>");
    EXPECT_EQ(ExportFeed(*feed, folders_, u"u"), 0);
    EXPECT_EQ(testsupport::ReadFileBytes(ExportPath()),
              "\xFF\xFE" + Utf16LeBytes(u"<rootrss><maintitle><![CDATA[T]]></maintitle>"
                                        u"<mainlink><![CDATA[]]></mainlink>"
                                        u"<maindescription><![CDATA[D]]></maindescription></rootrss>"));
    const auto log = testsupport::ReadApplicationLog(Data());
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1].val3, "0.");
}

TEST_F(ExportTest, NoChannelMeansNoDocument) {
    auto atom = Loaded("<feed><entry><title>x</title></entry></feed>");
    EXPECT_EQ(ExportFeed(*atom, folders_, u"http://example.com/atom"), -1);
    EXPECT_FALSE(testsupport::FileExists(ExportPath()));
    const auto log = testsupport::ReadApplicationLog(Data());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].type, "ERROR");
    EXPECT_EQ(log[0].val2, "Unable to locate a Channel");
    EXPECT_EQ(log[0].val3, "http://example.com/atom");
}

TEST_F(ExportTest, AnExportFolderThatCannotBeWrittenEndsTheRun) {
    folders_.dataFolder = platform::Utf8ToUtf16(dir_ / "elsewhere");
    testsupport::MakeFolders(dir_ / "elsewhere");
    SetLogBaseFolder(folders_.dataFolder);
    auto feed = Loaded("<rss><channel><title>T</title></channel></rss>");
    EXPECT_EQ(ExportFeed(*feed, folders_, u"u"), -1);
    const auto log = testsupport::ReadApplicationLog(dir_ / "elsewhere");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].type, "ERROR");
    EXPECT_EQ(log[1].val2, "Create file fail ..\\DuCor\\RSSLinks\\Temp_RSS.xml :");
    EXPECT_EQ(log[1].val3, "");
}

TEST(FeedExportText, NoBreakSpacePairsGoInOnePass) {
    struct Case {
        std::u16string in, out;
    };
    const Case cases[] = {
        {u"link\u00a0 ", u"link"},
        {u"a\u00a0  b", u"a b"},
        {u"\u00a0\u00a0 x", u"\u00a0x"},  // the pair a removal forms stays
        {u"\u00a0", u"\u00a0"},
        {u" \u00a0", u" \u00a0"},
        {u"", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RemoveNoBreakSpacePairs(c.in), c.out);
    }
}

TEST(FeedExportText, TheLoggedUrlIsCutAt255Characters) {
    const std::string url = "http://example.com/" + std::string(300, 'a') + "\xE9";
    const std::u16string logged = UrlForLog(url);
    EXPECT_EQ(logged.size(), 255u);
    EXPECT_EQ(logged, platform::WidenBytes(url.substr(0, 255)));
    EXPECT_EQ(UrlForLog("\"http://x/\xE9\""), u"\"http://x/\u00e9\"") << "bytes widen one by one";
}

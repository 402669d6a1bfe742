#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "XmlTestSupport.h"
#include "core/Memory.h"
#include "xml/ClsXml.h"
#include "xml/TreeInfo.h"
#include "xml/TreeNode.h"

using xmltest::Describe;

namespace {

const char* const kFeed =
    "<?xml version=\"1.0\"?>\n"
    "<rss version=\"2.0\">\n"
    "  <channel>\n"
    "    <title>News &amp; views</title>\n"
    "    <item><title>one</title><guid>g1</guid><title>second title</title></item>\n"
    "    <link>http://example.test/</link>\n"
    "    <item><title>two</title><description><![CDATA[<p>two &amp; more</p>]]></description></item>\n"
    "    <item><title>three</title><description>part <b>bold</b> rest</description></item>\n"
    "  </channel>\n"
    "</rss>\n";

std::string Content(ClsXml& xml, const char* tag) {
    StringBuffer out;
    return xml.ChildContentByTag(tag, out) ? xmltest::Text(out) : "<none:" + xmltest::Text(out) + ">";
}

TEST(ClsXml, ANewHandleStandsOnAnUnnamedTreeOfItsOwn) {
    ClsXml xml;
    ASSERT_TRUE(xml.CurrentNode());
    EXPECT_STREQ(xml.CurrentNode()->TagText(), "unnamed");
    EXPECT_EQ(xml.CurrentNode()->HandleCount(), 1);
    EXPECT_EQ(xml.CurrentNode()->Info()->HandleCount(), 1);
}

TEST(ClsXml, WalksAFeedTheWayTheRssObjectDoes) {
    ClsXml xml;
    ASSERT_TRUE(xml.LoadXml(kFeed, true));
    EXPECT_STREQ(xml.CurrentNode()->TagText(), "rss");
    EXPECT_EQ(xml.CountChildrenByTag("item"), 0);

    std::unique_ptr<ClsXml> channel(xml.ChildByTag("channel", 0));
    ASSERT_TRUE(channel);
    EXPECT_EQ(xml.ChildByTag("channel", 1), nullptr);
    EXPECT_EQ(Content(*channel, "title"), "News & views");
    EXPECT_EQ(channel->CountChildrenByTag("item"), 3);
    EXPECT_EQ(channel->CountChildrenByTag(" item\t"), 3) << "counting trims the tag";

    std::unique_ptr<ClsXml> third(channel->ChildByTag(" item ", 2));
    ASSERT_TRUE(third) << "the index counts matching children only, the tag is trimmed";
    EXPECT_EQ(Content(*third, "title"), "three");
    EXPECT_EQ(Content(*third, "description"), "part rest") << "pieces around a child join with one blank";
    EXPECT_EQ(Content(*third, " title"), "<none:>") << "content lookup does not trim";

    std::unique_ptr<ClsXml> first(channel->ChildByTag("item", 0));
    EXPECT_EQ(Content(*first, "title"), "one") << "the first of several";
    EXPECT_EQ(Content(*first, "GUID"), "<none:>");
    EXPECT_EQ(Content(*first, "description"), "<none:>");
    std::unique_ptr<ClsXml> second(channel->ChildByTag("item", 1));
    EXPECT_EQ(Content(*second, "description"), "<p>two &amp; more</p>");
    EXPECT_EQ(channel->ChildByTag("item", 3), nullptr);
    EXPECT_EQ(channel->ChildByTag("item", -1), nullptr);

    std::unique_ptr<ClsXml> title(first->ChildByTag("title", 0));
    EXPECT_EQ(Content(*title, "x"), "<none:>") << "an element without children";
    EXPECT_EQ(title->CurrentNode()->Info()->HandleCount(), 6);
}

TEST(ClsXml, AFailedLoadKeepsTheOldTree) {
    ClsXml xml;
    ASSERT_TRUE(xml.LoadXml(kFeed, true));
    std::unique_ptr<ClsXml> channel(xml.ChildByTag("channel", 0));
    Logger& log = xml.GetLog();
    for (const char* bad : {"", "just text", "<!-- nothing -->", static_cast<const char*>(nullptr)}) {
        EXPECT_FALSE(xml.LoadXml(bad, true));
        EXPECT_STREQ(xml.CurrentNode()->TagText(), "rss");
        EXPECT_EQ(channel->CountChildrenByTag("item"), 3);
    }
    EXPECT_EQ(xmltest::LogText(log), "QuorvelLog:\r\n  LoadXml:\r\n") << "the log of the latest call only";
    EXPECT_TRUE(xml.LoadXml("<r><!-- open", true));
    EXPECT_STREQ(xml.CurrentNode()->TagText(), "r");
    EXPECT_EQ(xmltest::LogText(log), "QuorvelLog:\r\n  LoadXml:\r\n    Unclosed comment\r\n");
}

TEST(ClsXml, HandlesOutliveTheHandleTheyCameFrom) {
    auto xml = std::make_unique<ClsXml>();
    ASSERT_TRUE(xml->LoadXml(kFeed, true));
    std::unique_ptr<ClsXml> channel(xml->ChildByTag("channel", 0));
    std::unique_ptr<ClsXml> item(channel->ChildByTag("item", 1));
    const TreeInfo* firstTree = channel->CurrentNode()->Info();
    EXPECT_EQ(firstTree->HandleCount(), 3);

    ASSERT_TRUE(xml->LoadXml("<rss><channel><title>other</title></channel></rss>", true));
    EXPECT_EQ(firstTree->HandleCount(), 2) << "the loader left the first tree";
    EXPECT_EQ(Content(*channel, "title"), "News & views");
    std::unique_ptr<ClsXml> newChannel(xml->ChildByTag("channel", 0));
    EXPECT_EQ(Content(*newChannel, "title"), "other");

    xml.reset();
    channel.reset();
    EXPECT_EQ(firstTree->HandleCount(), 1);
    EXPECT_EQ(Content(*item, "title"), "two");
    item.reset();  // the last handle: the first tree is destroyed (the sanitizers check it)
    EXPECT_EQ(Content(*newChannel, "title"), "other");
}

TEST(ClsXml, TakeTreeMovesTheNodeWithoutCounting) {
    ClsXml xml;
    ASSERT_TRUE(xml.LoadXml(kFeed, true));
    ClsXml* found = xml.ChildByTag("channel", 0);
    ASSERT_TRUE(found);
    TreeNode* node = found->CurrentNode();
    ClsXml mine;
    mine.TakeTree(*found);  // mine's "unnamed" tree goes
    delete found;
    EXPECT_EQ(mine.CurrentNode(), node);
    EXPECT_EQ(node->HandleCount(), 1);
    EXPECT_EQ(node->Info()->HandleCount(), 2);

    mine.TakeTree(mine);
    EXPECT_EQ(mine.CurrentNode(), node) << "taking from itself changes nothing";

    ClsXml empty;
    empty.TakeTree(mine);
    EXPECT_EQ(mine.CurrentNode(), nullptr);
    EXPECT_EQ(mine.CountChildrenByTag("item"), 0);
    EXPECT_EQ(mine.ChildByTag("item", 0), nullptr);
    StringBuffer out("stale");
    EXPECT_FALSE(mine.ChildContentByTag("title", out));
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_EQ(empty.CountChildrenByTag("item"), 3);
    EXPECT_TRUE(mine.LoadXml("<r/>", true)) << "a handle on nothing can load again";
}

TEST(ClsXml, WhitespaceKeptWhenAsked) {
    ClsXml xml;
    ASSERT_TRUE(xml.LoadXml("<r><a> x </a></r>", false));
    EXPECT_EQ(Content(xml, "a"), " x ");
}

// Memory running out at any allocation of a load: the load gives the whole tree or fails and
// keeps the old tree; it never leaks or loses part of the document.
TEST(ClsXml, ExhaustedMemoryDuringALoad) {
    ClsXml xml;
    ASSERT_TRUE(xml.LoadXml(kFeed, true));
    const std::string whole = Describe(xml.CurrentNode());
    ASSERT_TRUE(xml.LoadXml("<old><x>1</x></old>", true));
    int failures = 0;
    for (long allocation = 0; allocation < 400; ++allocation) {
        bool loaded = false;
        {
            ScopedAllocationFailure fail(allocation, 1);
            loaded = xml.LoadXml(kFeed, true);
        }
        if (loaded) {
            ASSERT_EQ(Describe(xml.CurrentNode()), whole) << allocation;
            xml.LoadXml("<old><x>1</x></old>", true);
        } else {
            ++failures;
            ASSERT_STREQ(xml.CurrentNode()->TagText(), "old") << allocation;
            ASSERT_EQ(Content(xml, "x"), "1");
        }
    }
    EXPECT_GT(failures, 10) << "the failures reached the parse";
}

}  // namespace

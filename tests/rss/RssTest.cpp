#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/StringBuffer.h"
#include "rss/ClsRss.h"

namespace {

const char kRss2[] =
    "<?xml version=\"1.0\"?>\n"
    "<rss version=\"2.0\"><channel>\n"
    "  <title>Channel</title><title>Second title</title>\n"
    "  <item><title>One</title><guid>g1</guid></item>\n"
    "  <link>http://example.com/</link>\n"
    "  <item><title>Two &amp;nbsp;x&amp;eacute;y</title></item>\n"
    "  <item><title>Three</title></item>\n"
    "</channel></rss>";

std::string Text(ClsRss& rss, const char* tag) {
    XString tagText, out;
    tagText.SetFromUtf8(tag);
    EXPECT_TRUE(rss.GetString(tagText, out));
    return out.GetUtf8();
}

std::unique_ptr<ClsRss> Loaded(const char* text) {
    auto rss = std::make_unique<ClsRss>();
    EXPECT_TRUE(rss->LoadFeedText(text));
    return rss;
}

}  // namespace

TEST(ClsRss, ChannelAndItemsOfAnRss2Feed) {
    auto feed = Loaded(kRss2);
    EXPECT_EQ(feed->ItemCount(), 0) << "the root holds the channel, not the items";
    std::unique_ptr<ClsRss> channel(feed->GetChannel(0));
    ASSERT_TRUE(channel);
    EXPECT_EQ(channel->ItemCount(), 3);
    EXPECT_EQ(Text(*channel, "title"), "Channel") << "the first of two";
    EXPECT_EQ(feed->GetChannel(1), nullptr);
    EXPECT_EQ(feed->GetChannel(-1), nullptr);
    std::unique_ptr<ClsRss> third(channel->GetItem(2));
    ASSERT_TRUE(third);
    EXPECT_EQ(Text(*third, "title"), "Three");
    EXPECT_EQ(channel->GetItem(3), nullptr);
    std::unique_ptr<ClsRss> first(channel->GetItem(0));
    EXPECT_EQ(Text(*first, "GUID"), "") << "the tag match is exact";
    EXPECT_EQ(Text(*first, "guid"), "g1");
    EXPECT_EQ(Text(*first, "missing"), "");
}

TEST(ClsRss, FieldsAreEntityDecodedIntoWindows1252Bytes) {
    auto feed = Loaded(kRss2);
    std::unique_ptr<ClsRss> channel(feed->GetChannel(0));
    std::unique_ptr<ClsRss> second(channel->GetItem(1));
    XString tag, out;
    tag.SetFromUtf8("title");
    second->GetString(tag, out);
    // The escaped no-break space becomes a plain blank; the escaped e-acute a lone 0xE9 byte,
    // which is not UTF-8 and so vanishes from the ANSI form.
    EXPECT_STREQ(out.GetUtf8(), "Two  x\xE9y");
    EXPECT_STREQ(out.GetAnsi(), "Two  xy");
}

TEST(ClsRss, Rss1AndAtomShapes) {
    auto rss1 = Loaded(
        "<rdf:RDF><channel><title>C</title></channel><item><title>I</title></item></rdf:RDF>");
    std::unique_ptr<ClsRss> channel(rss1->GetChannel(0));
    ASSERT_TRUE(channel) << "RSS 1.0 has a channel under the root";
    EXPECT_EQ(channel->ItemCount(), 0) << "its items are the channel's siblings";
    auto atom = Loaded("<feed xmlns=\"http://www.w3.org/2005/Atom\"><entry/></feed>");
    EXPECT_EQ(atom->GetChannel(0), nullptr);
}

TEST(ClsRss, HandedOutObjectsKeepTheirTreeAlive) {
    auto feed = Loaded(kRss2);
    std::unique_ptr<ClsRss> channel(feed->GetChannel(0));
    ASSERT_TRUE(feed->LoadFeedText("<rss><channel><title>New</title></channel></rss>"));
    EXPECT_EQ(Text(*channel, "title"), "Channel");
    std::unique_ptr<ClsRss> newChannel(feed->GetChannel(0));
    EXPECT_EQ(Text(*newChannel, "title"), "New");
    feed.reset();
    std::unique_ptr<ClsRss> item(channel->GetItem(0));
    EXPECT_EQ(Text(*item, "title"), "One");
}

TEST(ClsRss, TextWithoutAnElementKeepsTheOldDocument) {
    auto feed = Loaded(kRss2);
    EXPECT_FALSE(feed->LoadFeedText("no markup at all"));
    std::unique_ptr<ClsRss> channel(feed->GetChannel(0));
    EXPECT_TRUE(channel);
}

TEST(ClsRss, ABodyThatLooksLikeAFileNameIsNeverOpened) {
    // A short text without "<" ending in ".xml" would be taken for a file name by the general
    // XML loader; feed text is always parsed.
    ClsRss rss;
    EXPECT_FALSE(rss.LoadFeedText("/etc/passwd.xml"));
    EXPECT_FALSE(rss.LoadFeedText(" secrets.XML "));
    StringBuffer log;
    rss.GetLog().GetAsText(log);
    EXPECT_FALSE(log.Contains("LoadXmlFile"));
}

TEST(ClsRss, NamedOperationsStartTheStandardWay) {
    auto feed = Loaded(kRss2);
    std::unique_ptr<ClsRss> channel(feed->GetChannel(0));
    StringBuffer log;
    feed->GetLog().GetAsText(log);
    EXPECT_TRUE(log.BeginsWith("QuorvelLog:\r\n  GetChannel:\r\n    DllDate: Feb 28 2011\r\n"));
    XString tag, out;
    tag.SetFromUtf8("title");
    channel->GetString(tag, out);
    channel->GetLog().GetAsText(log);
    EXPECT_TRUE(log.BeginsWith("QuorvelLog:\r\n  GetString:\r\n    DllDate: Feb 28 2011\r\n"));
    channel->ItemCount();
    channel->GetLog().GetAsText(log);
    EXPECT_TRUE(log.Contains("GetString")) << "ItemCount logs nothing";
}

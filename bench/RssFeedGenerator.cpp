#include "bench/RssFeedGenerator.h"

#include <cstdint>
#include <string>

namespace benchfeed {
namespace {

// A small deterministic generator (the benchmark input must not change between runs).
class Words {
public:
    const char* Next() {
        static const char* kWords[] = {"market",  "report", "quarter", "growth", "energy", "policy",
                                       "update",  "city",   "council", "budget", "science", "data",
                                       "network", "school", "weather", "season", "review", "team"};
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return kWords[(state_ >> 33) % (sizeof kWords / sizeof kWords[0])];
    }

private:
    uint64_t state_ = 42;
};

void AppendSentence(std::string& out, Words& words, int count) {
    for (int i = 0; i < count; ++i) {
        out += words.Next();
        out += i + 1 < count ? " " : ".";
    }
}

// HTML as a feed carries it in a description: escaped once, with the HTML's own entities
// escaped twice.
void AppendEscapedHtml(std::string& out, Words& words, size_t bytes) {
    const size_t start = out.size();
    while (out.size() - start < bytes) {
        out += "&lt;p&gt;&lt;a href=&quot;http://example.test/";
        out += words.Next();
        out += "?id=1&amp;amp;ref=rss&quot;&gt;";
        AppendSentence(out, words, 3);
        out += "&lt;/a&gt; ";
        AppendSentence(out, words, 12);
        out += " &amp;ldquo;";
        AppendSentence(out, words, 5);
        out += "&amp;rdquo; &amp;amp; ";
        AppendSentence(out, words, 8);
        out += "&lt;/p&gt;\n";
    }
}

}  // namespace

std::string MakeRssFeed(size_t items, size_t itemBytes) {
    Words words;
    std::string feed;
    feed.reserve(items * (itemBytes + 200) + 1000);
    feed += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<rss version=\"2.0\" xmlns:content=\"http://purl.org/rss/1.0/modules/content/\">\n"
            "<channel>\n"
            "  <title>Benchmark News &amp; Views</title>\n"
            "  <link>http://example.test/</link>\n"
            "  <description>Everything &lt;b&gt;new&lt;/b&gt; &#8211; daily</description>\n"
            "  <language>en-us</language>\n";
    for (size_t i = 0; i < items; ++i) {
        const size_t start = feed.size();
        feed += "  <item>\n    <title>";
        AppendSentence(feed, words, 6);
        feed += " &amp; more</title>\n    <link>http://example.test/item/" + std::to_string(i) + "</link>\n";
        feed += "    <pubDate>Mon, 07 Feb 2011 10:" + std::to_string(10 + i % 50) + ":00 GMT</pubDate>\n";
        feed += "    <guid isPermaLink=\"false\">item-" + std::to_string(i) + "</guid>\n";
        feed += "    <author>editor@example.test (The Editor)</author>\n";
        feed += "    <category>";
        feed += words.Next();
        feed += "</category>\n    <description>";
        AppendEscapedHtml(feed, words, itemBytes * 3 / 5);
        feed += "</description>\n    <content:encoded><![CDATA[<div class=\"body\">";
        while (feed.size() - start < itemBytes - 40) {
            feed += "<p>";
            AppendSentence(feed, words, 14);
            feed += " &amp; &#8217;quoted&#8217;</p>";
        }
        feed += "</div>]]></content:encoded>\n  </item>\n";
    }
    feed += "</channel>\n</rss>\n";
    return feed;
}

std::string MakeManyPieceElement(size_t pieces, size_t pieceBytes) {
    Words words;
    std::string text = "<e>";
    text.reserve(pieces * (pieceBytes + 5) + 10);
    for (size_t i = 0; i < pieces; ++i) {
        const size_t start = text.size();
        text += "Tom &amp; Jerry";
        while (text.size() - start < pieceBytes) {
            text += ' ';
            text += words.Next();
        }
        text += "<br/>";
    }
    text += "</e>";
    return text;
}

}  // namespace benchfeed

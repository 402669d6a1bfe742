#include "http/HtmlHelp.h"

#include <gtest/gtest.h>

#include <string>

#include "core/StringBuffer.h"

namespace {

std::string Sniff(const std::string& body) {
    StringBuffer text(body.c_str());
    StringBuffer name("left over");
    HtmlHelp::SniffHtmlCharset(text, name);
    return name.GetString();
}

std::string Normalize(const std::string& tag) {
    StringBuffer out;
    HtmlHelp::NormalizeHtmlTag(tag.c_str(), out);
    return out.GetString();
}

struct SniffCase {
    const char* body;
    const char* charset;
};

TEST(HtmlHelp, SniffsTheCharsetAPageNamesForItself) {
    const SniffCase cases[] = {
        {"<html><head><META HTTP-EQUIV=Content-Type CONTENT=\"text/html; charset=windows-1251\">",
         "windows-1251"},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />", "utf-8"},
        {"<meta http-equiv='content-type' content='text/html;charset=koi8-r;x=y'>", "koi8-r"},
        // A Content-Type declaration without a charset parameter is final: the XML declaration
        // after it is not looked at.
        {"<meta http-equiv=\"content-type\" content=\"text/html\"><?xml version=\"1.0\" "
         "encoding=\"ISO-8859-1\"?>",
         ""},
        // Other meta tags are passed over until a Content-Type declaration comes.
        {"<meta name=\"author\" content=\"a > b\"><meta http-equiv=\"Content-Type\" "
         "content=\"text/html; charset=iso-8859-2\">",
         "iso-8859-2"},
        // The HTML5 form is not recognised; the XML declaration is the fallback.
        {"<meta charset=\"utf-8\">", ""},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><meta charset=\"utf-8\">", "ISO-8859-1"},
        {"<?xml version='1.0' encoding='ISO-8859-1'?><html>", ""},
        {"<?XML encoding=\"unterminated", ""},
        {"<html><body>plain</body></html>", ""},
        {"", ""},
        // A tag that never closes is taken to the end of the text.
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=big5\"", "big5"},
    };
    for (const SniffCase& c : cases) {
        EXPECT_EQ(Sniff(c.body), c.charset) << c.body;
    }
}

TEST(HtmlHelp, NormalizesTagsIntoQuotedForm) {
    const std::pair<const char*, const char*> cases[] = {
        {"<META HTTP-EQUIV=Content-Type CONTENT=\"text/html; charset=x\">",
         "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=x\">"},
        {"  <meta>", "<meta>"},
        {"<meta a=b'c>", "<meta a=\"b'c\">"},
        {"<meta a=b\"c>", "<meta a='b\"c'>"},
        {"<meta xml:lang=en selected>", "<meta xmllang=\"en\" selected>"},
        {"<meta content=\"say \\\"hi\\\"\">", "<meta content=\"say &quot;hi&quot;\">"},
        {"<meta\r\n a=\"x\r\ny\">", "<meta a=\"x y\">"},
        {"<meta a=\"1\" / >", "<meta a=\"1\" />"},
        {"no tag", ""},
    };
    for (const auto& [tag, expected] : cases) {
        EXPECT_EQ(Normalize(tag), expected) << tag;
    }
}

TEST(HtmlHelp, StopsAfterTheHundredAndFirstValuedAttribute) {
    std::string tag = "<meta";
    for (int i = 0; i < 150; ++i) tag += " a" + std::to_string(i) + "=v";
    tag += ">";
    const std::string out = Normalize(tag);
    EXPECT_NE(out.find(" a100=\"v\""), std::string::npos);
    EXPECT_EQ(out.find(" a101="), std::string::npos);
}

TEST(HtmlHelp, ReadsOneAttributeOfANormalizedTag) {
    StringBuffer value;
    HtmlHelp::HtmlTagAttribute("<meta CONTENT=\" a\\b \">", "content", value);
    EXPECT_STREQ(value.GetString(), "a/b");
    HtmlHelp::HtmlTagAttribute("<meta x='y'>", "x", value);
    EXPECT_STREQ(value.GetString(), "y");
    // The name is found as the tail of a longer one, too.
    HtmlHelp::HtmlTagAttribute("<meta data-charset=\"z\">", "charset", value);
    EXPECT_STREQ(value.GetString(), "z");
    HtmlHelp::HtmlTagAttribute("<meta x=\"y\">", "missing", value);
    EXPECT_STREQ(value.GetString(), "");
}

}  // namespace

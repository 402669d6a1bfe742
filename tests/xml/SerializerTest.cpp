#include <gtest/gtest.h>

#include <string>

#include "XmlTestSupport.h"
#include "xml/ClsXml.h"
#include "xml/TreeInfo.h"
#include "xml/XmlDeclaration.h"
#include "xml/XmlSerializer.h"

using xmltest::Parse;
using xmltest::Text;

namespace {

std::string Serialized(const std::string& document, bool trim = true) {
    auto tree = Parse(document, trim);
    StringBuffer out;
    EXPECT_TRUE(tree && SerializeNode(*tree, out, 0, 0, false)) << document;
    return Text(out);
}

TEST(Serializer, ElementsContentAndIndentation) {
    struct Case {
        const char* document;
        const char* xml;
        bool trim = true;
    };
    const Case cases[] = {
        {"<a><b>x&amp;y</b></a>", "\r\n<a>\r\n  <b>x&amp;y</b>\r\n</a>\r\n"},
        {"<e/>", "\r\n<e />\r\n"},
        {"<a>t<b/><c>u</c></a>", "\r\n<a>t\r\n  <b />\r\n  <c>u</c>\r\n</a>\r\n"},
        {"<a>\"&apos;&lt;&gt;&amp;#38;</a>", "\r\n<a>&quot;&apos;&lt;&gt;&amp;#38;</a>\r\n"},
        {"<a x='&lt;&quot;&amp;#38;&amp;#x41;&amp;#y&amp;' y=\"'\"/>",
         "\r\n<a x=\"&lt;&quot;&#38;&#x41;&amp;#y&amp;\" y=\"&apos;\" />\r\n"},
        {"<a><![CDATA[<b>&amp;</b>]]></a>", "\r\n<a><![CDATA[<b>&amp;</b>]]></a>\r\n"},
        {"<a>]]&gt;<![CDATA[x<![CDATA[y]]></a>", "\r\n<a><![CDATA[xy]]></a>\r\n"},
        {"<a>]]]]&gt;&gt;<![CDATA[z]]></a>", "\r\n<a><![CDATA[z]]></a>\r\n"},
        {"<a>line\n</a>", "\r\n<a>line\n</a>\r\n", false},
        {"<a><b>x\n</b></a>", "\r\n<a>\r\n  <b>x\n  </b>\r\n</a>\r\n", false},
        {"<%/>", "\r\n<nothing />\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Serialized(c.document, c.trim), c.xml) << c.document;
    }
}

TEST(Serializer, PrologComesBeforeTheRootOnly) {
    const std::string document =
        "<?xml standalone='yes' version='1.0' encoding='ISO-8859-1'?>"
        "<?xml-stylesheet href='a.xsl'?><?xml-stylesheet?>"
        "<!DOCTYPE r><?pi x?><r><c/></r>";
    EXPECT_EQ(Serialized(document),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\" ?>\r\n"
              "<?xml-stylesheet href=\"a.xsl\" ?>\r\n"
              "<!DOCTYPE r>\n\r\n"
              "<?pi x?>\n\r\n"
              "\r\n<r>\r\n  <c />\r\n</r>\r\n");
    auto tree = Parse(document);
    StringBuffer out;
    ASSERT_TRUE(SerializeNode(*tree, out, 0, 0, true));
    EXPECT_EQ(Text(out).find("<?xml "), std::string::npos) << "declaration omitted";
    out.Clear();
    ASSERT_TRUE(SerializeNode(*tree->ChildAt(0), out, 1, 3, false));
    EXPECT_EQ(Text(out), "      <c />\r\n") << "a child: no prolog, no line break before a later sibling";
}

TEST(Serializer, DeclarationQueriesAndSetDeclEncoding) {
    auto tree = Parse("<?xml version='1.0' encoding='a' encoding='b' standalone='no'?><r/>");
    StringBuffer value;
    ASSERT_TRUE(DeclaredEncoding(*tree->Info(), value));
    EXPECT_EQ(Text(value), "a");
    ASSERT_TRUE(DeclaredStandalone(*tree->Info(), value));
    EXPECT_EQ(Text(value), "no");
    ASSERT_TRUE(SetDeclEncoding(*tree->Info(), "utf-8"));
    EXPECT_EQ(xmltest::Describe(tree->Info()->Declaration()), "xml{version=1.0,standalone=no,encoding=utf-8}");

    auto bare = Parse("<r/>");
    EXPECT_FALSE(DeclaredEncoding(*bare->Info(), value));
    EXPECT_TRUE(value.IsEmpty());
    EXPECT_FALSE(DeclaredStandalone(*bare->Info(), value));
    ASSERT_TRUE(SetDeclEncoding(*bare->Info(), "windows-1252"));
    EXPECT_EQ(xmltest::Describe(bare->Info()->Declaration()), "xml{version=1.0,encoding=windows-1252}");
}

TEST(Serializer, ParsingTheOutputGivesTheSameTree) {
    const std::string feed =
        "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>A &amp; B</title>"
        "<item><title>x &lt; y</title><description><![CDATA[<p>&amp;</p>]]></description>"
        "<guid isPermaLink='false'>&amp;#38;1</guid></item><item>mixed<b>bold</b>text</item></channel></rss>";
    ClsXml xml;
    ASSERT_TRUE(xml.LoadXml(feed.c_str(), true));
    StringBuffer once;
    ASSERT_TRUE(xml.GetXml(once));
    ClsXml again;
    ASSERT_TRUE(again.LoadXml(once.GetString(), true));
    EXPECT_EQ(xmltest::Describe(again.CurrentNode()), xmltest::Describe(xml.CurrentNode()));
    StringBuffer twice;
    ASSERT_TRUE(again.GetXml(twice));
    EXPECT_EQ(Text(twice), Text(once));
}

TEST(Serializer, DeepTreesNeedNoRecursion) {
    constexpr int kDepth = 100000;  // far more frames than a recursive writer's stack would hold
    std::string document;
    for (int i = 0; i < kDepth; ++i) {
        document += "<a>";
    }
    auto tree = Parse(document);
    StringBuffer out = StringBuffer::WithCapacity(24000000);  // spares the test the regrowing
    ASSERT_TRUE(SerializeNode(*tree, out, 0, 0, false));
    const std::string text = Text(out);
    EXPECT_EQ(text.substr(text.size() - 8), "\r\n</a>\r\n");
    EXPECT_NE(text.find("\r\n" + std::string(100, ' ') + "<a>\r\n"), std::string::npos) << "indentation stops at 100";
}

}  // namespace

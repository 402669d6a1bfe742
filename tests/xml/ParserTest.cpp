#include <gtest/gtest.h>

#include <string>

#include "XmlTestSupport.h"
#include "core/DataBuffer.h"
#include "core/ProgressMonitor.h"
#include "xml/TreeInfo.h"
#include "xml/XmlParser.h"

using xmltest::Describe;
using xmltest::LogText;
using xmltest::Parse;

namespace {

struct ParseCase {
    const char* input;
    bool trim;
    const char* tree;  // as Describe writes it
};

class ParsesTo : public testing::TestWithParam<ParseCase> {};

TEST_P(ParsesTo, Tree) {
    const ParseCase& c = GetParam();
    EXPECT_EQ(Describe(Parse(c.input, c.trim).get()), c.tree) << c.input;
}

// Text pieces, whitespace, entities and CDATA.
INSTANTIATE_TEST_SUITE_P(Text, ParsesTo, testing::Values(
    ParseCase{"<a>x<b/>y</a>", true, "a'x y'(b)"},
    ParseCase{"<a>x<b/> y</a>", false, "a'x  y'(b)"},
    ParseCase{"<a>  </a>", true, "a"},
    ParseCase{"<a>  </a>", false, "a"},
    ParseCase{"<a> x </a>", true, "a'x'"},
    ParseCase{"<a> x </a>", false, "a' x '"},
    ParseCase{"<a>\r\n x \t y\n</a>", true, "a'x \t y'"},
    ParseCase{"<a>&lt;b&gt; &amp;amp;</a>", true, "a'<b> &amp;'"},
    ParseCase{"<a>&apos;&quot;&#39;&nbsp;&amp</a>", true, "a''\"&#39;&nbsp;&amp'"},
    // The replacement runs over the whole content each time a piece is added.
    ParseCase{"<a>&amp;lt;<b/>x</a>", true, "a'< x'(b)"},
    ParseCase{"<a>&amp;amp;lt;<b/>x<b/>y</a>", true, "a'< x y'(b,b)"},
    ParseCase{"<a><![CDATA[<b>&amp;</b>]]></a>", true, "a'<b>&amp;</b>'*"},
    ParseCase{"<a><![CDATA[x]]>tail</a>", true, "a'x'*"},
    ParseCase{"<a>t<![CDATA[c]]></a>", true, "a'tc'*"},
    ParseCase{"<a><![CDATA[x]]> \n <![CDATA[y]]></a>", true, "a'xy'*"},
    ParseCase{"<a><![CDATA[a]]]]]>b</a>", true, "a'a]]]'*"},
    ParseCase{"<a><![CDATA[xyz", true, "a'xyz'*"},
    ParseCase{"<a><![CDATA[]]></a>", true, "a''*"},
    // A CDATA section is replaced over too once a later piece is added.
    ParseCase{"<a><![CDATA[&lt;]]><b/>x</a>", true, "a'< x'*(b)"},
    ParseCase{"<a>&am<![CDATA[p;]]><b/>y</a>", true, "a'& y'*(b)"},
    ParseCase{"\xEF\xBB\xBFjunk<r>x</r>junk", true, "r'x'"},
    ParseCase{"<r>caf\xC3\xA9</r>", true, "r'caf\xC3\xA9'"}));

// Structure: closing tags, top-level elements, cut-off input.
INSTANTIATE_TEST_SUITE_P(Structure, ParsesTo, testing::Values(
    ParseCase{"<rss><channel><title>x", true, "rss(channel(title'x'))"},
    ParseCase{"<a></b><c/></a>", true, "c"},
    ParseCase{"<a><b></a>x</z>", true, "a'x'(b)"},
    ParseCase{"<a/><b/>", true, "b"},
    ParseCase{"<a/><b><c>", true, "a"},
    ParseCase{"<a>x</a", true, "a'x'"},
    ParseCase{"<a><b", true, "a"},
    ParseCase{"< a >x</>", true, "a'x'"},
    ParseCase{"<a<b>x</a>", true, "ab'x'"},
    ParseCase{"<x%y/>", true, "xy"},
    ParseCase{"<a>x<!-- c --></a><!-- end -->", true, "a'x'"},
    ParseCase{"<a>x<!weird>y</a>", true, "a'x y'"},
    ParseCase{"", true, "-"},
    ParseCase{"no markup at all", true, "-"},
    ParseCase{"<!-- only a comment -->", true, "-"}));

// Attributes in every quoting form, the name filter and entities.
INSTANTIATE_TEST_SUITE_P(Attributes, ParsesTo, testing::Values(
    ParseCase{"<a p=\"x'y\" q='x\"y' r = \"1\" s t=u\"v\" w=&lt;\"/>", true,
              "a{p=x'y,q=x\"y,r=1,s=,t=u,v=,w=<}"},
    ParseCase{"<a x=1>text</a>", true, "a{x=1>text</a>}"},
    ParseCase{"<a 1b='v' -c='w' .d='x'/>", true, "a{A1b=v,A-c=w,A.d=x}"},
    ParseCase{"<a b@c=\"1\" \xC3\xA4=\"2\" %=\"3\"/>", true, "a{bc=1,\xC3\xA4=2}"},
    ParseCase{"<a x=\"1\" x=\"2\"/>", true, "a{x=1,x=2}"},
    ParseCase{"<a x=\"&amp;lt;&quot;\"/>", true, "a{x=&lt;\"}"},
    ParseCase{"<a x=\"1\"/ y=\"2\">z</a>", true, "a{x=1,y=2}"},
    ParseCase{"<a/ x='1'>z</a>", true, "a{x=1}"}));

TEST(Parser, DeclarationStylesheetsDoctypeAndInstructions) {
    const auto tree = Parse(
        "<?xml version='1.0' encoding='ISO-8859-1'?>\n"
        "<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>\n"
        "<!DOCTYPE r [<!ENTITY e \"x\">]>\n"
        "<?php echo 1 ?><?unterminated <r/>");
    ASSERT_TRUE(tree);
    EXPECT_EQ(Describe(tree.get()), "r");
    const TreeInfo* info = tree->Info();
    EXPECT_EQ(Describe(info->Declaration()), "xml{version=1.0,encoding=ISO-8859-1}");
    ASSERT_EQ(info->Stylesheets().Count(), 1u);
    EXPECT_EQ(Describe(info->Stylesheets().ItemAs<TreeNode>(0)), "xml-stylesheet{type=text/xsl,href=s.xsl}");
    ASSERT_TRUE(info->DoctypeText());
    EXPECT_EQ(xmltest::Text(*info->DoctypeText()), "<!DOCTYPE r [<!ENTITY e \"x\">]>\n");
    ASSERT_TRUE(info->PiText());
    EXPECT_EQ(xmltest::Text(*info->PiText()), "<?php echo 1 ?>\n");
}

TEST(Parser, DeclarationAttributeForms) {
    struct Case {
        const char* input;
        const char* declaration;
    };
    const Case cases[] = {
        {"<?xml version=\"1.0\" encoding = \"UTF-8\" standalone='yes' ?><r/>",
         "xml{version=1.0,encoding=UTF-8,standalone=yes}"},
        {"<?XML version=1.0 encoding=ascii ?><r/>", "XML{version=1.0,encoding=ascii}"},
        {"<?xml a=\"&lt;&amp;\" 1x=\"y\"?><r/>", "xml{a=<&,A1x=y}"},
        {"<?xml ?><r/>", "xml"},
    };
    for (const Case& c : cases) {
        const auto tree = Parse(c.input);
        ASSERT_TRUE(tree) << c.input;
        EXPECT_EQ(Describe(tree->Info()->Declaration()), c.declaration) << c.input;
    }
}

TEST(Parser, AnUnquotedDeclarationValueRunsToTheNextBlank) {
    EXPECT_FALSE(Parse("<?xml encoding=ascii?><r/>")) << "the value swallows \"?><r/>\"";
}

TEST(Parser, OnlyTheRootCompletedLastKeepsTheTextsSeenUntilThen) {
    const auto tree = Parse("<?a?><x/><?b?><y/><?c?>");
    ASSERT_TRUE(tree);
    EXPECT_EQ(Describe(tree.get()), "y");
    EXPECT_EQ(xmltest::Text(*tree->Info()->PiText()), "<?a?>\n<?b?>\n");
}

TEST(Parser, LogsTheThreeKindsOfTrouble) {
    struct Case {
        const char* input;
        const char* tree;
        const char* log;
    };
    const Case cases[] = {
        {"<a><!-- c", "a", "Unclosed comment\r\n"},
        {"<a><b></b<c/></a>", "a(b,c)", "Error in closing tag\r\n  error_tag: b\r\n"},
        {"</<r/>", "r", "Error in closing tag\r\n"},
        {"<!DOCTYPE r [<!ENTITY e 'x'>]<r/>", "-", "Failed to parse DTD\r\n"},
    };
    for (const Case& c : cases) {
        Logger log;
        const auto tree = Parse(c.input, true, &log);
        EXPECT_EQ(Describe(tree.get()), c.tree) << c.input;
        EXPECT_EQ(LogText(log), std::string("QuorvelLog:\r\n  ") + c.log) << c.input;
    }
    Logger quiet;
    Parse("<a>fine &amp; <b x='1'/></a>", true, &quiet);
    EXPECT_EQ(LogText(quiet), "QuorvelLog:\r\n");
}

TEST(Parser, NeedsARootSlot) {
    ParseEngine engine;
    EXPECT_FALSE(ParseXmlTree(engine, nullptr, nullptr, nullptr, true));
}

TEST(Parser, StopsAtTheFirstNulOfABuffer) {
    const char bytes[] = "<a>x</a>\0<b/>";
    ParseEngine engine(DataBuffer::Borrowing(bytes, sizeof bytes - 1));
    TreeNode* root = nullptr;
    ASSERT_TRUE(ParseXmlTree(engine, nullptr, nullptr, &root, true));
    EXPECT_EQ(Describe(root), "a'x'");
    delete root;
}

TEST(Parser, TellsTheProgressMonitorAtClosingTags) {
    class Recorder : public ProgressEvent {
    public:
        void PercentDone(int32_t percent, bool&) override { seen += std::to_string(percent) + " "; }
        std::string seen;
    } recorder;
    ProgressMonitor progress(&recorder, 0);
    TreeNode* root = nullptr;
    ParseXmlTree("<a><b>0123456789</b>0123456789</a>", nullptr, &progress, &root, true);
    delete root;
    EXPECT_EQ(progress.Total(), 34u);
    EXPECT_EQ(recorder.seen, "50 91 100 ");  // the cursor on the "/" of 17 and 31 of 34 bytes
}

// Nesting a million levels deep: parsing, walking and destroying use no recursion.
TEST(Parser, MillionLevelsDeep) {
    constexpr int kDepth = 1000000;
    std::string text;
    text.reserve(kDepth * 7 + 16);
    for (int i = 0; i < kDepth; ++i) {
        text += "<a>";
    }
    text += "x";
    for (int i = 0; i < kDepth; ++i) {
        text += "</a>";
    }
    for (const std::string& input : {text, text.substr(0, kDepth * 3 + 1)}) {  // closed, cut off
        auto tree = Parse(input);
        ASSERT_TRUE(tree);
        int depth = 1;
        const TreeNode* node = tree.get();
        for (; node->ChildCount() == 1; node = node->ChildAt(0)) {
            ++depth;
        }
        EXPECT_EQ(depth, kDepth);
        EXPECT_STREQ(node->ContentText(), "x");
        EXPECT_EQ(node->Info(), tree->Info());
        tree.reset();
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <string>

#include "core/DataBuffer.h"
#include "encoding/XString.h"
#include "tests/support/TestSupport.h"

namespace {

class XStringTest : public ::testing::Test {
protected:
    testsupport::ScopedEnv ansi_{"QV_ANSI_CODEPAGE", "1252"};
};

std::u16string Utf16Of(XString& s) {
    return s.GetUtf16();
}

}  // namespace

TEST_F(XStringTest, NewStringHasEveryFormEmpty) {
    XString s;
    EXPECT_STREQ(s.GetAnsi(), "");
    EXPECT_STREQ(s.GetUtf8(), "");
    EXPECT_EQ(s.GetUtf16()[0], 0);
    EXPECT_EQ(s.GetSizeUtf16(), 0u);
    EXPECT_EQ(s.AnsiState(), 0);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_TRUE(s.IsAnsiExact());
}

TEST_F(XStringTest, FormsAreConvertedOnDemandAndCached) {
    XString s;
    s.SetFromUtf8("\xC3\xA9");
    EXPECT_EQ(s.AnsiState(), 0);
    const char* ansi = s.GetAnsi();
    EXPECT_STREQ(ansi, "\xE9");
    EXPECT_EQ(s.AnsiState(), 1);
    EXPECT_EQ(s.GetAnsi(), ansi) << "a second read does not convert again";
    EXPECT_EQ(Utf16Of(s), u"\u00E9");
    EXPECT_EQ(s.GetLength(), 1u);
    EXPECT_EQ(s.GetSizeUtf8(), 2u);
    EXPECT_EQ(s.GetSizeUtf16(), 2u);

    XString fromAnsi;
    fromAnsi.SetFromAnsi("\x80 5");
    EXPECT_EQ(fromAnsi.AnsiState(), 1);
    EXPECT_STREQ(fromAnsi.GetUtf8(), "\xE2\x82\xAC 5");
    EXPECT_EQ(Utf16Of(fromAnsi), u"\u20AC 5");
}

TEST_F(XStringTest, LossyAnsiFormIsReported) {
    XString s;
    s.SetFromUtf8("a\xD0\xBBz");  // Cyrillic el has no place (and no best fit) in windows-1252
    EXPECT_STREQ(s.GetAnsi(), "az");
    EXPECT_EQ(s.AnsiState(), 2);
    EXPECT_FALSE(s.IsAnsiExact());
    EXPECT_STREQ(s.GetUtf8(), "a\xD0\xBBz") << "the UTF-8 form is still the authority";
    s.AppendAnsi("\xE9");
    EXPECT_STREQ(s.GetUtf8(), "a\xD0\xBBz\xC3\xA9") << "appending ANSI text loses nothing";
    EXPECT_FALSE(s.IsAnsiExact());

    XString wide;
    wide.SetFromUtf16(u"a\u043Bz");
    EXPECT_STREQ(wide.GetAnsi(), "az");
    EXPECT_STREQ(wide.GetUtf8(), "a\xD0\xBBz") << "not taken from the lossy ANSI form";

    XString bestFit;
    bestFit.SetFromUtf8("\xCE\xA9");  // omega has a best fit: O
    EXPECT_STREQ(bestFit.GetAnsi(), "O");
    EXPECT_TRUE(bestFit.IsAnsiExact()) << "a best fit is a conversion, not a loss";

    XString emoji;
    emoji.SetFromUtf8("\xF0\x9F\x98\x80!");
    EXPECT_EQ(Utf16Of(emoji), u"\U0001F600!");
    EXPECT_FALSE(emoji.IsAnsiExact());
    EXPECT_STREQ(emoji.GetAnsi(), "!");

    testsupport::ScopedEnv greek("QV_ANSI_CODEPAGE", "1253");
    XString omega;
    omega.SetFromUtf8("\xCE\xA9");
    EXPECT_STREQ(omega.GetAnsi(), "\xD9");
    EXPECT_TRUE(omega.IsAnsiExact());
}

TEST_F(XStringTest, ByteOrderMarksAreDroppedFromUtf8Input) {
    XString s;
    s.SetFromUtf8(
        "\xEF\xBB\xBF"
        "abc");
    EXPECT_STREQ(s.GetUtf8(), "abc");
    EXPECT_STREQ(s.GetAnsi(), "abc");
    EXPECT_EQ(Utf16Of(s), u"abc");
    s.SetFromUtf8N("\xEF\xBB\xBF", 3);
    EXPECT_TRUE(s.IsEmpty());
    s.SetFromUtf8N("\xEF\xBB", 2);
    EXPECT_EQ(s.GetSizeUtf8(), 2u) << "a partial mark is text";
    s.SetFromUtf8("x");
    s.AppendUtf8("\xEF\xBB\xBFy");
    EXPECT_STREQ(s.GetUtf8(), "xy");
    EXPECT_TRUE(s.EqualsUtf8("\xEF\xBB\xBFxy"));
}

TEST_F(XStringTest, EditsMakeTheirFormTheAuthority) {
    XString s;
    s.SetFromAnsi("caf\xE9");
    EXPECT_STREQ(s.GetUtf8(), "caf\xC3\xA9");
    s.AppendUtf8(" \xE2\x82\xAC");
    EXPECT_STREQ(s.GetAnsi(), "caf\xE9 \x80") << "recomputed from UTF-8 after the append";
    s.AppendAnsi("!");
    EXPECT_STREQ(s.GetUtf8(), "caf\xC3\xA9 \xE2\x82\xAC!");
    s.AppendUtf16(u"\u00DF");
    EXPECT_STREQ(s.GetUtf8(), "caf\xC3\xA9 \xE2\x82\xAC!\xC3\x9F");
    s.PrependUtf8("\xC2\xBB");
    EXPECT_STREQ(s.GetAnsi(),
                 "\xBB"
                 "caf\xE9 \x80!\xDF");
    s.SetFromUtf8("  padded \t\r\n");
    s.Trim();
    EXPECT_STREQ(s.GetAnsi(), "padded");
    s.SetFromUtf8("a/b/c");
    s.ReplaceChar('/', '\\');
    EXPECT_STREQ(s.GetUtf8(), "a\\b\\c");
    s.ChopAtFirstChar('\\');
    EXPECT_STREQ(s.GetUtf8(), "a");
    EXPECT_EQ(s.GetSizeUtf16(), 2u);
    s.SetFromUtf8("x\xC3\xA9y");
    s.ReplaceChar('\xE9', 'e');  // the character is given in the ANSI code page
    EXPECT_STREQ(s.GetUtf8(), "xey");
}

TEST_F(XStringTest, AppendXTakesTheBestForm) {
    XString a, b, c;
    a.SetFromUtf8("A\xC3\xA9");
    b.SetFromUtf16(u"\u0416");
    c.SetFromAnsi("\xE8");
    XString joined;
    joined.AppendX(a);
    joined.AppendX(b);
    joined.AppendX(c);
    EXPECT_EQ(Utf16Of(joined), u"A\u00E9\u0416\u00E8");
}

TEST_F(XStringTest, ComparingAndSearching) {
    XString s;
    s.SetFromUtf8(
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC and \xF0\x9F\x98\x80 end");
    EXPECT_TRUE(
        s.EqualsUtf8("Gr\xC3\xBC\xC3\x9F"
                     "e \xE2\x82\xAC and \xF0\x9F\x98\x80 end"));
    EXPECT_FALSE(s.EqualsUtf8("Gr"));
    EXPECT_TRUE(
        s.EqualsUtf8NoCase("GR\xC3\x9C\xC3\x9F"
                           "E \xE2\x82\xAC AND \xF0\x9F\x98\x80 END"));
    EXPECT_FALSE(
        s.EqualsUtf8NoCase("GR\xC3\x9C\xC3\x9F"
                           "E"));
    EXPECT_TRUE(s.BeginsWithUtf8("Gr\xC3\xBC"));
    EXPECT_FALSE(s.BeginsWithUtf8("gr"));
    EXPECT_EQ(s.IndexOfUtf8("\xE2\x82\xAC"), 6);
    EXPECT_EQ(s.IndexOfUtf8(" end"), 14) << "the emoji counts two UTF-16 units";
    EXPECT_EQ(s.IndexOfUtf8("absent"), -1);
    XString cyrillic;
    cyrillic.SetFromUtf16(u"\u0416\u0401");
    EXPECT_TRUE(cyrillic.EqualsUtf8NoCase("\xD0\xB6\xD1\x91"));
}

TEST_F(XStringTest, LengthFollowsTheCurrentForm) {
    XString s;
    s.SetFromUtf8("\xE2\x82\xAC\xE2\x82\xAC");
    EXPECT_EQ(s.GetLength(), 2u) << "UTF-16 units while the ANSI form is not current";
    s.GetAnsi();
    EXPECT_EQ(s.GetLength(), 2u);
    s.SetFromAnsi("abc");
    EXPECT_EQ(s.GetLength(), 3u);
    EXPECT_EQ(s.GetSizeAnsi(), 3u);
}

TEST_F(XStringTest, CopiesAndConversions) {
    XString s;
    s.SetFromUtf8("\xD0\x96");
    XString copy(s);
    EXPECT_STREQ(copy.GetUtf8(), "\xD0\x96");
    XString assigned;
    assigned = s;
    EXPECT_EQ(Utf16Of(assigned), u"\u0416");
    s.SetFromAnsi("changed");
    EXPECT_STREQ(copy.GetUtf8(), "\xD0\x96") << "copies are independent";
    DataBuffer koi8;
    EXPECT_TRUE(copy.GetConverted(20866, koi8));
    ASSERT_EQ(koi8.GetSize(), 1u);
    EXPECT_EQ(koi8.GetData()[0], 0xF6);
    XString either;
    either.SetFromEither("\xC3\xA9", true);
    EXPECT_STREQ(either.GetAnsi(), "\xE9");
    either.SetFromEither("\xC3\xA9", false);
    EXPECT_STREQ(either.GetUtf8(), "\xC3\x83\xC2\xA9");
    either.SetFromAnsi(nullptr);
    EXPECT_TRUE(either.IsEmpty());
    either.SetFromUtf16(u"");
    EXPECT_TRUE(either.IsEmpty());
}

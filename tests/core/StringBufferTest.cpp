#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/DataBuffer.h"
#include "core/ExtPtrArray.h"
#include "core/Memory.h"
#include "core/StringBuffer.h"

namespace {

std::string Text(const StringBuffer& sb) { return std::string(sb.GetString(), sb.GetSize()); }

std::vector<std::string> Pieces(const ExtPtrArray& array) {
    std::vector<std::string> out;
    for (uint32_t i = 0; i < array.Count(); ++i) {
        out.push_back(Text(*array.ItemAs<StringBuffer>(i)));
    }
    return out;
}

}  // namespace

TEST(StringBufferGrowth, DefaultBufferDoublesWithItsGrowBy) {
    StringBuffer sb;
    EXPECT_EQ(sb.GetCapacity(), 202u);
    EXPECT_EQ(sb.GetGrowBy(), 202u);
    for (int i = 0; i < 201; ++i) {
        sb.AppendChar('x');
    }
    EXPECT_EQ(sb.GetCapacity(), 202u) << "201 bytes fit without reallocating";
    sb.AppendChar('x');
    EXPECT_EQ(sb.GetCapacity(), 404u);
    EXPECT_EQ(sb.GetGrowBy(), 202u);
    while (sb.GetSize() < 403) {
        sb.AppendChar('x');
    }
    EXPECT_EQ(sb.GetCapacity(), 404u);
    sb.AppendChar('x');
    EXPECT_EQ(sb.GetCapacity(), 606u);
    EXPECT_EQ(sb.GetGrowBy(), 303u);
    EXPECT_EQ(sb.GetSize(), 404u);
    EXPECT_EQ(sb.GetString()[404], '\0');
}

TEST(StringBufferGrowth, GrowByStopsAtHalfAMillion) {
    StringBuffer sb;
    const std::string chunk(100000, 'a');
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(sb.Append(chunk.c_str()));
    }
    EXPECT_EQ(sb.GetGrowBy(), 500000u);
    EXPECT_EQ(sb.GetSize(), 3000000u);
}

TEST(StringBufferGrowth, ConstructorCapacities) {
    EXPECT_EQ(StringBuffer("abc").GetCapacity(), 4u);
    EXPECT_EQ(StringBuffer("abc").GetGrowBy(), 200u);
    EXPECT_EQ(StringBuffer("ab\0cd", 5, 0).GetSize(), 5u);
    EXPECT_EQ(StringBuffer("ab", 2, 7).GetGrowBy(), 7u);
    EXPECT_EQ(StringBuffer::WithCapacity(0).GetCapacity(), 200u);
    EXPECT_EQ(StringBuffer::WithCapacity(50).GetGrowBy(), 50u);
    StringBuffer original("hello");
    original.Append(" world");
    StringBuffer copy(original);
    EXPECT_EQ(Text(copy), "hello world");
    EXPECT_EQ(copy.GetCapacity(), 12u);
}

TEST(StringBufferMemory, ExhaustionLeavesTheBufferUnchanged) {
    StringBuffer sb("abc");
    {
        ScopedAllocationFailure fail;
        EXPECT_FALSE(sb.Append("defgh"));
        EXPECT_EQ(sb.ReplaceAll("b", "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"), 0u);
    }
    EXPECT_EQ(Text(sb), "abc");
    EXPECT_EQ(sb.GetCapacity(), 4u);
}

TEST(StringBufferMemory, FailedConstructionSharesTheStaticEmptyText) {
    ScopedAllocationFailure fail;
    StringBuffer a;
    StringBuffer b("text");
    EXPECT_EQ(a.GetString(), b.GetString());
    EXPECT_EQ(a.GetCapacity(), 1u);
    EXPECT_STREQ(a.GetString(), "");
    a.Clear();
    a.Trim();
    a.SecureClear();
    EXPECT_FALSE(a.Append(""));  // still cannot allocate, and never writes into the shared text
    EXPECT_STREQ(b.GetString(), "");
}

TEST(StringBufferMemory, DefaultConstructorFallsBackToFourBytes) {
    ScopedAllocationFailure failFirst(0, 1);  // the 202-byte block fails, the next one works
    StringBuffer sb;
    EXPECT_EQ(sb.GetCapacity(), 4u);
    EXPECT_TRUE(sb.Append("abc"));
    EXPECT_STREQ(sb.GetString(), "abc");
}

TEST(StringBufferAppend, EmptyAppendsAndNumbers) {
    StringBuffer sb;
    EXPECT_TRUE(sb.Append(""));
    EXPECT_TRUE(sb.Append(static_cast<const char*>(nullptr)));
    EXPECT_EQ(sb.GetSize(), 0u);
    EXPECT_EQ(sb.GetString()[0], '\0');
    sb.AppendInt(-42);
    sb.AppendChar(' ');
    sb.AppendUint32(4294967295u);
    sb.AppendChar(' ');
    sb.AppendInt64(-9000000000LL);
    sb.AppendCharN('.', 3);
    EXPECT_EQ(Text(sb), "-42 4294967295 -9000000000...");
    EXPECT_EQ(sb.LastChar(), '.');
    EXPECT_EQ(sb.CharAt(0), '-');
    EXPECT_EQ(sb.CharAt(1000), '\0');
}

TEST(StringBufferAppend, SelfAppendAndCountedBytesWithNul) {
    StringBuffer sb("ab");
    sb.Append(sb);
    EXPECT_EQ(Text(sb), "abab");
    sb.AppendN("\0z", 2);
    EXPECT_EQ(sb.GetSize(), 6u);
    EXPECT_EQ(Text(sb), std::string("abab\0z", 6));
    DataBuffer bytes;
    bytes.Append("xy", 2);
    sb.Append(bytes);
    EXPECT_EQ(sb.GetSize(), 8u);
}

TEST(StringBufferAppend, OwnTextAppendedWhileTheBufferGrows) {
    StringBuffer sb("abc");  // capacity 4: every append below reallocates
    sb.Append(sb.GetString());
    EXPECT_EQ(Text(sb), "abcabc");
    sb.AppendN(sb.GetString() + 1, 2);
    EXPECT_EQ(Text(sb), "abcabcbc");
    const std::string big(300, 'q');
    StringBuffer grown(big.c_str());
    grown.Append(grown.GetString() + 290);
    EXPECT_EQ(Text(grown), big + std::string(10, 'q'));
}

TEST(StringBufferAppend, HexForms) {
    const unsigned char bytes[18] = {0x00, 0x1F, 0xA0, 0xFF, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    StringBuffer plain;
    plain.AppendHex(bytes, 4, false);
    EXPECT_EQ(Text(plain), "001FA0FF");
    StringBuffer grouped;
    grouped.AppendHex(bytes, 18, true);
    EXPECT_EQ(Text(grouped),
              "001F A0FF 0405 0607 0809 0A0B 0C0D 0E0F \n1011 ");
    StringBuffer lower;
    lower.AppendHexGroups(bytes, 3);
    EXPECT_EQ(Text(lower), "00 1f a0 ");
}

TEST(StringBufferAppend, SystemErrorTextIsTrimmed) {
    StringBuffer sb;
    sb.AppendSystemErrorText(2);
    EXPECT_EQ(Text(sb), "No such file or directory");
}

TEST(StringBufferSet, SetClearTakeAndWipe) {
    StringBuffer sb("hello world");
    sb.SetString(sb.GetString() + 6);  // a piece of its own text
    EXPECT_EQ(Text(sb), "world");
    sb.SecureClear();
    EXPECT_EQ(sb.GetSize(), 0u);
    EXPECT_EQ(sb.GetString()[1], ' ') << "old bytes are overwritten with blanks";
    sb.SetBytes("a\0b", 3);
    EXPECT_EQ(sb.GetSize(), 3u);
    char* taken = sb.TakeStorage();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(std::memcmp(taken, "a\0b", 4), 0);
    qvmem::Free(taken);
    EXPECT_EQ(sb.GetSize(), 0u);
    EXPECT_EQ(sb.GetCapacity(), sb.GetGrowBy());
}

TEST(StringBufferShrink, ShortenChopAndRemove) {
    StringBuffer sb("path/to/file.txt");
    EXPECT_TRUE(sb.ChopAtLastChar('.'));
    EXPECT_EQ(Text(sb), "path/to/file");
    EXPECT_TRUE(sb.ChopAtFirstChar('/'));
    EXPECT_EQ(Text(sb), "path");
    EXPECT_FALSE(sb.ChopAtFirstChar('#'));
    sb.Shorten(2);
    EXPECT_EQ(Text(sb), "pa");
    sb.Shorten(100);
    EXPECT_EQ(Text(sb), "");

    StringBuffer range("0123456789");
    range.RemoveRange(2, 3);
    EXPECT_EQ(Text(range), "0156789");
    range.RemoveRange(5, 100);
    EXPECT_EQ(Text(range), "01567");
    range.RemoveRange(50, 1);
    EXPECT_EQ(Text(range), "01567");

    StringBuffer big;
    big.Append("abc");
    big.MinimizeMemory();
    EXPECT_EQ(big.GetCapacity(), 4u);
    EXPECT_EQ(Text(big), "abc");
}

TEST(StringBufferWhitespace, TrimAndCollapse) {
    struct Case {
        const char* in;
        const char* trimmed;
        const char* collapsed;
    };
    const Case cases[] = {
        {"  a b  ", "a b", " a b "},
        {"\t\r\n \t", "", " "},
        {"", "", ""},
        {"x", "x", "x"},
        {"a\t\tb\r\nc", "a\t\tb\r\nc", "a b c"},
    };
    for (const Case& c : cases) {
        StringBuffer trim(c.in);
        trim.Trim();
        EXPECT_EQ(Text(trim), c.trimmed) << c.in;
        StringBuffer collapse(c.in);
        collapse.CollapseWhitespace();
        EXPECT_EQ(Text(collapse), c.collapsed) << c.in;
    }
}

TEST(StringBufferCase, AsciiAndLatinOneRanges) {
    StringBuffer lower("AZaz\xC0\xC9\xD7\xDF\xBF\xFF[");
    lower.ToLowerCase();
    EXPECT_EQ(Text(lower), "azaz\xE0\xE9\xF7\xFF\xBF\xFF[");
    StringBuffer upper("azAZ\xE0\xE9\xF7\xFF\xDF`{");
    upper.ToUpperCase();
    EXPECT_EQ(Text(upper), "AZAZ\xC0\xC9\xD7\xDF\xDF`{");
    // Every byte of the two ranges maps onto the other.
    for (int c = 0xC0; c <= 0xDF; ++c) {
        const char in[2] = {static_cast<char>(c), 0};
        StringBuffer sb(in);
        sb.ToLowerCase();
        EXPECT_EQ(static_cast<unsigned char>(sb.CharAt(0)), c + 0x20);
        sb.ToUpperCase();
        EXPECT_EQ(static_cast<unsigned char>(sb.CharAt(0)), c);
    }
}

TEST(StringBufferSearch, ContainsBeginsEndsEquals) {
    StringBuffer sb("Content-Type: text/XML");
    EXPECT_TRUE(sb.Contains("text/"));
    EXPECT_FALSE(sb.Contains("text/xml"));
    EXPECT_TRUE(sb.ContainsNoCase("TEXT/xml"));
    EXPECT_TRUE(sb.BeginsWith("Content"));
    EXPECT_FALSE(sb.BeginsWith("content"));
    EXPECT_TRUE(sb.BeginsWithNoCase("content-type"));
    EXPECT_TRUE(sb.EndsWith("XML"));
    EXPECT_FALSE(sb.EndsWith("a very long suffix that is longer than the text"));
    EXPECT_TRUE(sb.EqualsNoCase("content-type: TEXT/xml"));
    EXPECT_FALSE(sb.Equals("Content-Type: text/xml"));
    EXPECT_EQ(sb.CountChar('t'), 4u);
    EXPECT_EQ(sb.IndexOf("t", 3), 3);
    EXPECT_EQ(sb.IndexOf("zzz"), -1);
    EXPECT_LT(StringBuffer("abc").Compare("abd"), 0);
    EXPECT_GT(StringBuffer("abc").Compare("ab"), 0);
    EXPECT_EQ(StringBuffer("abc").Compare("abc"), 0);
    EXPECT_GT(StringBuffer("\xE9").Compare("a"), 0) << "bytes compare unsigned";
}

TEST(StringBufferReplace, ReplaceAllNeverRescans) {
    StringBuffer sb("aaa");
    EXPECT_EQ(sb.ReplaceAll("a", "aa"), 3u);
    EXPECT_EQ(Text(sb), "aaaaaa");
    EXPECT_EQ(sb.ReplaceAll("", "x"), 0u);
    EXPECT_EQ(sb.ReplaceAll("b", "x"), 0u);
    EXPECT_EQ(sb.ReplaceAll("aa", ""), 3u);
    EXPECT_EQ(Text(sb), "");
    StringBuffer amp("&amp;lt; &amp;amp;");
    EXPECT_EQ(amp.ReplaceAll("&amp;", "&"), 2u);
    EXPECT_EQ(Text(amp), "&lt; &amp;");
}

TEST(StringBufferReplace, SingleByteForms) {
    StringBuffer sb("a-b-c");
    EXPECT_TRUE(sb.ReplaceFirst("-", "+="));
    EXPECT_EQ(Text(sb), "a+=b-c");
    EXPECT_FALSE(sb.ReplaceFirst("#", "x"));
    EXPECT_EQ(sb.ReplaceAllWithChar("+=", '_'), 1u);
    EXPECT_EQ(sb.ReplaceChar('-', '_'), 1u);
    EXPECT_EQ(Text(sb), "a_b_c");
    EXPECT_EQ(sb.ReplaceAnyOf("abcdefgh", '*'), 3u) << "only the first five bytes of the set count";
    EXPECT_EQ(Text(sb), "*_*_*");
    EXPECT_EQ(sb.RemoveChar('_'), 2u);
    EXPECT_EQ(Text(sb), "***");

    StringBuffer name("a b!c-d.e:f_g\xE9(h)/1");
    name.KeepNameChars();
    EXPECT_EQ(Text(name), "ab!c-d.e:f_g\xE9h1");
}

TEST(StringBufferSplit, DelimiterByteWithQuotesAndEscapes) {
    struct Case {
        const char* text;
        bool quotes, escapes;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"a,b,,c", false, false, {"a", "b", "", "c"}},
        {"a,b,", false, false, {"a", "b", ""}},
        {"", false, false, {}},
        {"x=\"1,2\",y", true, false, {"x=\"1,2\"", "y"}},
        {"x=\"1,2\",y", false, false, {"x=\"1", "2\"", "y"}},
        {"a\\,b,c", false, true, {"a\\,b", "c"}},
        {"a\\", false, true, {"a\\"}},
    };
    for (const Case& c : cases) {
        ExtPtrArray pieces;
        pieces.SetOwnsItems(true);
        ASSERT_TRUE(StringBuffer(c.text).Split(pieces, ',', c.quotes, c.escapes));
        EXPECT_EQ(Pieces(pieces), c.pieces) << c.text;
    }
}

TEST(StringBufferSplit, DelimiterTextSkipsEmptyPiecesAndHonoursTheLimit) {
    ExtPtrArray all;
    all.SetOwnsItems(true);
    StringBuffer("::a::b::::c::").SplitOnString(all, "::");
    EXPECT_EQ(Pieces(all), (std::vector<std::string>{"a", "b", "c"}));
    ExtPtrArray limited;
    limited.SetOwnsItems(true);
    StringBuffer("k: v: w").SplitOnString(limited, ": ", 1);
    EXPECT_EQ(Pieces(limited), (std::vector<std::string>{"k", "v: w"}));
}

TEST(StringBufferEncode, EntitiesAndLineEnds) {
    StringBuffer sb("a<b>&\"c\"");
    sb.EncodeXmlSpecial();
    EXPECT_EQ(Text(sb), "a&lt;b&gt;&amp;&quot;c&quot;");
    StringBuffer lines("a\nb\r\nc\n");
    lines.ToCrlf();
    EXPECT_EQ(Text(lines), "a\r\nb\r\nc\r\n");
    lines.ToLf();
    EXPECT_EQ(Text(lines), "a\nb\nc\n");
}

TEST(StringBufferDecode, HexTextToBytesInPieces) {
    std::string hex;
    for (int i = 0; i < 1200; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", i % 256);
        hex += pair;
        if (i % 16 == 15) {
            hex += "\r\n";
        }
    }
    DataBuffer out;
    ASSERT_TRUE(StringBuffer(hex.c_str()).HexDecodeInto(out));
    ASSERT_EQ(out.GetSize(), 1200u);
    for (uint32_t i = 0; i < 1200; ++i) {
        ASSERT_EQ(out.GetData()[i], i % 256);
    }
    DataBuffer bad;
    EXPECT_FALSE(StringBuffer("0A0").HexDecodeInto(bad));
    EXPECT_FALSE(StringBuffer("0AZZ").HexDecodeInto(bad));
    EXPECT_EQ(bad.GetSize(), 2u) << "the pairs before the fault are kept";
}

TEST(StringBufferMarker, UseAfterDestructionStopsTheProcess) {
    EXPECT_DEATH(
        {
            alignas(StringBuffer) unsigned char storage[sizeof(StringBuffer)];
            auto* sb = new (storage) StringBuffer("x");
            sb->~StringBuffer();
            sb->Append("y");
        },
        "");
}

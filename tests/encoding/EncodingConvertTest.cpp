#include <gtest/gtest.h>

#include <string>

#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "core/Logger.h"
#include "core/StringBuffer.h"
#include "encoding/EncodingConvert.h"
#include "encoding/LogAnsiData.h"
#include "encoding/StringBufferConversion.h"
#include "tests/encoding/EncodingTestSupport.h"
#include "tests/support/TestSupport.h"

using enctest::Convert;
using enctest::Hex;

namespace {

std::string Text(const DataBuffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize());
}

}  // namespace

TEST(EncodingConvert, CopiesAndByteOrderMarks) {
    const enctest::ConversionCase cases[] = {
        {0, 65001, "FF FE 41 80", "FF FE 41 80", true},      // no source: copied
        {65001, 65001, "EF BB BF 41", "EF BB BF 41", true},  // equal: the mark stays
        {1252, 0, "80 81", "80 81", true},                   // no target: the source
        {1200, 65001, "FF FE 41 00", "41", true},
        {1200, 65001, "FE FF 00 41", "41", true},  // the mark sets the order
        {1201, 65001, "00 41", "41", true},
        {1201, 65001, "FF FE 41 00", "41", true},
        {1201, 1200, "FF FE 41 00", "41 00", true},
        {1200, 1201, "41 00", "00 41", true},
        {1200, 65001, "FF FE", "", true},  // only the mark
        {65001, 1200, "EF BB BF", "", true},
        {65001, 1200, "EF BB BF 41", "41 00", true},
        {65001, 1252, "", "", true},
    };
    enctest::ExpectConversions(cases);
}

TEST(EncodingConvert, UnicodeForms) {
    const enctest::ConversionCase cases[] = {
        {1252, 65001, "80 E9", "E2 82 AC C3 A9", true},
        {1200, 65001, "41 00 00 00 42 00", "41 42", true},  // U+0000 is dropped
        {1200, 65001, "41 00 42", "41", false},             // odd final byte
        // A character beyond U+FFFF, in UTF-8 four bytes, in UTF-16 a surrogate pair.
        {65001, 1200, "F0 9F 98 80", "3D D8 00 DE", true},
        {1200, 65001, "3D D8 00 DE", "F0 9F 98 80", true},
        // Surrogates written one by one (three bytes each) are read as well.
        {65001, 1200, "ED A0 BD ED B8 80", "3D D8 00 DE", true},
        {1200, 65001, "3D D8 41 00", "ED A0 BD 41", true},  // a lone surrogate survives
        {1200, 65001, "00 DE", "ED B8 80", true},
        {65001, 65005, "41 C3 A9 F0 9F 98 80", "41 00 00 00 E9 00 00 00 00 F6 01 00", true},
        {65001, 65006, "41", "00 00 00 41", true},
        {65005, 65001, "00 F6 01 00 41 00 00 00", "F0 9F 98 80 41", true},
        {65006, 1200, "00 00 00 41 00 01 F6 00", "41 00 3D D8 00 DE", true},
        {65005, 65001, "00 00 11 00", "EF BF BD", false},  // beyond U+10FFFF
        {65005, 65001, "00 D8 00 00", "EF BF BD", false},  // a surrogate value
        {65005, 65001, "41 00 00 00 42", "41", false},     // bytes beyond a multiple of 4
        {65005, 65006, "41 00 00 00", "00 00 00 41", true},
    };
    enctest::ExpectConversions(cases);
}

TEST(EncodingConvert, BadInputIsDroppedAndReported) {
    const enctest::ConversionCase cases[] = {
        {65001, 1200, "C3", "", false},  // cut off
        {65001, 1200, "E2 82", "", false},
        {65001, 1200, "E2 82 41", "41 00", false},  // wrong continuation: one byte each
        {65001, 1200, "C0 80 41", "41 00", false},  // overlong
        {65001, 1200, "E0 80 80", "", false},
        {65001, 1200, "F0 80 80 80", "", false},
        {65001, 1200, "F4 90 80 80", "", false},  // beyond U+10FFFF
        {65001, 1200, "F8 88 80 80 80", "", false},
        {65001, 1200, "80 BF 41", "41 00", false},  // stray continuation bytes
        {65001, 1252, "41 FF 42", "41 42", false},
        {65001, 65005, "41 ED A0 80 42", "41 00 00 00 42 00 00 00", false},
        {1201, 65001, "00", "", false},  // shorter than a unit
        {1200, 1252, "41 00 42", "41", false},
        {1201, 1200, "00 41 00", "41 00", false},
        {1252, 65001, "41 81 42", "41 42", false},
        {1200, 1252, "AC 20 3B 04", "80", false},  // U+043B has no place in 1252
        {932, 65001, "82", "", false},
        {932, 65001, "82 A0 82", "E3 81 82", false},
        {932, 65001, "FF 41", "41", false},
        {936, 65001, "B0", "", false},
    };
    enctest::ExpectConversions(cases);
}

TEST(EncodingConvert, Utf7) {
    const struct {
        const char16_t* text;
        const char* utf7;
    } cases[] = {
        {u"A+B", "A+-B"},
        {u"\u20AC", "+IKw-"},
        {u"Hi Mom -\u263A-!", "Hi Mom -+Jjo--+ACE-"},
        {u"\u65E5\u672C\u8A9E", "+ZeVnLIqe-"},
        {u"a\u00E9b", "a+AOk-b"},
        {u"~\\", "+AH4AXA-"},
        {u"\xFEFF"
         u"A",
         "A"},  // a leading U+FEFF is dropped
    };
    for (const auto& c : cases) {
        const std::string utf16 = testsupport::Utf16LeBytes(c.text);
        const auto encoded = Convert(1200, 65000, utf16);
        EXPECT_EQ(encoded.bytes, c.utf7);
        EXPECT_TRUE(encoded.complete);
        const auto decoded = Convert(65000, 1200, c.utf7);
        EXPECT_EQ(decoded.bytes, c.text[0] == 0xFEFF ? utf16.substr(2) : utf16) << c.utf7;
        EXPECT_TRUE(decoded.complete) << c.utf7;
    }
    const enctest::ConversionCase decoding[] = {
        {65000, 1200, "2B 2D", "2B 00", true},                 // "+-"
        {65000, 1200, "2B 41 47 46", "61 00", false},          // "+AGF": leftover bits
        {65000, 1200, "2B 41 2D", "", false},                  // "+A-": no whole unit
        {65000, 1200, "2B 41 47 45 20", "61 00 20 00", true},  // a run ended by a blank
        {65000, 1200, "41 E9", "41 00 E9 FF", false},          // 8-bit byte outside a run
        {65000, 1200, "2B", "", false},
        {65000, 65001, "2B 49 4B 77 2D 21", "E2 82 AC 21", true},
    };
    enctest::ExpectConversions(decoding);
}

TEST(EncodingConvert, MacArabicPass) {
    const enctest::ConversionCase cases[] = {
        // Arabic-Indic digits fold to ASCII digits; right-to-left runs are reversed.
        {10004, 1200, "B1 B2", "32 00 31 00", true},
        {10004, 1200, "41 A1 A2 42 A8", "41 00 22 00 21 00 42 00 28 00", true},
        {10004, 1200, "C7 C8", "27 06 28 06", true},  // letters are not reversed
        {10004, 1200, "A0", "20 00", true},
        {1200, 10004, "27 06", "C7", true},
    };
    enctest::ExpectConversions(cases);
}

TEST(EncodingConvert, NamesAndAnsi) {
    testsupport::ScopedEnv ansi("QV_ANSI_CODEPAGE", "1251");
    EncodingConvert convert;
    DataBuffer out;
    EXPECT_TRUE(convert.ConvertByName("windows-1252", 65001, "\xE9", 1, out));
    EXPECT_EQ(Text(out), "\xC3\xA9");
    EXPECT_EQ(convert.FromCodePage(), 1252);
    EXPECT_EQ(convert.ToCodePage(), 65001);
    out.Clear();
    EXPECT_TRUE(convert.ConvertToName(65001, "KOI8-R", "\xD0\xB0", 2, out));
    EXPECT_EQ(Hex(Text(out)), "C1");
    out.Clear();
    EXPECT_TRUE(convert.ConvertByNames("utf-8", "iso-8859-2", "\xC5\x82", 2, out));
    EXPECT_EQ(Hex(Text(out)), "B3");
    out.Clear();
    EXPECT_FALSE(convert.ConvertByName("no-such-charset", 65001, "abc", 3, out));
    EXPECT_FALSE(convert.ConvertToName(65001, "ks", "abc", 3, out));
    EXPECT_FALSE(convert.ConvertByNames("utf-8", nullptr, "abc", 3, out));
    EXPECT_EQ(out.GetSize(), 0u);
    EXPECT_TRUE(convert.ConvertFromAnsi(65001, "\xE0", 1, out));
    EXPECT_EQ(Text(out), "\xD0\xB0");
    out.Clear();
    EXPECT_TRUE(convert.ConvertToAnsi(65001, "\xD0\xB0", 2, out));
    EXPECT_EQ(Hex(Text(out)), "E0");
    out.Clear();
    EXPECT_TRUE(convert.Convert(1252, 65001, nullptr, 5, out)) << "no bytes: nothing to do";
    EXPECT_EQ(out.GetSize(), 0u);
}

TEST(EncodingConvert, AppendsToTheOutput) {
    DataBuffer out;
    out.Append("head:", 5);
    EXPECT_TRUE(EncodingConvert().Convert(1252, 65001, "\xE9", 1, out));
    EXPECT_EQ(Text(out), "head:\xC3\xA9");
    // A long conversion crosses the output chunks.
    std::string latin(100000, '\xE9');
    out.Clear();
    EXPECT_TRUE(EncodingConvert().Convert(1252, 65001, latin.data(), 100000, out));
    ASSERT_EQ(out.GetSize(), 200000u);
    EXPECT_EQ(Text(out).substr(199998), "\xC3\xA9");
}

TEST(StringBufferConversion, ConvertsInPlaceAndKeepsTextItCannotConvert) {
    StringBuffer text("caf\xE9");
    EXPECT_TRUE(ConvertInPlace(text, 1252, 65001));
    EXPECT_STREQ(text.GetString(), "caf\xC3\xA9");
    EXPECT_TRUE(ConvertInPlace(text, 65001, 1200));
    EXPECT_EQ(text.GetSize(), 8u) << "UTF-16 text holds NUL bytes";
    StringBuffer unsupported("caf\xE9");
    EXPECT_FALSE(ConvertInPlace(unsupported, 20932, 65001));
    EXPECT_STREQ(unsupported.GetString(), "caf\xE9");
    StringBuffer lossy(
        "a\xD0\xBB"
        "b");
    EXPECT_FALSE(ConvertInPlace(lossy, 65001, 1252));
    EXPECT_STREQ(lossy.GetString(), "ab");
}

TEST(LogAnsiData, LogsAnsiTextAsUtf8) {
    testsupport::ScopedEnv ansi("QV_ANSI_CODEPAGE", "1252");
    Logger log;
    LogAnsiData(log, "name", "Andr\xE9");
    StringBuffer rendered;
    log.GetAsText(rendered);
    EXPECT_TRUE(rendered.Contains("Andr\xC3\xA9")) << rendered.GetString();
}

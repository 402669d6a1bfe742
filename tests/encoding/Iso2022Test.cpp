#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/encoding/EncodingTestSupport.h"
#include "tests/support/TestSupport.h"

using enctest::Convert;
using enctest::Hex;

TEST(Iso2022, JapaneseAndKorean) {
    const enctest::ConversionCase cases[] = {
        {50220, 932, "1B 24 42 30 21 1B 28 42", "88 9F", true},
        {50220, 1200, "1B 24 42 30 21 1B 28 42", "9C 4E", true},
        {50221, 1200, "1B 24 40 30 21", "9C 4E", true},                        // all three alike
        {50222, 65001, "1B 24 42 24 22 0A 24 22", "E3 81 82 0A 24 22", true},  // LF ends kanji
        {50220, 932, "1B 28 49 31 5F", "B1 DF", true},  // half-width katakana
        {50220, 932, "41 1B 28 4A 42", "41 42", true},
        {50220, 932, "1B 24 42 30", "", false},  // half a pair
        {50220, 932, "41 1B", "41", false},      // an escape cut off
        {50220, 932, "1B 24", "", false},
        {50220, 932, "1B 24 41 41", "41", false},  // unknown escapes are skipped
        {50220, 932, "1B 5A 41", "41", false},
        {50220, 932, "1B 24 42 79 21 7C 6F", "FA 5C 81 45", true},           // extension rows
        {50220, 932, "1B 24 42 7C 7B", "81 CA", true},                       // the not sign
        {932, 50220, "B6 DE", "1B 24 42 25 2C 1B 28 42", true},              // KA + voiced = GA
        {932, 50220, "CA DF B3 DE", "1B 24 42 25 51 25 74 1B 28 42", true},  // PA, VU
        {932, 50220, "B1 DE", "1B 24 42 25 22 21 2B 1B 28 42", true},        // A takes no mark
        {932, 50220, "88 9F 0D 0A 41", "1B 24 42 30 21 1B 28 42 0D 0A 41", true},
        {932, 50220, "FA 5C", "1B 24 42 79 21 1B 28 42", true},
        {932, 50220, "88", "", false},
        {1200, 50220, "9C 4E 41 00", "1B 24 42 30 21 1B 28 42 41", true},
        {949, 50225, "B0 A1 41", "1B 24 29 43 0E 30 21 0F 41", true},
        {949, 50225, "B0 A1", "1B 24 29 43 0E 30 21", true},  // no SI at the end
        {949, 50225, "41 B0", "1B 24 29 43 41", false},
        {50225, 949, "1B 24 29 43 0E 30 21 0F 41", "B0 A1 41", true},
        {50225, 1200, "1B 24 29 43 0E 30 21 0F", "00 AC", true},
        {50225, 949, "0E 30 21 30 0F 41", "B0 A1 41", false},  // a lone byte of a pair
        {50225, 949, "1B 41 42", "41 42", false},              // any other escape byte
        {50225, 50220, "1B 24 29 43 41", "41", true},
    };
    enctest::ExpectConversions(cases);
}

// Random kana, kanji and Hangul text written by our encoders reads back the same through the
// C library's ISO-2022 decoders, and the other way round.
TEST(Iso2022, RoundTripsThroughTheCLibrary) {
    std::mt19937 random(2022);
    const struct {
        int codePage;
        const char* iconvName;
        std::u16string letters;
    } scripts[] = {
        {50220, "ISO-2022-JP",
         u"\u3042\u3044\u3046\u3093\u30A2\u30AB\u30F3\u65E5\u672C\u8A9E\u6F22\u5B57"
         u"\u6771\u4EAC\u5927\u962A\u5C71\u5DDD\u4EBA\u53E3\uFF21"},
        {50225, "ISO-2022-KR",
         u"\uAC00\uB098\uB2E4\uB77C\uB9C8\uBC14\uC0AC\uC544\uC790\uCC28\uCE74\uD0C0"
         u"\uD30C\uD558\uD55C\uAD6D\uC5B4"},
    };
    for (const auto& script : scripts) {
        for (int round = 0; round < 20; ++round) {
            std::u16string text;
            for (int i = 0; i < 40; ++i) {
                if (i % 7 == 6) {
                    text += u"a ";
                    continue;
                }
                text += script.letters[random() % script.letters.size()];
            }
            const std::string utf16 = testsupport::Utf16LeBytes(text);
            const auto ours = Convert(1200, script.codePage, utf16);
            ASSERT_TRUE(ours.complete);
            // glibc wants a line of ISO-2022-KR to end in ASCII.
            const std::string terminated =
                script.codePage == 50225 ? ours.bytes + "\x0F" : ours.bytes;
            const auto theirs = enctest::Iconv(script.iconvName, "UTF-16LE", terminated);
            ASSERT_TRUE(theirs.has_value()) << Hex(ours.bytes);
            EXPECT_EQ(*theirs, utf16) << script.iconvName;
            const auto back = enctest::Iconv("UTF-16LE", script.iconvName, utf16);
            ASSERT_TRUE(back.has_value());
            const auto decoded = Convert(script.codePage, 1200, *back);
            EXPECT_EQ(decoded.bytes, utf16) << Hex(*back);
        }
    }
}

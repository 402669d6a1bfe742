// Random valid text converted by the engine and by the C library's iconv gives the same
// result, in both directions, for the code pages a feed is most likely to use.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "encoding/CodePageTables.h"
#include "tests/encoding/EncodingTestSupport.h"
#include "tests/support/TestSupport.h"

using enctest::Convert;
using enctest::Hex;

namespace {

struct Page {
    int codePage;
    const char* iconvName;
    unsigned excludedKey;  // a key the two convert differently on purpose (0: none)
};

// 28591 carries the data of windows-1252 (as Windows treats ISO-8859-1 text), and 28592 maps
// 0x80 to the euro sign where ISO 8859-2 has a C1 control.
const Page kPages[] = {
    {1252, "CP1252", 0}, {28591, "CP1252", 0}, {28592, "ISO-8859-2", 0x80}, {1251, "CP1251", 0},
    {932, "CP932", 0},   {936, "CP936", 0},    {949, "CP949", 0},           {950, "CP950", 0},
};

struct Mapped {
    unsigned key;  // a byte, or a pair with the lead byte high
    uint16_t unit;
};

// Every key the code page decodes, with its unit.
std::vector<Mapped> MappedKeys(const Page& page) {
    const bool multiByte = CodePageTables::IsMultiByte(page.codePage);
    const std::vector<uint16_t> decoding = enctest::EngineDecoding(page.codePage, multiByte);
    std::vector<Mapped> mapped;
    for (unsigned key = 1; key <= decoding.size(); ++key) {
        if (decoding[key - 1] && key != page.excludedKey) {
            mapped.push_back({key, decoding[key - 1]});
        }
    }
    return mapped;
}

std::string KeyBytes(unsigned key) {
    return key < 0x100 ? std::string(1, static_cast<char>(key))
                       : std::string{static_cast<char>(key >> 8), static_cast<char>(key)};
}

std::string Utf16Bytes(const std::vector<uint16_t>& units) {
    std::string out;
    for (uint16_t u : units) {
        out += static_cast<char>(u);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

}  // namespace

TEST(IconvCrossCheck, RandomCodePageTextDecodesAlike) {
    std::mt19937 random(1252);
    for (const Page& page : kPages) {
        const std::vector<Mapped> keys = MappedKeys(page);
        for (int round = 0; round < 20; ++round) {
            std::string text;
            for (int i = 0; i < 200; ++i) {
                text += KeyBytes(keys[random() % keys.size()].key);
            }
            const auto ours = Convert(page.codePage, 1200, text);
            const auto theirs = enctest::Iconv(page.iconvName, "UTF-16LE", text);
            ASSERT_TRUE(theirs.has_value()) << page.iconvName << ": " << Hex(text);
            EXPECT_TRUE(ours.complete);
            EXPECT_EQ(ours.bytes, *theirs) << page.codePage;
        }
    }
}

TEST(IconvCrossCheck, RandomUnicodeTextRoundTripsBothWays) {
    std::mt19937 random(65001);
    for (const Page& page : kPages) {
        // The characters the code page holds.
        const std::vector<Mapped> repertoire = MappedKeys(page);
        for (int round = 0; round < 20; ++round) {
            std::vector<uint16_t> units;
            for (int i = 0; i < 200; ++i) {
                units.push_back(repertoire[random() % repertoire.size()].unit);
            }
            const std::string utf16 = Utf16Bytes(units);
            const auto encoded = Convert(1200, page.codePage, utf16);
            EXPECT_TRUE(encoded.complete);
            const auto theirsDecoded = enctest::Iconv(page.iconvName, "UTF-16LE", encoded.bytes);
            ASSERT_TRUE(theirsDecoded.has_value()) << Hex(encoded.bytes);
            EXPECT_EQ(*theirsDecoded, utf16) << page.codePage;

            const auto theirsEncoded = enctest::Iconv("UTF-16LE", page.iconvName, utf16);
            ASSERT_TRUE(theirsEncoded.has_value());
            const auto decoded = Convert(page.codePage, 1200, *theirsEncoded);
            EXPECT_TRUE(decoded.complete);
            EXPECT_EQ(decoded.bytes, utf16) << page.codePage;
        }
    }
}

TEST(IconvCrossCheck, Utf7RoundTripsBothWays) {
    std::mt19937 random(65000);
    for (int round = 0; round < 50; ++round) {
        std::u16string text;
        for (int i = 0; i < 100; ++i) {
            switch (random() % 4) {
                case 0:
                    text += static_cast<char16_t>(0x20 + random() % 0x5F);
                    break;
                case 1:
                    text += static_cast<char16_t>(0xA0 + random() % 0x3000);
                    break;
                case 2:
                    text += static_cast<char16_t>(0xE000 + random() % 0x1FFE);
                    break;
                default:  // a character beyond U+FFFF
                    text += static_cast<char16_t>(0xD800 + random() % 0x400);
                    text += static_cast<char16_t>(0xDC00 + random() % 0x400);
            }
        }
        const std::string utf16 = testsupport::Utf16LeBytes(text);
        const auto ours = Convert(1200, 65000, utf16);
        EXPECT_TRUE(ours.complete);
        const auto theirs = enctest::Iconv("UTF-7", "UTF-16LE", ours.bytes);
        ASSERT_TRUE(theirs.has_value()) << ours.bytes;
        EXPECT_EQ(*theirs, utf16);
        const auto back = enctest::Iconv("UTF-16LE", "UTF-7", utf16);
        ASSERT_TRUE(back.has_value());
        const auto decoded = Convert(65000, 1200, *back);
        EXPECT_EQ(decoded.bytes, utf16) << *back;
        EXPECT_TRUE(decoded.complete) << *back;
    }
}

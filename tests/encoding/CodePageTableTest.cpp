#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "core/DataBuffer.h"
#include "encoding/CodePageData.h"
#include "encoding/CodePageTables.h"
#include "encoding/HashConvert.h"
#include "encoding/StoredTableReader.h"
#include "tests/encoding/EncodingTestSupport.h"

using enctest::Bytes;
using enctest::Convert;
using enctest::EngineDecoding;
using enctest::EngineEncoding;
using enctest::Hex;

namespace {

struct Digest {
    int codePage;
    bool multiByte;
    uint32_t decoding;
    uint32_t encoding;
};

// Written by tools/gen-codepage-tables from the source mappings, independently of the packed
// tables: CRC-32 of the unit of every key and of the key of every unit.
const Digest kDigests[] = {
#include "tests/encoding/CodePageDigests.inc"
};

uint32_t Crc(const std::vector<uint16_t>& values) {
    std::vector<unsigned char> bytes;
    for (uint16_t v : values) {
        bytes.push_back(static_cast<unsigned char>(v));
        bytes.push_back(static_cast<unsigned char>(v >> 8));
    }
    return static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

}  // namespace

TEST(CodePageTables, EveryKeyAndUnitOfEveryCodePageMatchesTheSourceMapping) {
    ASSERT_EQ(std::size(kDigests), 103u);
    ASSERT_EQ(codepagedata::kStoredCodePageCount, 103);
    for (const Digest& digest : kDigests) {
        EXPECT_EQ(CodePageTables::IsMultiByte(digest.codePage), digest.multiByte);
        EXPECT_EQ(Crc(EngineDecoding(digest.codePage, digest.multiByte)), digest.decoding)
            << "decoding of code page " << digest.codePage;
        EXPECT_EQ(Crc(EngineEncoding(digest.codePage)), digest.encoding)
            << "encoding of code page " << digest.codePage;
    }
}

TEST(CodePageTables, SingleByteConversionAgreesWithItsTable) {
    // Every byte at once through Convert, against the byte-by-byte table.
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    for (const Digest& digest : kDigests) {
        if (digest.multiByte || digest.codePage == 10004) {  // 10004 has a pass of its own
            continue;
        }
        std::string expected;
        bool everyByte = true;
        for (uint16_t unit : EngineDecoding(digest.codePage, false)) {
            if (unit) {
                expected += std::string{static_cast<char>(unit), static_cast<char>(unit >> 8)};
            }
            everyByte &= unit != 0;
        }
        const auto decoded = Convert(digest.codePage, 1200, all);
        EXPECT_EQ(decoded.bytes, expected) << digest.codePage;
        EXPECT_EQ(decoded.complete, everyByte) << digest.codePage;
    }
}

TEST(CodePageTables, PublishedDifferencesAndBestFits) {
    const enctest::ConversionCase cases[] = {
        {1252, 1200, "81", "", false},
        {1252, 1200, "80", "AC 20", true},
        {28591, 1200, "93", "1C 20", true},
        {28591, 1200, "80 8C", "AC 20 52 01", true},
        {28592, 1200, "80", "AC 20", true},
        {1200, 28592, "AC 20", "80", true},
        {28592, 1200, "81 9F", "81 00 9F 00", true},
        {28597, 1200, "80", "", false},
        {28597, 1200, "81", "81 00", true},
        {28605, 1200, "80", "80 00", true},
        {1200, 1256, "63 06", "33", true},
        {1200, 28596, "F9 06 60 06", "39 30", true},
        {1200, 1252, "63 06", "", false},
        {932, 1200, "82 A0", "42 30", true},
        {932, 1200, "41 82", "41 00", false},
        {1200, 932, "A0 00", "20", true},
        {1200, 932, "A5 00", "5C", true},
        {1200, 20127, "A0 00", "20", true},
        {1200, 20127, "E9 00", "65", true},
        {1200, 1252, "A9 03", "4F", true},           // best fit: capital omega as O
        {1200, 1252, "00 00 41 00", "00 41", true},  // unit 0 is a 0 byte
        {1200, 37, "41 00 00 00", "C1 00", true},    // also without ASCII
        {1252, 1200, "00", "00 00", true},
        {51936, 1200, "B0 A1", "4A 55", true},  // the data of 936
        {10001, 1200, "82 A0", "42 30", true},  // decodes with the data of 932
        {1200, 10001, "60 24", "85 40", true},  // circled one: Mac Japanese differs from 932
        {1200, 10001, "A9 00", "FD", true},
        {1200, 932, "A9 00", "63", true},
        {51932, 1200, "A4 A2", "42 30", true},
        {1200, 51932, "42 30", "A4 A2", true},
        {51949, 1200, "B0 A1", "00 AC", true},
        {51949, 1200, "81 41", "41 00", false},
        {20838, 1200, "C1", "41 00", true},
        {20924, 1200, "9F", "AC 20", true},
        {864, 1200, "25", "25 00", true},
        {1200, 864, "6A 06", "25", true},
    };
    enctest::ExpectConversions(cases);
}

TEST(CodePageTables, TablesAreBuiltOnceAndShared) {
    const HashConvert* first = CodePageTables::Encoding(1251);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(CodePageTables::Encoding(1251), first);
    EXPECT_EQ(first->BucketCount(), 269u);
    EXPECT_EQ(CodePageTables::MultiByteDecoding(932)->BucketCount(), 4919u);
    EXPECT_EQ(CodePageTables::Encoding(932)->BucketCount(), 7669u);
    EXPECT_EQ(CodePageTables::Encoding(10001)->BucketCount(), 4919u);
    EXPECT_EQ(CodePageTables::Encoding(936)->BucketCount(), 7649u);
    EXPECT_EQ(CodePageTables::Encoding(1361)->BucketCount(), 7669u);
    EXPECT_EQ(CodePageTables::SingleByteDecoding(932), nullptr) << "932 decodes by hash";
    EXPECT_EQ(CodePageTables::MultiByteDecoding(1252), nullptr);
    EXPECT_FALSE(CodePageTables::HasTable(20932));
    EXPECT_EQ(CodePageTables::Encoding(54936), nullptr);
}

TEST(CodePageTables, CodePagesWithoutATableConvertNothing) {
    for (int codePage : {20932, 54936, 50000, 709, 1, 12345}) {
        const auto from = Convert(codePage, 65001, "abc\xE9");
        EXPECT_EQ(from.bytes, "") << codePage;
        EXPECT_FALSE(from.complete) << codePage;
        const auto to = Convert(65001, codePage, "abc");
        EXPECT_EQ(to.bytes, "") << codePage;
        EXPECT_FALSE(to.complete) << codePage;
    }
}

TEST(CodePageTables, FirstUseOfATableIsQuick) {
    // 936 is the largest table; a table not used before in this process is timed.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_NE(CodePageTables::MultiByteDecoding(950), nullptr);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // Generous for sanitizer builds; the benchmark reports the real figure.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 500);
}

TEST(StoredTableReader, RejectsDamagedText) {
    const std::string good =
        "x"
        "YXU=";  // "au": an ASCII-compatible, empty full table
    const char* const goodPieces[] = {good.c_str(), nullptr};
    DataBuffer table;
    ASSERT_TRUE(UnpackStoredTable(goodPieces, table));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(table.GetData()), table.GetSize()), "au");

    const char* const pieces[][3] = {
        {"xYX", "U=", nullptr},                   // pieces are joined first: this one is good
        {"yYXU=", nullptr, nullptr},              // unknown form
        {"xYX*=", nullptr, nullptr},              // not base64
        {"xY===", nullptr, nullptr},              // too much padding
        {"cAAAAAAAAAA=", nullptr, nullptr},       // wrong magic
        {"c4aeUswgAAABCWmg5", nullptr, nullptr},  // right magic, cut-off bzip2 stream
        {"", nullptr, nullptr},
    };
    const bool expected[] = {true, false, false, false, false, false, false};
    for (size_t i = 0; i < std::size(pieces); ++i) {
        EXPECT_EQ(UnpackStoredTable(pieces[i], table), expected[i]) << i;
        if (!expected[i]) {
            EXPECT_EQ(table.GetSize(), 0u) << i;
        }
    }
}

TEST(HashConvert, FirstEntryWinsAndRemovalDropsEveryEntryOfAKey) {
    HashConvert hash(7, true);
    hash.Add(0x41, 1, 0x0100, 2);
    hash.Add(0x41, 1, 0x0102, 2);  // a later entry with the same key never wins
    hash.Add(0x48, 1, 0x0200, 2);  // 0x48 % 7 == 0x41 % 7: the same bucket
    hash.Add(0x8182, 2, 0x3000, 2);
    hash.Remove(0x48, 1);
    hash.Add(0x48, 1, 0x0201, 2);  // added after the removal: kept
    ASSERT_TRUE(hash.Seal());
    uint32_t value = 0;
    unsigned length = 0;
    ASSERT_TRUE(hash.Find(0x41, 1, value, length));
    EXPECT_EQ(value, 0x0100u);
    EXPECT_EQ(length, 2u);
    ASSERT_TRUE(hash.Find(0x48, 1, value, length));
    EXPECT_EQ(value, 0x0201u);
    EXPECT_TRUE(hash.Find(0x8182, 2, value, length));
    EXPECT_FALSE(hash.Find(0x8182, 1, value, length)) << "the key length is part of the key";
    EXPECT_FALSE(hash.Find(0x42, 1, value, length));
    EXPECT_TRUE(hash.HasKeysOfLength(2));
    EXPECT_FALSE(hash.HasKeysOfLength(3));
    EXPECT_TRUE(hash.StartsLongerKey(0x82));
    EXPECT_FALSE(hash.StartsLongerKey(0x81));
    EXPECT_FALSE(hash.Add(1, 1, 1, 1)) << "no adding after Seal";
}

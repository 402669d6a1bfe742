#include <gtest/gtest.h>

#include "compress/Crc32.h"
#include "tests/compress/DeflateTestKit.h"

using namespace deflatekit;

TEST(Crc32, KnownValues) {
    EXPECT_EQ(Crc32::Update(0, "", 0), 0u);
    EXPECT_EQ(Crc32::Update(0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32::Update(0, "a", 1), 0xE8B7BE43u);
}

// Against zlib, for every length around the 16-byte steps and the 16 KB rounds of four lanes,
// and for pieces fed one after another.
TEST(Crc32, MatchesZlibForAnyLengthAndSplit) {
    const Bytes data = RandomBytes(70000, 3);
    for (size_t length = 0; length <= 70; ++length) {
        for (size_t offset : {0, 1, 7}) {
            const Bytes piece = data.substr(offset, length);
            ASSERT_EQ(Crc32::Update(0, piece.data(), piece.size()), ZlibCrc32(piece)) << length;
        }
    }
    for (size_t length : {16383, 16384, 16385, 32768, 49152 + 17, 70000 - 3}) {
        const Bytes piece = data.substr(3, length);
        ASSERT_EQ(Crc32::Update(0, piece.data(), piece.size()), ZlibCrc32(piece)) << length;
    }
    for (size_t split : {1, 15, 16, 17, 2500, 16384, 40000}) {
        const uint32_t first = Crc32::Update(0, data.data(), split);
        EXPECT_EQ(Crc32::Update(first, data.data() + split, data.size() - split), ZlibCrc32(data))
            << split;
    }
}

// Our inflate against zlib's deflate and the gzip tool: every stream they write must decode to
// the very bytes they were given.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "compress/Gzip.h"
#include "compress/InflateState2.h"
#include "compress/MemoryDataSource.h"
#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "tests/compress/DeflateTestKit.h"
#include "tests/support/TestSupport.h"

using namespace deflatekit;

namespace {

// Decodes with InflateFromMemory and checks the result, the bytes and the CRC-32.
void ExpectInflatesTo(const Bytes& stream, const Bytes& original, const std::string& what) {
    DataBuffer out;
    LogNull log;
    uint32_t crc = 0;
    ASSERT_TRUE(InflateState2::InflateFromMemory(reinterpret_cast<const unsigned char*>(stream.data()),
                                                 stream.size(), out, nullptr, log, false, crc))
        << what;
    ASSERT_EQ(out.GetSize(), original.size()) << what;
    ASSERT_TRUE(AsBytes(out) == original) << what << ": bytes differ";
    ASSERT_EQ(crc, ZlibCrc32(original)) << what;
}

struct DataKind {
    const char* name;
    std::function<Bytes(size_t, uint32_t)> make;
};

const std::vector<DataKind>& Kinds() {
    static const std::vector<DataKind> kinds = {
        {"random", RandomBytes}, {"text", TextLike}, {"runs", RunsAndPatterns}, {"mixed", Mixed}};
    return kinds;
}

struct Strategy {
    const char* name;
    int value;
};
const Strategy kStrategies[] = {{"default", Z_DEFAULT_STRATEGY},
                                {"filtered", Z_FILTERED},
                                {"huffman-only", Z_HUFFMAN_ONLY},
                                {"rle", Z_RLE},
                                {"fixed", Z_FIXED}};

}  // namespace

// Every level and strategy on sizes around the edges that matter: nothing, single bytes, one
// longest match, one window, one window plus or minus a byte, a few windows.
TEST(InflateAgainstZlib, EveryLevelAndStrategyOnSmallAndMediumInputs) {
    const size_t sizes[] = {0, 1, 2, 3, 31, 258, 1000, 32767, 32768, 32769, 65536, 100003};
    uint32_t seed = 1;
    for (const DataKind& kind : Kinds()) {
        for (size_t size : sizes) {
            const Bytes original = kind.make(size, seed++);
            for (int level = 0; level <= 9; ++level) {
                for (const Strategy& strategy : kStrategies) {
                    const Bytes stream = ZlibDeflateRaw(original, {level, strategy.value});
                    ExpectInflatesTo(stream, original,
                                     std::string(kind.name) + " " + std::to_string(size) +
                                         " level " + std::to_string(level) + " " + strategy.name);
                }
            }
        }
    }
}

TEST(InflateAgainstZlib, MultiMegabyteInputs) {
    struct Case {
        const char* name;
        Bytes data;
        int level;
        int strategy;
    };
    const Case cases[] = {
        {"text 4 MB level 6", TextLike(4u << 20, 11), 6, Z_DEFAULT_STRATEGY},
        {"mixed 3 MB level 1", Mixed(3u << 20, 12), 1, Z_DEFAULT_STRATEGY},
        {"mixed 3 MB level 9 filtered", Mixed(3u << 20, 13), 9, Z_FILTERED},
        {"random 2 MB level 0 (stored)", RandomBytes(2u << 20, 14), 0, Z_DEFAULT_STRATEGY},
        {"runs 2 MB rle", RunsAndPatterns(2u << 20, 15), 6, Z_RLE},
    };
    for (const Case& c : cases) {
        ExpectInflatesTo(ZlibDeflateRaw(c.data, {c.level, c.strategy}), c.data, c.name);
    }
}

// Smaller windows and less memory make zlib choose other matches and block boundaries.
TEST(InflateAgainstZlib, WindowSizesAndMemoryLevels) {
    const Bytes original = Mixed(300000, 21);
    for (int windowBits = 9; windowBits <= 15; ++windowBits) {
        for (int memLevel : {1, 5, 9}) {
            ExpectInflatesTo(ZlibDeflateRaw(original, {6, Z_DEFAULT_STRATEGY, windowBits, memLevel}),
                             original,
                             "windowBits " + std::to_string(windowBits) + " memLevel " +
                                 std::to_string(memLevel));
        }
    }
}

// Flushes put empty stored blocks (sync, full) or empty fixed blocks (partial) between the
// pieces, and end blocks in the middle of a byte.
TEST(InflateAgainstZlib, FlushedStreams) {
    const Bytes original = TextLike(200000, 31);
    for (int flush : {Z_SYNC_FLUSH, Z_FULL_FLUSH, Z_PARTIAL_FLUSH, Z_BLOCK}) {
        for (size_t pieces : {3u, 97u, 1000u}) {
            ExpectInflatesTo(ZlibDeflateRawFlushed(original, pieces, flush), original,
                             "flush " + std::to_string(flush) + " pieces " + std::to_string(pieces));
        }
    }
}

// The streaming form decodes the same bytes whatever the sizes of the source's reads.
TEST(InflateAgainstZlib, StreamingFormWithSmallReads) {
    class TrickleSource : public MemoryDataSource {
    public:
        TrickleSource(const Bytes& bytes, uint32_t step)
            : MemoryDataSource(bytes.data(), bytes.size()), step_(step) {}
        bool ReadSource(unsigned char* buffer, uint32_t maxBytes, uint32_t& got,
                        LogBase& log) override {
            return MemoryDataSource::ReadSource(buffer, std::min(maxBytes, step_), got, log);
        }

    private:
        uint32_t step_;
    };
    const Bytes original = Mixed(150000, 41);
    const Bytes stream = ZlibDeflateRaw(original, {9});
    for (uint32_t step : {1u, 7u, 1000u, 100000u}) {
        TrickleSource source(stream, step);
        RecordingSink sink;
        InflateState2 state;
        state.setSink(&sink);
        LogNull log;
        ASSERT_TRUE(state.inflateDataC(source, log, false)) << step;
        EXPECT_TRUE(sink.Joined() == original) << "reads of " << step;
    }
}

// The gzip tool, run on a file: with and without the name in the header, at three levels.
TEST(InflateAgainstZlib, GzipToolOutput) {
    testsupport::TempFolder folder;
    const std::pair<const char*, Bytes> inputs[] = {
        {"empty", Bytes()}, {"text", TextLike(300000, 51)}, {"mixed", Mixed(400000, 52)}};
    for (const auto& [name, original] : inputs) {
        const std::string path = folder / name;
        testsupport::WriteFileBytes(path, original);
        for (const char* options : {"-1", "-6 -n", "-9 -N"}) {
            const std::string command =
                std::string("gzip -c ") + options + " '" + path + "' > '" + path + ".gz'";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
            const Bytes member = testsupport::ReadFileBytes(path + ".gz");
            ASSERT_GE(member.size(), 18u);
            DataBuffer in;
            in.Append(member.data(), static_cast<uint32_t>(member.size()));
            DataBuffer out;
            LogNull log;
            ASSERT_TRUE(Gzip::unGzip(in, out, log)) << command;
            EXPECT_TRUE(AsBytes(out) == original) << command;
        }
    }
}

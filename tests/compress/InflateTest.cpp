// The decoder's own rules: how it hands out output, how it ends on damaged input, and what it
// reports. Streams are made by hand where the exact bits matter, by zlib where they do not.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "compress/InflateState2.h"
#include "compress/MemoryDataSource.h"
#include "core/DataBuffer.h"
#include "core/Logger.h"
#include "core/Memory.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "tests/compress/DeflateTestKit.h"

using namespace deflatekit;

namespace {

const unsigned char* Data(const Bytes& bytes) {
    return reinterpret_cast<const unsigned char*>(bytes.data());
}

// What one call of inflateDataB gave: whether the stream ended properly, and the output.
struct Decoded {
    bool complete;
    Bytes output;
    std::vector<Bytes> pieces;
};

// One call of inflateDataB on a fresh decoder into `sink`; true when the stream was complete.
bool DecodeInto(RecordingSink& sink, const Bytes& stream) {
    InflateState2 state;
    state.setSink(&sink);
    LogNull log;
    return state.inflateDataB(Data(stream), stream.size(), log, false);
}

Decoded DecodeB(const Bytes& stream) {
    RecordingSink sink;
    const bool complete = DecodeInto(sink, stream);
    return {complete, sink.Joined(), sink.pieces};
}

}  // namespace

TEST(Inflate, StoredBlockOfFiveBytes) {
    const Bytes stream("\x01\x05\x00\xFA\xFF" "hello", 10);
    const Decoded decoded = DecodeB(stream);
    EXPECT_TRUE(decoded.complete);
    EXPECT_EQ(decoded.output, "hello");
}

TEST(Inflate, FixedBlockWithTheLettersAbc) {
    const Bytes stream("\x4B\x4C\x4A\x06\x00", 5);  // BFINAL, BTYPE 1, 'a' 'b' 'c', end of block
    const Decoded decoded = DecodeB(stream);
    EXPECT_TRUE(decoded.complete);
    EXPECT_EQ(decoded.output, "abc");
}

// Output leaves in pieces of exactly 32768 bytes, then the rest; back references whose source
// or whose copy spans a piece boundary read the right bytes from the history.
TEST(Inflate, OutputInPiecesWithReferencesAcrossTheirBoundaries) {
    std::vector<Lz77Item> items;
    auto literals = [&](size_t count, uint32_t seed) {
        for (char c : RandomBytes(count, seed)) {
            items.push_back({0, static_cast<uint8_t>(c)});
        }
    };
    literals(32700, 1);
    items.push_back({258, 30000});  // copy runs over the first boundary (32768)
    literals(100, 2);
    items.push_back({200, 150});
    literals(65536 - 32700 - 258 - 100 - 200 - 40, 3);
    // The longest distance: its source spans the first boundary, its copy the second.
    items.push_back({258, 32768});
    items.push_back({100, 1});      // a run
    for (uint32_t distance = 2; distance <= 40; ++distance) {
        items.push_back({3 + distance * 5 % 256, distance});  // every copy width
    }
    literals(5000, 4);
    const Bytes expected = Expand(items);
    ASSERT_GT(expected.size(), 2u * 32768);

    const Decoded decoded = DecodeB(FixedBlockStream(items));
    EXPECT_TRUE(decoded.complete);
    EXPECT_TRUE(decoded.output == expected);
    ASSERT_EQ(decoded.pieces.size(), expected.size() / 32768 + 1);
    for (size_t i = 0; i + 1 < decoded.pieces.size(); ++i) {
        EXPECT_EQ(decoded.pieces[i].size(), 32768u);
    }
    EXPECT_EQ(decoded.pieces.back().size(), expected.size() % 32768);
}

// The same for a dynamic-Huffman stream from zlib.
TEST(Inflate, DynamicStreamAboveOneWindowArrivesInPieces) {
    const Bytes original = TextLike(100000, 7);
    const Decoded decoded = DecodeB(ZlibDeflateRaw(original, {9}));
    EXPECT_TRUE(decoded.complete);
    EXPECT_TRUE(decoded.output == original);
    const std::vector<size_t> sizes = {32768, 32768, 32768, 100000 - 3 * 32768};
    ASSERT_EQ(decoded.pieces.size(), sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_EQ(decoded.pieces[i].size(), sizes[i]);
    }
}

// A stream cut anywhere gives a prefix of the original, and the in-memory step still succeeds.
TEST(Inflate, CutOffStreamGivesTheOutputUpToTheCut) {
    const Bytes original = Mixed(200000, 8);
    const Bytes stream = ZlibDeflateRaw(original, {6});
    size_t previous = 0;
    for (size_t cut : {size_t{0}, size_t{1}, size_t{2}, stream.size() / 3, stream.size() / 2,
                       stream.size() - 2, stream.size() - 1}) {
        DataBuffer out;
        LogNull log;
        uint32_t crc = 0;
        ASSERT_TRUE(InflateState2::InflateFromMemory(Data(stream), cut, out, nullptr, log, false, crc));
        const Bytes got = AsBytes(out);
        EXPECT_LE(got.size(), original.size()) << cut;  // the last bytes may hold only the end
        EXPECT_GE(got.size(), previous) << cut;
        EXPECT_TRUE(original.compare(0, got.size(), got) == 0) << "not a prefix at cut " << cut;
        EXPECT_EQ(crc, ZlibCrc32(got));
        EXPECT_FALSE(DecodeB(stream.substr(0, cut)).complete);
        if (cut <= stream.size() / 2) {
            EXPECT_LT(got.size(), original.size() * 3 / 4) << cut;
        }
        previous = got.size();
    }
    EXPECT_GT(previous, original.size() * 9 / 10);
}

// Input that arrives in two calls continues where the first call stopped.
TEST(Inflate, SecondCallResumesTheStream) {
    const Bytes original = Mixed(120000, 9);
    const Bytes stream = ZlibDeflateRaw(original, {6});
    InflateState2 state;
    RecordingSink sink;
    state.setSink(&sink);
    LogNull log;
    const size_t half = stream.size() / 2 + 3;
    EXPECT_FALSE(state.inflateDataB(Data(stream), half, log, false));
    EXPECT_TRUE(state.inflateDataB(Data(stream) + half, stream.size() - half, log, false));
    EXPECT_TRUE(sink.Joined() == original);
}

TEST(Inflate, BytesAfterTheLastBlockAreNotRead) {
    BitWriter writer;
    writer.StoredBlock(true, "first");
    writer.StoredBlock(true, "second");
    const Decoded decoded = DecodeB(writer.Finish());
    EXPECT_TRUE(decoded.complete);
    EXPECT_EQ(decoded.output, "first");
}

TEST(Inflate, BlockTypeThreeEndsDecodingAndKeepsTheOutput) {
    BitWriter writer;
    writer.StoredBlock(false, "kept");
    writer.BlockHeader(true, 3);
    writer.Put(0xFFFF, 16);
    const Bytes stream = writer.Finish();

    InflateState2 state;
    RecordingSink sink;
    state.setSink(&sink);
    Logger log;
    EXPECT_FALSE(state.inflateDataB(Data(stream), stream.size(), log, true));
    EXPECT_EQ(sink.Joined(), "kept");
    const std::string text = LogText(log);
    EXPECT_NE(text.find("inflateDataB:"), std::string::npos) << text;
    EXPECT_NE(text.find("inflateBuffer_blockType: 3"), std::string::npos) << text;
    EXPECT_NE(text.find("return_3"), std::string::npos) << text;

    DataBuffer out;
    Logger quiet;
    uint32_t crc = 0;
    EXPECT_TRUE(InflateState2::InflateFromMemory(Data(stream), stream.size(), out, nullptr, quiet,
                                                 false, crc));
    EXPECT_EQ(AsBytes(out), "kept");
    EXPECT_EQ(LogText(quiet), "QuorvelLog:\r\n");  // not verbose: nothing logged
}

// A distance reaching before the first output byte reads the zero-filled history.
TEST(Inflate, DistanceBeforeTheStartReadsZeros) {
    const Bytes stream = FixedBlockStream({{0, 'x'}, {3, 5}, {0, 'y'}});
    const Decoded decoded = DecodeB(stream);
    EXPECT_TRUE(decoded.complete);
    EXPECT_EQ(decoded.output, Bytes("x\0\0\0y", 5));
}

// Complete literal/length codes for 286 and for 288 symbols: 256 literals of 9 bits use half
// the code space, the end of block and the lengths the other half.
std::vector<uint8_t> CompleteLiteralLengths(size_t symbols) {
    std::vector<uint8_t> lengths(symbols, 9);
    lengths[256] = lengths[257] = 5;  // 2/32
    for (size_t s = 258; s < symbols; ++s) {
        lengths[s] = symbols == 286 ? 6 : s < 284 ? 6 : 7;  // 28/64, or 26/64 + 4/128
    }
    return lengths;
}

// Every kind of damage that ends decoding quietly: the output before it stays, and nothing is
// reported as an error.
TEST(Inflate, DamagedStreamsEndQuietlyAfterTheGoodOutput) {
    const std::vector<uint8_t> literals = CompleteLiteralLengths(286);
    const std::vector<uint8_t> literals288 = CompleteLiteralLengths(288);
    const std::vector<uint8_t> distances(30, 5);  // incomplete (30 of 32), which is allowed

    using Writer = std::function<void(BitWriter&)>;
    // A final dynamic block with these code lengths, then the symbols.
    auto dynamicBlock = [](std::vector<uint8_t> lit, std::vector<uint8_t> dist, Writer symbols) {
        return [=](BitWriter& w) {
            w.BlockHeader(true, 2);
            w.DynamicHeader(lit, dist);
            symbols(w);
        };
    };
    auto symbols = [](const std::vector<uint8_t>& lengths, std::vector<uint32_t> list) {
        return [=](BitWriter& w) {
            for (uint32_t symbol : list) {
                w.CodedSymbol(lengths, symbol);
            }
        };
    };
    // A final dynamic block whose header is cut short by damage in its code lengths.
    auto badCodeLengths = [](Writer lengths) {
        return [=](BitWriter& w) {
            w.BlockHeader(true, 2);
            w.DynamicCounts(257, 1);
            lengths(w);
        };
    };
    struct Case {
        const char* name;
        Writer damage;   // written after a stored block "ok"
        Bytes expected;  // all the output, "ok" included
    };
    const Case cases[] = {
        {"stored length without its complement",
         [](BitWriter& w) {
             w.BlockHeader(true, 0);
             w.AlignToByte();
             w.Put(3, 16);
             w.Put(3, 16);
             w.Put('x' | 'y' << 8, 16);
         },
         "ok"},
        {"fixed literal/length 286",
         [](BitWriter& w) {
             w.BlockHeader(true, 1);
             w.FixedLiteral('a');
             w.FixedSymbol(286);
             w.FixedLiteral('b');
         },
         "oka"},
        {"fixed distance 30",
         [](BitWriter& w) {
             w.BlockHeader(true, 1);
             w.FixedLiteral('a');
             w.FixedSymbol(257);
             w.FixedDistanceSymbol(30);
         },
         "oka"},
        {"incomplete code-length code",
         [](BitWriter& w) {
             w.BlockHeader(true, 2);
             w.Put(0, 5);
             w.Put(0, 5);
             w.Put(0, 4);       // four code-length lengths: 16, 17, 18, 0
             w.Put(1, 3 * 4);   // only symbol 16 has a code (1 bit)
         },
         "ok"},
        {"repeat of a previous length with none before it",
         badCodeLengths([](BitWriter& w) { w.CodeLengthSymbol(16, 2, 0); }), "ok"},
        {"run of zeros past the last code length",
         badCodeLengths([](BitWriter& w) {
             w.CodeLengthSymbol(18, 7, 127);  // 138 zeros
             w.CodeLengthSymbol(18, 7, 110);  // 121 more: 259 > 258
         }),
         "ok"},
        {"all literal/length code lengths zero",
         dynamicBlock(std::vector<uint8_t>(257, 0), distances, symbols(literals, {})), "ok"},
        {"incomplete literal/length code",
         dynamicBlock(std::vector<uint8_t>(257, 9), distances, symbols(literals, {})), "ok"},
        {"over-subscribed literal/length code",
         dynamicBlock(std::vector<uint8_t>(257, 8), distances, symbols(literals, {})), "ok"},
        {"literal/length 286 of a 288-symbol code",
         dynamicBlock(literals288, distances, symbols(literals288, {'q', 286, 'r'})), "okq"},
        {"over-subscribed distance code: literals decode, the first reference ends it",
         dynamicBlock(literals, std::vector<uint8_t>(30, 4), symbols(literals, {'a', 'b', 257})),
         "okab"},
        {"a length code and no distance code at all",
         dynamicBlock(literals, {0}, symbols(literals, {'a', 258})), "oka"},
        {"incomplete distance code: its pattern works, the unassigned one ends it",
         dynamicBlock(literals, {1},
                      [&](BitWriter& w) {
                          w.CodedSymbol(literals, 'a');
                          w.CodedSymbol(literals, 258);  // length 4
                          w.Put(0, 1);                   // distance code "0": distance 1
                          w.CodedSymbol(literals, 257);  // length 3
                          w.Put(1, 1);                   // the unassigned pattern "1"
                          w.CodedSymbol(literals, 'z');
                      }),
         "okaaaaa"},
    };
    for (const Case& c : cases) {
        BitWriter writer;
        writer.StoredBlock(false, "ok");
        c.damage(writer);
        writer.Put(0, 32);  // plenty of bits after the damage, so nothing ends for want of input
        const Decoded decoded = DecodeB(writer.Finish());
        EXPECT_FALSE(decoded.complete) << c.name;
        EXPECT_EQ(decoded.output, c.expected) << c.name;
    }
}

// The hand-made dynamic blocks above are themselves right: undamaged, they decode in full.
TEST(Inflate, HandMadeDynamicBlockDecodes) {
    const std::vector<uint8_t> literals = CompleteLiteralLengths(288);
    BitWriter writer;
    writer.BlockHeader(true, 2);
    writer.DynamicHeader(literals, {1, 1});
    for (uint32_t symbol : {uint32_t{'a'}, uint32_t{'b'}, 258u}) {
        writer.CodedSymbol(literals, symbol);
    }
    writer.Put(1, 1);  // distance 2
    writer.CodedSymbol(literals, 256);
    const Decoded decoded = DecodeB(writer.Finish());
    EXPECT_TRUE(decoded.complete);
    EXPECT_EQ(decoded.output, "ababab");
}

// ---------------------------------------------------------------- sinks that refuse

// A sink without room for a whole piece ends decoding; at the end the part piece is offered
// again and refused again, so nothing is lost silently into a sink that did not want it.
TEST(InflateSink, CapacityBelowAPieceEndsDecoding) {
    const Bytes original = TextLike(100000, 10);
    const Bytes stream = ZlibDeflateRaw(original, {6});
    RecordingSink sink;
    sink.capacity = 32767;
    EXPECT_FALSE(DecodeInto(sink, stream));
    EXPECT_TRUE(sink.pieces.empty());
    EXPECT_FALSE(sink.WriteFailed());

    // Room for exactly one piece at a time is enough.
    RecordingSink exact;
    exact.capacity = 32768;
    EXPECT_TRUE(DecodeInto(exact, stream));
    EXPECT_TRUE(exact.Joined() == original);
}

// A sink that has no room the first time it is asked and plenty afterwards: decoding ends at
// the refusal, and what is handed on afterwards is the output up to there, once.
class RoomLaterSink : public RecordingSink {
public:
    uint64_t Capacity() const override { return asked_++ ? 999999999 : 0; }

private:
    mutable int asked_ = 0;
};

TEST(InflateSink, RefusedOutputIsHandedOnOnceAtTheEnd) {
    const Bytes original = TextLike(300000, 20);
    const Bytes stream = ZlibDeflateRaw(original, {6});
    for (uint32_t flushSize : {32768u, 65536u}) {
        MemoryDataSource source(stream.data(), stream.size());
        InflateState2 state;
        state.reset(flushSize);
        RoomLaterSink sink;
        state.setSink(&sink);
        LogNull log;
        EXPECT_TRUE(state.inflateDataC(source, log, false));
        const Bytes got = sink.Joined();
        EXPECT_GE(got.size(), flushSize) << flushSize;
        EXPECT_LT(got.size(), original.size()) << flushSize;
        EXPECT_TRUE(original.compare(0, got.size(), got) == 0) << "not a prefix, " << flushSize;
    }
}

TEST(InflateSink, WriteThatTakesLessEndsDecodingAndSetsTheFlag) {
    const Bytes original = TextLike(100000, 11);
    const Bytes stream = ZlibDeflateRaw(original, {6});
    RecordingSink sink;
    sink.failAfterBytes = 40000;
    EXPECT_FALSE(DecodeInto(sink, stream));
    EXPECT_TRUE(sink.WriteFailed());
    EXPECT_EQ(sink.BytesWritten(), 40000u);
    EXPECT_EQ(sink.pieces.size(), 2u);  // the failed write was the last one offered
    EXPECT_FALSE(sink.Write("x", 1));   // a failed sink takes nothing more
}

// In memory, a buffer that cannot grow is the sink that fails: the three errors, in order.
TEST(InflateSink, BufferThatCannotGrowGivesSinkWriteFailed) {
    const Bytes original = TextLike(50000, 12);
    const Bytes stream = ZlibDeflateRaw(original, {6});
    DataBuffer out;
    Logger log;
    uint32_t crc = 0;
    {
        ScopedAllocationFailure noMemory(1, 1);  // the first piece fits, the buffer cannot grow
        EXPECT_FALSE(InflateState2::InflateFromMemory(Data(stream), stream.size(), out, nullptr,
                                                      log, false, crc));
    }
    EXPECT_EQ(LogText(log),
              "QuorvelLog:\r\n"
              "  Sink write failed.\r\n"
              "  Inflate from memory source failed.\r\n"
              "  Compressed to uncompressed failed.\r\n");
}

TEST(InflateSink, AbsentInput) {
    DataBuffer out;
    Logger log;
    uint32_t crc = 1;
    EXPECT_FALSE(InflateState2::InflateFromMemory(nullptr, 10, out, nullptr, log, false, crc));
    EXPECT_EQ(LogText(log),
              "QuorvelLog:\r\n"
              "  No input data\r\n"
              "  Inflate from memory source failed.\r\n"
              "  Compressed to uncompressed failed.\r\n");
    EXPECT_EQ(crc, 0u);

    // An empty input is no failure: there is nothing to decode.
    Logger verbose;
    InflateState2 state;
    RecordingSink sink;
    state.setSink(&sink);
    EXPECT_FALSE(state.inflateDataB(Data("x"), 0, verbose, true));
    EXPECT_NE(LogText(verbose).find("No data to inflate."), std::string::npos);
}

// Without a sink there is nowhere for output to go: nothing is decoded, nothing is "done".
TEST(InflateSink, NoSinkIsAFailure) {
    const Bytes stream("\x4B\x4C\x4A\x06\x00", 5);
    InflateState2 state;
    LogNull quiet;
    EXPECT_FALSE(state.inflateDataB(Data(stream), stream.size(), quiet, false));

    MemoryDataSource source(stream.data(), stream.size());
    Logger log;
    EXPECT_FALSE(state.inflateDataC(source, log, false));
    EXPECT_EQ(LogText(log),
              "QuorvelLog:\r\n  Inflate from data source failed.\r\n  InflateErrorCode: 3\r\n");
}

// The progress monitor hears of every piece; when it asks to abort, decoding ends and the
// in-memory step reports the abort instead of a success with half the data.
class AbortAtPercent : public ProgressEvent {
public:
    explicit AbortAtPercent(int32_t limit) : limit_(limit) {}
    void PercentDone(int32_t percent, bool& abort) override {
        seen.push_back(percent);
        abort = percent >= limit_;
    }
    std::vector<int32_t> seen;

private:
    int32_t limit_;
};

TEST(InflateSink, ProgressMonitorCanAbort) {
    const Bytes original = TextLike(327680, 13);  // ten pieces
    const Bytes stream = ZlibDeflateRaw(original, {6});

    AbortAtPercent never(101);
    ProgressMonitor counting(&never, original.size());
    DataBuffer all;
    LogNull quiet;
    uint32_t crc = 0;
    EXPECT_TRUE(InflateState2::InflateFromMemory(Data(stream), stream.size(), all, &counting, quiet,
                                                  false, crc));
    EXPECT_EQ(never.seen, (std::vector<int32_t>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));

    AbortAtPercent atThirty(30);
    ProgressMonitor monitor(&atThirty, original.size());
    DataBuffer out;
    Logger log;
    EXPECT_FALSE(InflateState2::InflateFromMemory(Data(stream), stream.size(), out, &monitor, log,
                                                  false, crc));
    EXPECT_EQ(out.GetSize(), 3u * 32768);
    EXPECT_EQ(LogText(log),
              "QuorvelLog:\r\n"
              "  Inflate aborted by application event callback.\r\n"
              "  Inflate from memory source failed.\r\n"
              "  Compressed to uncompressed failed.\r\n");
}

// ---------------------------------------------------------------- the data-source form

class FailingSource : public DataSource {
public:
    bool ReadSource(unsigned char*, uint32_t, uint32_t&, LogBase& log) override {
        log.AddError("Source went away.");
        return false;
    }
    bool EndOfStream() const override { return false; }
};

// Reads of a few bytes at a time, so that refills fall inside codes and between them.
class TrickleSource : public MemoryDataSource {
public:
    TrickleSource(const Bytes& bytes, uint32_t step)
        : MemoryDataSource(bytes.data(), bytes.size()), step_(step) {}
    bool ReadSource(unsigned char* buffer, uint32_t maxBytes, uint32_t& got, LogBase& log) override {
        return MemoryDataSource::ReadSource(buffer, std::min(maxBytes, step_), got, log);
    }

private:
    uint32_t step_;
};

TEST(InflateSource, RefillsAreLoggedAndTheEndIsReported) {
    const Bytes original = TextLike(20000, 14);
    const Bytes stream = ZlibDeflateRaw(original, {6});
    TrickleSource source(stream, 3);
    InflateState2 state;
    RecordingSink sink;
    state.setSink(&sink);
    Logger log;
    EXPECT_TRUE(state.inflateDataC(source, log, true));
    EXPECT_TRUE(sink.Joined() == original);
    const std::string text = LogText(log);
    EXPECT_NE(text.find("Refilling source buffer..."), std::string::npos);
    EXPECT_NE(text.find("Emergency refill..."), std::string::npos);
    EXPECT_NE(text.find("Finished because state = -1 and lastBlock bit is set."), std::string::npos);
    EXPECT_NE(text.find("inflator:\r\n    returnedFromLoc: 20\r\n    progressMarker: 20000"),
              std::string::npos)
        << text;
}

TEST(InflateSource, TruncatedStreamIsNoFailure) {
    const Bytes original = TextLike(50000, 15);
    const Bytes stream = ZlibDeflateRaw(original, {6}).substr(0, 5000);
    MemoryDataSource source(stream.data(), stream.size());
    InflateState2 state;
    RecordingSink sink;
    state.setSink(&sink);
    Logger log;
    EXPECT_TRUE(state.inflateDataC(source, log, false));
    EXPECT_GT(sink.BytesWritten(), 0u);
    EXPECT_TRUE(original.compare(0, sink.Joined().size(), sink.Joined()) == 0);
    EXPECT_EQ(LogText(log), "QuorvelLog:\r\n");
}

TEST(InflateSource, FailuresCarryTheirCodes) {
    const Bytes stream = ZlibDeflateRaw(TextLike(327680, 16), {6});
    struct Case {
        const char* name;
        int32_t code;
        std::string log;
    };
    {
        FailingSource source;
        InflateState2 state;
        RecordingSink sink;
        state.setSink(&sink);
        Logger log;
        EXPECT_FALSE(state.inflateDataC(source, log, false));
        EXPECT_EQ(LogText(log),
                  "QuorvelLog:\r\n  Source went away.\r\n  Inflate from data source failed.\r\n"
                  "  InflateErrorCode: 2\r\n");
    }
    {
        MemoryDataSource source(stream.data(), stream.size());
        InflateState2 state;
        RecordingSink sink;
        sink.failAfterBytes = 1000;
        state.setSink(&sink);
        Logger log;
        EXPECT_FALSE(state.inflateDataC(source, log, false));
        EXPECT_EQ(LogText(log),
                  "QuorvelLog:\r\n  Inflate from data source failed.\r\n  InflateErrorCode: 3\r\n");
    }
    {
        MemoryDataSource source(stream.data(), stream.size());
        AbortAtPercent atTwenty(20);
        ProgressMonitor monitor(&atTwenty, 327680);
        InflateState2 state;
        RecordingSink sink;
        sink.SetProgressMonitor(&monitor);
        state.setSink(&sink);
        Logger log;
        EXPECT_FALSE(state.inflateDataC(source, log, false));
        EXPECT_EQ(sink.BytesWritten(), 2u * 32768);
        EXPECT_EQ(LogText(log),
                  "QuorvelLog:\r\n  Inflate from data source failed.\r\n  InflateErrorCode: 67812\r\n"
                  "  Inflate aborted by application event callback.\r\n");
    }
}

// With a flush size above one piece, output collects and leaves in bigger writes.
TEST(InflateSource, FlushSizeSetsTheWriteSize) {
    const Bytes original = TextLike(300000, 17);
    const Bytes stream = ZlibDeflateRaw(original, {6});
    MemoryDataSource source(stream.data(), stream.size());
    InflateState2 state;
    state.reset(100000);
    RecordingSink sink;
    state.setSink(&sink);
    LogNull log;
    EXPECT_TRUE(state.inflateDataC(source, log, false));
    EXPECT_TRUE(sink.Joined() == original);
    ASSERT_EQ(sink.pieces.size(), 3u);
    EXPECT_EQ(sink.pieces[0].size(), 4u * 32768);  // the first size at or above 100000
    EXPECT_EQ(sink.pieces[1].size(), 4u * 32768);
}

// ---------------------------------------------------------------- reuse

TEST(Inflate, ResetPreparesForTheNextStream) {
    const Bytes first = TextLike(70000, 18);
    const Bytes second = Mixed(90000, 19);
    InflateState2 state;
    LogNull log;
    for (const Bytes* original : {&first, &second}) {
        const Bytes stream = ZlibDeflateRaw(*original, {6});
        RecordingSink sink;
        state.reset(32768);
        state.setSink(&sink);
        EXPECT_TRUE(state.inflateDataB(Data(stream), stream.size(), log, false));
        EXPECT_TRUE(sink.Joined() == *original);
    }
}

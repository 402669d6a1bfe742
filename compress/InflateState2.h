#pragma once
// InflateState2: the decoder of raw deflate data (stored, fixed-Huffman and dynamic-Huffman
// blocks with a 32 KB history), written as a resumable state machine that hands its output to
// a DataSink in 32768-byte pieces.
//
// Usage:
//   - Whole input in memory, into a byte buffer, with the CRC-32 of the output:
//       uint32_t crc = 0;
//       bool ok = InflateState2::InflateFromMemory(bytes, count, out, nullptr, log, false, crc);
//     ok is false only for an absent input, a sink that failed (out of memory, or more than
//     4 GB), an abort from the progress monitor, or an internal fault; the reasons go to `log`.
//   - Any sink, memory input:  setSink(&sink); inflateDataB(bytes, count, log, verbose);
//   - Any sink, streamed input: setSink(&sink); inflateDataC(source, log, verbose);
//
// How decoding ends. A truncated or damaged stream (cut short, a stored length whose
// complement does not match, block type 3, a Huffman code that is over-subscribed or, for
// literals/lengths, incomplete, a bit pattern no code assigns, a symbol outside the alphabet)
// ends decoding quietly, and the output produced up to that point stays delivered. Decoding
// also ends after the block that carries the last-block bit: bytes after it are not read.
// A distance reaching back beyond the start of the output reads zeros (the history starts
// zero-filled); it is not treated as an error.
//
// Output. The decoder collects output in a 32768-byte piece. When a piece is full it asks the
// sink for its capacity: enough, and the piece is written; too little, and decoding ends. When
// decoding ends, the part piece is written if the sink will take it. So a sink sees pieces of
// exactly 32768 bytes, then the rest.
//
// Input. Nothing is read outside the bytes given; no slack after them is needed.
//
// Objects are large (about 130 KB: the history, the output piece and the decoding tables);
// create them on the heap.

#include <cstddef>
#include <cstdint>

#include "compress/BitReader.h"
#include "compress/HuffmanTable.h"
#include "core/DataBuffer.h"

class DataSink;
class DataSource;
class LogBase;
class ProgressMonitor;

class InflateState2 {
public:
    // First-level widths of the decoding tables: wide enough that almost every symbol decodes
    // in one lookup, small enough that the tables stay in the first-level cache.
    static constexpr uint32_t kLiteralLengthRootBits = 10;
    static constexpr uint32_t kDistanceRootBits = 8;
    static constexpr uint32_t kCodeLengthRootBits = 7;

    using LiteralLengthTable = SizedHuffmanTable<kLiteralLengthRootBits, 288>;
    using DistanceTable = SizedHuffmanTable<kDistanceRootBits, 32>;
    using CodeLengthTable = SizedHuffmanTable<kCodeLengthRootBits, 19, 7>;

    // The size of one output piece, and of the history a back reference may reach.
    static constexpr uint32_t kWindowSize = 32768;

    // inflateDataC's failure codes (logged as "InflateErrorCode").
    static constexpr int32_t kErrorNoMemory = 1;      // the input buffer could not be allocated
    static constexpr int32_t kErrorSource = 2;        // the data source failed
    static constexpr int32_t kErrorSinkWrite = 3;     // the sink failed a write, or there is none
    static constexpr int32_t kErrorInternal = 4;      // the internal fault flag was set
    static constexpr int32_t kErrorAborted = 67812;   // the progress callback asked to abort

    // The input buffer of inflateDataC and the largest read it asks of its source.
    static constexpr uint32_t kSourceBufferSize = 4004000;
    static constexpr uint32_t kSourceReadSize = 4000000;

    // At a block header, no sink, error clear, history all zeros. Builds the shared
    // fixed-Huffman tables the first time.
    InflateState2();
    ~InflateState2();
    InflateState2(const InflateState2&) = delete;
    InflateState2& operator=(const InflateState2&) = delete;

    // Attaches the output sink (not owned; it must outlive the decoding calls). Without a sink
    // the decoding calls decode nothing and report false.
    void setSink(DataSink* sink) { sink_ = sink; }

    // Decodes one deflate stream held wholly in memory. Running out of input ends decoding (a
    // later call with the bytes that follow would resume it). True when the stream's last block
    // was decoded completely; false when it ended early for any reason (the sink's flags and
    // HadInternalError tell the reported failures apart). Verbose: logs under "inflateDataB".
    bool inflateDataB(const unsigned char* data, size_t count, LogBase& log, bool verbose);

    // Decodes one deflate stream read from `source` in reads of up to 4000000 bytes. False for a
    // reported failure (source, sink, abort, internal fault), with "Inflate from data source
    // failed." and "InflateErrorCode"; true otherwise, also for a truncated or damaged stream.
    bool inflateDataC(DataSource& source, LogBase& log, bool verbose);

    // Prepares for another stream: at a block header, no sink, the output queue of inflateDataC
    // emptied and `flushSize` its flush threshold. The history is kept, not cleared.
    void reset(uint32_t flushSize);

    // The internal fault: a decoding table would have had to hold a symbol outside its alphabet
    // or more entries than its storage. No stream, valid or not, can set it.
    bool HadInternalError() const { return error_; }

    // Inflates `count` bytes at `data` (null: "No input data") into `out`, appending, through a
    // MemoryDataSink with CRC-32 switched on and the given progress monitor (may be null).
    // `crc32` receives the CRC-32 of the output. False, with the reason followed by "Inflate from
    // memory source failed." and "Compressed to uncompressed failed.", for an absent input, the
    // internal fault, a failed sink write, or an abort from the monitor.
    static bool InflateFromMemory(const unsigned char* data, size_t count, DataBuffer& out,
                                  ProgressMonitor* monitor, LogBase& log, bool verbose,
                                  uint32_t& crc32);

private:
    // The states of the decoder. A block header leads to the setup of one of the three block
    // types, then to its data; the end of a block leads back to a header, or to Finished after
    // the last block. Stopped is the end for a damaged stream or a refusing sink. The numbers
    // are those of the verbose log.
    enum class State : int8_t {
        BlockHeader = -1,          // BFINAL and BTYPE
        StoredHeader = 0,          // to a byte boundary, LEN and NLEN
        FixedHeader = 1,           // nothing to read: the fixed tables
        DynamicHeader = 2,         // HLIT, HDIST, HCLEN
        DynamicCodeLengthCode = 3, // HCLEN three-bit lengths of the code-length code
        DynamicCodeLengths = 4,    // HLIT + HDIST code lengths, with repeats
        StoredData = 10,
        FixedData = 11,
        DynamicData = 12,
        Finished = 20,             // after the last block
        Stopped = 21,              // a damaged stream, or a sink that refused output
    };

    // What one state's step did: made progress (possibly into another state), or found that the
    // input ends before the next item. An item (a header field group, a symbol with its extra
    // bits, a length/distance pair) is consumed whole or not at all.
    enum class Step { Progress, NeedInput };

    // Runs the state machine until it finishes, stops, or needs input.
    void Run();
    Step ReadBlockHeader();
    Step ReadStoredHeader();
    Step CopyStoredData();
    Step ReadDynamicHeader();
    Step ReadCodeLengthCode();
    Step ReadCodeLengths();
    Step DecodeBlockData(const HuffmanTable& literals, const HuffmanTable& distances);
    // The hot loop: decodes while at least kFastInputMargin bytes of input are left and the
    // piece is not full, without checking either for each symbol. Returns false when the
    // block ended (its state is then set).
    bool DecodeFast(const HuffmanTable& literals, const HuffmanTable& distances);
    // One symbol (or pair) at a time, checking that every bit is there before taking any.
    Step DecodeOneSlow(const HuffmanTable& literals, const HuffmanTable& distances);
    void EndBlock();
    void Stop() { state_ = State::Stopped; }

    // Output: [0, kWindowSize) of window_ holds the history, the piece is filled from
    // kWindowSize on. Back references may write up to kMaxMatch + 15 bytes past the piece.
    bool PieceFull() const { return out_ >= kPieceEnd; }
    // Hands the full piece to the sink (or the queue) and moves it down to become the history.
    bool FlushPiece();
    // Hands the part piece to the sink at the end of a call, if it will take it.
    void FlushPartPiece();
    bool Emit(const unsigned char* bytes, uint32_t count);
    bool WriteToSink(const unsigned char* bytes, uint32_t count);
    bool FlushQueue();

    static constexpr uint32_t kMaxMatch = 258;
    static constexpr uint32_t kPieceEnd = 2 * kWindowSize;
    static constexpr uint32_t kWindowSlack = 512;
    static constexpr size_t kFastInputMargin = 16;

    State state_ = State::BlockHeader;
    bool lastBlock_ = false;
    bool error_ = false;
    DataSink* sink_ = nullptr;
    LogBase* log_ = nullptr;  // during a decoding call
    bool verbose_ = false;

    BitReader input_;
    uint32_t out_ = kWindowSize;      // next output position in window_
    uint32_t flushed_ = kWindowSize;  // output before this position has been handed on
    uint32_t storedLeft_ = 0;

    // The dynamic block header being read.
    uint32_t literalCodes_ = 0;
    uint32_t distanceCodes_ = 0;
    uint32_t codeLengthCodes_ = 0;
    uint32_t lengthsRead_ = 0;
    uint8_t codeLengthLengths_[19] = {};
    uint8_t codeLengths_[288 + 32] = {};

    // inflateDataC's output queue: pieces collect here until flushSize_ bytes are waiting.
    bool queueOutput_ = false;
    bool queueFailed_ = false;  // the queue could not grow
    DataBuffer queue_;
    uint32_t flushSize_ = kWindowSize;

    CodeLengthTable codeLengthTable_;
    LiteralLengthTable literalTable_;
    DistanceTable distanceTable_;

    alignas(64) unsigned char window_[kPieceEnd + kWindowSlack] = {};
};

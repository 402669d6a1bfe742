#pragma once
// Helpers of the compression tests: test data, zlib as the reference encoder and decoder, a
// bit writer for deflate streams made by hand, and a sink that records what it is given.

#include <cstdint>
#include <string>
#include <vector>

#include "compress/DataSink.h"

class DataBuffer;
class Logger;

namespace deflatekit {

using Bytes = std::string;

Bytes AsBytes(const DataBuffer& buffer);
std::string LogText(Logger& log);  // the log rendered as text

// ---- test data (deterministic for a seed)
Bytes RandomBytes(size_t size, uint32_t seed);
Bytes TextLike(size_t size, uint32_t seed);     // words, markup and numbers, like a feed
Bytes RunsAndPatterns(size_t size, uint32_t seed);  // byte runs and short periodic patterns
Bytes Mixed(size_t size, uint32_t seed);        // text, binary records and noise, in turns

// ---- zlib
struct ZlibOptions {
    int level = 6;
    int strategy = 0;  // Z_DEFAULT_STRATEGY
    int windowBits = 15;
    int memLevel = 8;
};
Bytes ZlibDeflateRaw(const Bytes& data, const ZlibOptions& options = {});
// Raw deflate written in `pieces` calls, each ending with `flush` (Z_SYNC_FLUSH, ...).
Bytes ZlibDeflateRawFlushed(const Bytes& data, size_t pieces, int flush, int level = 6);
Bytes ZlibGzip(const Bytes& data, int level = 6);
// zlib's own decoding (windowBits -15 for raw deflate, 31 for a gzip member); false unless the
// stream ends properly.
bool ZlibInflate(const void* data, size_t size, int windowBits, Bytes& out);
uint32_t ZlibCrc32(const Bytes& data);

// ---- deflate streams by hand
class BitWriter {
public:
    void Put(uint32_t value, uint32_t bits);       // least significant bit first
    void PutCode(uint32_t code, uint32_t length);  // a Huffman code: most significant bit first
    void AlignToByte();
    void PutByte(uint8_t byte);                    // at a byte boundary
    Bytes Finish();                                // pads the last byte with zeros

    // A block header; BTYPE 0 stored, 1 fixed, 2 dynamic, 3 invalid.
    void BlockHeader(bool last, uint32_t type) {
        Put(last ? 1 : 0, 1);
        Put(type, 2);
    }
    // A whole stored block.
    void StoredBlock(bool last, const Bytes& data);

    // Fixed-Huffman symbols (after BlockHeader(.., 1)).
    void FixedLiteral(uint8_t byte);
    void FixedSymbol(uint32_t symbol);  // 0..287, including the unused 286 and 287
    void FixedEndOfBlock() { FixedSymbol(256); }
    void FixedMatch(uint32_t length, uint32_t distance);
    void FixedDistanceSymbol(uint32_t symbol);  // 0..31, including the unused 30 and 31

    // A dynamic block header (after BlockHeader(.., 2)). The code-length code has sixteen 4-bit
    // codes, for the lengths 0..12 and the repeat symbols 16, 17 and 18 (so lengths 13..15
    // cannot be sent). DynamicCounts writes HLIT, HDIST and that code; DynamicHeader also sends
    // the lengths, one symbol each.
    void DynamicCounts(uint32_t literalCodes, uint32_t distanceCodes);
    void CodeLengthSymbol(uint32_t symbol, uint32_t extraBits = 0, uint32_t extraValue = 0);
    void DynamicHeader(const std::vector<uint8_t>& literalLengths,
                       const std::vector<uint8_t>& distanceLengths);
    // A symbol of a code given by its lengths (canonical codes, as deflate assigns them).
    void CodedSymbol(const std::vector<uint8_t>& lengths, uint32_t symbol);

private:
    Bytes bytes_;
    uint64_t bits_ = 0;
    uint32_t count_ = 0;
};

// The deflate length or distance symbol for a value, with its extra bits.
struct CodeWithExtra {
    uint32_t symbol, extraBits, extraValue;
};
CodeWithExtra LengthCode(uint32_t length);
CodeWithExtra DistanceCode(uint32_t distance);

// An LZ77 sequence and its expansion, where a distance before the start reads zeros.
struct Lz77Item {
    uint32_t length;    // 0 for a literal
    uint32_t distance;  // or the literal byte
};
Bytes Expand(const std::vector<Lz77Item>& items);
// The same items as one final fixed-Huffman block.
Bytes FixedBlockStream(const std::vector<Lz77Item>& items);

// ---- a sink that keeps every piece it was given
class RecordingSink : public DataSink {
public:
    uint64_t Capacity() const override { return capacity; }
    Bytes Joined() const;

    std::vector<Bytes> pieces;
    uint64_t capacity = 999999999;
    uint64_t failAfterBytes = UINT64_MAX;  // a write reaching past this takes only part

protected:
    uint32_t Put(const void* bytes, uint32_t count) override;

private:
    uint64_t taken_ = 0;
};

}  // namespace deflatekit

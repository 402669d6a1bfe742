#pragma once
// The process-wide code page tables: each code page's encoding table and decoding table (an
// array for single-byte code pages) are unpacked from the stored text on first use and kept
// until the process ends, shared by every conversion. Building takes no lock: two threads
// that race build a table each, one is installed and the other discarded.
//
// The lookups return null for a code page without a stored table, or when a table could not
// be built (memory exhausted); a conversion then produces nothing.

#include <cstdint>
#include <memory>

class HashConvert;
class UnicodeLookup;

class CodePageTables {
public:
    static bool HasTable(int codePage);
    static bool IsMultiByte(int codePage);

    // UTF-16 code unit -> the code page's byte or two-byte sequence.
    static const HashConvert* Encoding(int codePage);
    // Single-byte code pages only.
    static const UnicodeLookup* SingleByteDecoding(int codePage);
    // Multi-byte code pages only: byte or sequence -> UTF-16 code unit.
    static const HashConvert* MultiByteDecoding(int codePage);

    static uint32_t EncodingBucketCount(int codePage);
    static uint32_t DecodingBucketCount(int codePage);

    // A fresh table of one's own, unpacked from the stored text as on first use (what the
    // lookups above install); null when the code page has none of that kind.
    static std::unique_ptr<HashConvert> BuildEncoding(int codePage);
    static std::unique_ptr<HashConvert> BuildMultiByteDecoding(int codePage);
    static std::unique_ptr<UnicodeLookup> BuildSingleByteDecoding(int codePage);
};

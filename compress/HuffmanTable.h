#pragma once
// HuffmanTable: a table-driven decoder for one canonical Huffman code of deflate (the code of
// the code lengths, of literals/lengths, or of distances).
//
// Decoding is one lookup for most symbols: the next `rootBits` input bits index the first-level
// table directly. Codes longer than that go through one second-level table (a "subtable"),
// reached from a first-level pointer entry and indexed by the bits after the first rootBits.
//
// Every entry is one 32-bit word:
//   bits 31..16  value: a literal byte, a length or distance base, a code-length symbol, or
//                (pointer entries) the index where the subtable starts
//   bit  15      kLiteral
//   bit  14      kEndOfBlock
//   bit  13      kSubtable     (a pointer to the second level)
//   bit  12      kInvalid      (no symbol: a bit pattern the code leaves unassigned, or a symbol
//                               that exists in the code but not in the alphabet, such as
//                               literal/length 286 and 287 or distances 30 and 31)
//   bits 11..8   the number of extra bits that follow the code (lengths and distances), or the
//                index width of the subtable (pointer entries)
//   bits  7..0   the bits this level consumes: the code's length in a first-level entry, the
//                rest of it in a subtable entry, rootBits in a pointer entry. The entry of an
//                unassigned pattern consumes the whole width of its level, so a caller that
//                checks it has that many bits knows the pattern really is unassigned and is
//                not merely cut short.
// Lengths and distances carry no flag: an entry with none of the four flags is one of them.
//
// Every slot of every level is written when a table is built, so a lookup never reads an
// unfilled entry; Clear() leaves a table whose every slot is invalid (a missing table).
//
// Cost of Build: one pass to size the subtables and one to fill the slots, that is
// O(2^rootBits + symbols + subtable slots), a few microseconds for a literal/length code.

#include <cstdint>

namespace huffman {

constexpr uint32_t kLiteral = 0x8000;
constexpr uint32_t kEndOfBlock = 0x4000;
constexpr uint32_t kSubtable = 0x2000;
constexpr uint32_t kInvalid = 0x1000;

constexpr uint32_t Value(uint32_t entry) { return entry >> 16; }
constexpr uint32_t ExtraBits(uint32_t entry) { return (entry >> 8) & 0xF; }
constexpr uint32_t CodeBits(uint32_t entry) { return entry & 0xFF; }

// The longest code deflate allows, and the widest first level a table may have.
constexpr uint32_t kMaxCodeBits = 15;
constexpr uint32_t kMaxRootBits = 11;

}  // namespace huffman

class HuffmanTable {
public:
    // Which symbols the code's positions stand for.
    enum class Alphabet { CodeLengths, LiteralLength, Distance };

    enum class BuildResult {
        Complete,        // every bit pattern decodes to a symbol
        Incomplete,      // some patterns are unassigned (their entries are invalid)
        OverSubscribed,  // more codes than bit patterns: no table (Clear() was applied)
        InternalFault,   // more symbols than the alphabet has, or the storage would overflow;
                         // impossible for any input, checked so that it can never corrupt memory
    };

    // Builds the table for `count` code lengths (0 = symbol unused, else 1..15).
    BuildResult Build(Alphabet alphabet, const uint8_t* lengths, uint32_t count);
    void Clear();

    const uint32_t* Entries() const { return entries_; }
    uint32_t RootBits() const { return rootBits_; }

protected:
    // The storage belongs to the subclass and holds `capacity` entries (see SizedHuffmanTable).
    HuffmanTable(uint32_t* storage, uint32_t capacity, uint32_t rootBits)
        : entries_(storage), capacity_(capacity), rootBits_(rootBits) {}
    ~HuffmanTable() = default;
    HuffmanTable(const HuffmanTable&) = delete;
    HuffmanTable& operator=(const HuffmanTable&) = delete;

private:
    uint32_t* entries_;
    uint32_t capacity_;
    uint32_t rootBits_;
};

// A table with its storage, sized for the worst case of `kSymbols` symbols with codes of up to
// `kMaxBits` bits and a first level `kRoot` bits wide: the first level plus one subtable of
// 2^(kMaxBits - kRoot) slots for every first-level slot that can lead to a longer code (no more
// than there are symbols, nor than there are slots).
template <uint32_t kRoot, uint32_t kSymbols, uint32_t kMaxBits = huffman::kMaxCodeBits>
class SizedHuffmanTable : public HuffmanTable {
public:
    static_assert(kRoot <= huffman::kMaxRootBits && kRoot <= kMaxBits &&
                  kMaxBits <= huffman::kMaxCodeBits);
    static constexpr uint32_t kRootSlots = uint32_t{1} << kRoot;
    static constexpr uint32_t kSubtableSlots = uint32_t{1} << (kMaxBits - kRoot);
    static constexpr uint32_t kCapacity =
        kRootSlots + (kSymbols < kRootSlots ? kSymbols : kRootSlots) * kSubtableSlots;

    SizedHuffmanTable() : HuffmanTable(storage_, kCapacity, kRoot) { Clear(); }

private:
    uint32_t storage_[kCapacity];
};

#include "compress/HuffmanTable.h"

#include <algorithm>
#include <array>

using namespace huffman;

namespace {

// Length symbols 257..285: the shortest length each stands for and its extra bits.
constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
// Distance symbols 0..29.
constexpr uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                        33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// How many positions a code of each alphabet may have: deflate's header can describe up to 288
// literal/length and 32 distance codes, two more of each than there are symbols.
uint32_t CodeSpace(HuffmanTable::Alphabet alphabet) {
    switch (alphabet) {
        case HuffmanTable::Alphabet::CodeLengths: return 19;
        case HuffmanTable::Alphabet::LiteralLength: return 288;
        case HuffmanTable::Alphabet::Distance: return 32;
    }
    return 0;
}

// The entry bits, apart from the consumed-bits field, for code position `symbol`.
uint32_t SymbolPayload(HuffmanTable::Alphabet alphabet, uint32_t symbol) {
    switch (alphabet) {
        case HuffmanTable::Alphabet::CodeLengths:
            return symbol << 16;
        case HuffmanTable::Alphabet::LiteralLength:
            if (symbol < 256) {
                return symbol << 16 | kLiteral;
            }
            if (symbol == 256) {
                return kEndOfBlock;
            }
            if (symbol < 286) {
                return uint32_t{kLengthBase[symbol - 257]} << 16 | uint32_t{kLengthExtra[symbol - 257]} << 8;
            }
            return kInvalid;
        case HuffmanTable::Alphabet::Distance:
            if (symbol < 30) {
                return uint32_t{kDistanceBase[symbol]} << 16 | uint32_t{kDistanceExtra[symbol]} << 8;
            }
            return kInvalid;
    }
    return kInvalid;
}

// Deflate sends codes most significant bit first but packs bits from the least significant
// end, so a code's table index is its bit reversal.
constexpr std::array<uint8_t, 256> MakeByteReversal() {
    std::array<uint8_t, 256> reversal{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        for (uint32_t bit = 0; bit < 8; ++bit) {
            reversal[byte] |= static_cast<uint8_t>(((byte >> bit) & 1) << (7 - bit));
        }
    }
    return reversal;
}
constexpr std::array<uint8_t, 256> kByteReversal = MakeByteReversal();

uint32_t Reversed(uint32_t code, uint32_t length) {
    const uint32_t reversed16 = uint32_t{kByteReversal[code & 0xFF]} << 8 | kByteReversal[code >> 8];
    return reversed16 >> (16 - length);
}

// Fills every `step`-th slot of table[0 .. size) from `first` with `entry`: a code shorter than
// the level's width owns all the slots whose low bits are the code.
void Replicate(uint32_t* table, uint32_t first, uint32_t step, uint32_t size, uint32_t entry) {
    for (uint32_t slot = first; slot < size; slot += step) {
        table[slot] = entry;
    }
}

}  // namespace

void HuffmanTable::Clear() {
    std::fill(entries_, entries_ + (uint32_t{1} << rootBits_), kInvalid | rootBits_);
}

HuffmanTable::BuildResult HuffmanTable::Build(Alphabet alphabet, const uint8_t* lengths,
                                              uint32_t count) {
    if (count > CodeSpace(alphabet)) {
        Clear();
        return BuildResult::InternalFault;
    }
    // How many codes of each length, and whether they fit the code space: with `left` the
    // unused patterns at each length, a negative count means more codes than patterns.
    uint32_t lengthCount[kMaxCodeBits + 1] = {};
    for (uint32_t symbol = 0; symbol < count; ++symbol) {
        if (lengths[symbol] > kMaxCodeBits) {
            Clear();
            return BuildResult::InternalFault;
        }
        ++lengthCount[lengths[symbol]];
    }
    lengthCount[0] = 0;  // unused symbols take no code
    int32_t left = 1;
    for (uint32_t length = 1; length <= kMaxCodeBits; ++length) {
        left = left * 2 - static_cast<int32_t>(lengthCount[length]);
        if (left < 0) {
            Clear();
            return BuildResult::OverSubscribed;
        }
    }

    // The first canonical code of each length: codes of one length are consecutive numbers,
    // in symbol order, and follow all shorter codes.
    uint32_t firstCode[kMaxCodeBits + 1] = {};
    for (uint32_t length = 1, code = 0; length <= kMaxCodeBits; ++length) {
        code = (code + lengthCount[length - 1]) << 1;
        firstCode[length] = code;
    }

    // Pass 1: the width of each subtable is set by the longest code that starts with its slot's
    // bits; the subtables are laid out after the first level in slot order.
    const uint32_t rootSlots = uint32_t{1} << rootBits_;
    const uint32_t rootMask = rootSlots - 1;
    uint8_t subtableBits[uint32_t{1} << kMaxRootBits] = {};
    uint32_t nextCode[kMaxCodeBits + 1];
    std::copy(firstCode, firstCode + kMaxCodeBits + 1, nextCode);
    for (uint32_t symbol = 0; symbol < count; ++symbol) {
        const uint32_t length = lengths[symbol];
        if (length > rootBits_) {
            const uint32_t slot = Reversed(nextCode[length], length) & rootMask;
            subtableBits[slot] = static_cast<uint8_t>(
                std::max<uint32_t>(subtableBits[slot], length - rootBits_));
        }
        if (length) {
            ++nextCode[length];
        }
    }
    // A complete code fills every slot itself; otherwise the slots it leaves stay invalid.
    const bool complete = left == 0;
    if (!complete) {
        Clear();
    }
    uint32_t used = rootSlots;
    for (uint32_t slot = 0; slot < rootSlots; ++slot) {
        if (subtableBits[slot]) {
            const uint32_t size = uint32_t{1} << subtableBits[slot];
            if (used + size > capacity_) {
                Clear();
                return BuildResult::InternalFault;
            }
            entries_[slot] = used << 16 | kSubtable | uint32_t{subtableBits[slot]} << 8 | rootBits_;
            if (!complete) {
                std::fill(entries_ + used, entries_ + used + size, kInvalid | subtableBits[slot]);
            }
            used += size;
        }
    }

    // Pass 2: every code fills the slots it owns, in the first level or in its subtable.
    std::copy(firstCode, firstCode + kMaxCodeBits + 1, nextCode);
    for (uint32_t symbol = 0; symbol < count; ++symbol) {
        const uint32_t length = lengths[symbol];
        if (length == 0) {
            continue;
        }
        const uint32_t index = Reversed(nextCode[length]++, length);
        const uint32_t payload = SymbolPayload(alphabet, symbol);
        if (length <= rootBits_) {
            Replicate(entries_, index, uint32_t{1} << length, rootSlots, payload | length);
        } else {
            const uint32_t pointer = entries_[index & rootMask];
            if (!(pointer & kSubtable)) {  // only a code that is not prefix-free gets here
                Clear();
                return BuildResult::InternalFault;
            }
            const uint32_t rest = length - rootBits_;
            Replicate(entries_ + Value(pointer), index >> rootBits_, uint32_t{1} << rest,
                      uint32_t{1} << ExtraBits(pointer), payload | rest);
        }
    }
    return complete ? BuildResult::Complete : BuildResult::Incomplete;
}

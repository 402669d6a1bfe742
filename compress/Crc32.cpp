#include "compress/Crc32.h"

#include <array>

namespace {

constexpr uint32_t kPolynomial = 0xEDB88320u;
constexpr size_t kSlices = 16;
using Table = std::array<uint32_t, 256>;
using CrcTables = std::array<Table, kSlices>;

// tables[0] is the classic byte-at-a-time table; tables[k][b] is the CRC of byte b followed by
// k zero bytes. With them sixteen bytes fold into the CRC through sixteen independent lookups,
// so the chain of dependent steps is one per 16 bytes instead of one per byte.
constexpr CrcTables MakeTables() {
    CrcTables tables{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? (crc >> 1) ^ kPolynomial : crc >> 1;
        }
        tables[0][byte] = crc;
    }
    for (size_t k = 1; k < kSlices; ++k) {
        for (uint32_t byte = 0; byte < 256; ++byte) {
            const uint32_t previous = tables[k - 1][byte];
            tables[k][byte] = (previous >> 8) ^ tables[0][previous & 0xFF];
        }
    }
    return tables;
}

constexpr CrcTables kTables = MakeTables();

// Long inputs go four lanes at a time: four consecutive stretches of kLaneBytes each get a CRC
// of their own, computed side by side in one loop, so that four chains of dependent lookups
// overlap instead of one waiting for the next. The CRC register is linear in its input, so the
// lanes join afterwards: the register after lane A then lane B is the register after A, moved
// on by kLaneBytes zero bytes, XOR the register of B alone (started from zero).
constexpr size_t kLanes = 4;  // as lane0 .. lane3 below
constexpr size_t kLaneBytes = 4096;

// A linear map of the register, as the images of its 32 bits.
using Operator = std::array<uint32_t, 32>;

constexpr uint32_t Apply(const Operator& op, uint32_t crc) {
    uint32_t result = 0;
    for (uint32_t bit = 0; bit < 32; ++bit) {
        if (crc >> bit & 1) {
            result ^= op[bit];
        }
    }
    return result;
}

// The register after `count` zero bytes (a power of two), by squaring the one-byte step.
constexpr Operator ZeroBytesOperator(size_t count) {
    Operator op{};
    for (uint32_t bit = 0; bit < 32; ++bit) {
        const uint32_t crc = uint32_t{1} << bit;
        op[bit] = (crc >> 8) ^ kTables[0][crc & 0xFF];
    }
    for (size_t bytes = 1; bytes < count; bytes *= 2) {
        Operator squared{};
        for (uint32_t bit = 0; bit < 32; ++bit) {
            squared[bit] = Apply(op, op[bit]);
        }
        op = squared;
    }
    return op;
}

// The same operator as four byte-indexed tables.
constexpr std::array<Table, 4> MakeLaneShift() {
    static_assert((kLaneBytes & (kLaneBytes - 1)) == 0);
    const Operator columns = ZeroBytesOperator(kLaneBytes);
    std::array<Table, 4> shift{};
    for (uint32_t part = 0; part < 4; ++part) {
        for (uint32_t byte = 0; byte < 256; ++byte) {
            for (uint32_t bit = 0; bit < 8; ++bit) {
                if (byte >> bit & 1) {
                    shift[part][byte] ^= columns[8 * part + bit];
                }
            }
        }
    }
    return shift;
}

constexpr std::array<Table, 4> kLaneShift = MakeLaneShift();

uint32_t ShiftOverLane(uint32_t crc) {
    return kLaneShift[0][crc & 0xFF] ^ kLaneShift[1][(crc >> 8) & 0xFF] ^
           kLaneShift[2][(crc >> 16) & 0xFF] ^ kLaneShift[3][crc >> 24];
}

uint32_t LoadLittleEndian32(const unsigned char* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// The lookups for the four bytes of one 32-bit quarter of a 16-byte step; `highestTable` is
// the table of its first byte.
[[gnu::always_inline]] inline uint32_t Fold(uint32_t word, size_t highestTable) {
    return kTables[highestTable][word & 0xFF] ^ kTables[highestTable - 1][(word >> 8) & 0xFF] ^
           kTables[highestTable - 2][(word >> 16) & 0xFF] ^ kTables[highestTable - 3][word >> 24];
}

// The register moved on by the 16 bytes at p (the register is not complemented here). Forced
// inline: the lanes only overlap when their steps sit side by side in one loop body.
[[gnu::always_inline]] inline uint32_t Step16(uint32_t crc, const unsigned char* p) {
    return Fold(LoadLittleEndian32(p) ^ crc, 15) ^ Fold(LoadLittleEndian32(p + 4), 11) ^
           Fold(LoadLittleEndian32(p + 8), 7) ^ Fold(LoadLittleEndian32(p + 12), 3);
}

}  // namespace

uint32_t Crc32::Update(uint32_t crc, const void* bytes, size_t count) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    crc = ~crc;
    for (; count >= kLanes * kLaneBytes; count -= kLanes * kLaneBytes, p += kLanes * kLaneBytes) {
        // Four named registers rather than an array, so that they stay in registers.
        uint32_t lane0 = crc, lane1 = 0, lane2 = 0, lane3 = 0;
        for (size_t offset = 0; offset < kLaneBytes; offset += kSlices) {
            lane0 = Step16(lane0, p + offset);
            lane1 = Step16(lane1, p + kLaneBytes + offset);
            lane2 = Step16(lane2, p + 2 * kLaneBytes + offset);
            lane3 = Step16(lane3, p + 3 * kLaneBytes + offset);
        }
        crc = ShiftOverLane(ShiftOverLane(ShiftOverLane(lane0) ^ lane1) ^ lane2) ^ lane3;
    }
    for (; count >= kSlices; count -= kSlices, p += kSlices) {
        crc = Step16(crc, p);
    }
    for (; count; --count, ++p) {
        crc = (crc >> 8) ^ kTables[0][(crc ^ *p) & 0xFF];
    }
    return ~crc;
}

#include "compress/Crc32.h"

#include <array>

namespace {

constexpr size_t kSlices = 16;
using CrcTables = std::array<std::array<uint32_t, 256>, kSlices>;

// tables[0] is the classic byte-at-a-time table; tables[k][b] is the CRC of byte b followed by
// k zero bytes. With them sixteen bytes fold into the CRC through sixteen independent lookups,
// so the chain of dependent steps is one per 16 bytes instead of one per byte.
constexpr CrcTables MakeTables() {
    CrcTables tables{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
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

uint32_t LoadLittleEndian32(const unsigned char* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// The four bytes of `word` looked up in the tables for 4 * (3 - group) to 4 * (3 - group) + 3
// following zero bytes... that is, the lookups for one 32-bit quarter of a 16-byte step.
uint32_t Fold(uint32_t word, size_t highestTable) {
    return kTables[highestTable][word & 0xFF] ^ kTables[highestTable - 1][(word >> 8) & 0xFF] ^
           kTables[highestTable - 2][(word >> 16) & 0xFF] ^ kTables[highestTable - 3][word >> 24];
}

}  // namespace

uint32_t Crc32::Update(uint32_t crc, const void* bytes, size_t count) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    crc = ~crc;
    for (; count >= kSlices; count -= kSlices, p += kSlices) {
        crc = Fold(LoadLittleEndian32(p) ^ crc, 15) ^ Fold(LoadLittleEndian32(p + 4), 11) ^
              Fold(LoadLittleEndian32(p + 8), 7) ^ Fold(LoadLittleEndian32(p + 12), 3);
    }
    for (; count; --count, ++p) {
        crc = (crc >> 8) ^ kTables[0][(crc ^ *p) & 0xFF];
    }
    return ~crc;
}

#include "compress/Crc32.h"

#include <array>

namespace {

using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

// tables[0] is the classic byte-at-a-time table; tables[k][b] is the CRC of byte b followed by
// k zero bytes, which lets eight bytes be folded in with independent lookups.
constexpr CrcTables MakeTables() {
    CrcTables tables{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        }
        tables[0][byte] = crc;
    }
    for (size_t k = 1; k < 8; ++k) {
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

}  // namespace

uint32_t Crc32::Update(uint32_t crc, const void* bytes, size_t count) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    crc = ~crc;
    for (; count >= 8; count -= 8, p += 8) {
        const uint32_t low = LoadLittleEndian32(p) ^ crc;
        const uint32_t high = LoadLittleEndian32(p + 4);
        crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^
              kTables[5][(low >> 16) & 0xFF] ^ kTables[4][low >> 24] ^
              kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
              kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
    }
    for (; count; --count, ++p) {
        crc = (crc >> 8) ^ kTables[0][(crc ^ *p) & 0xFF];
    }
    return ~crc;
}

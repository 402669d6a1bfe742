#pragma once
// Crc32: the CRC-32 of gzip members and zip entries (reflected polynomial 0xEDB88320, initial
// value and final complement 0xFFFFFFFF), computed incrementally.
//
// Cost: eight table lookups per 8 input bytes ("slicing by 8"), about 1 cycle a byte; the eight
// 1 KB tables are built at compile time.

#include <cstddef>
#include <cstdint>

class Crc32 {
public:
    // Feeds bytes into a running CRC. Start from 0; the value after any number of calls is the
    // CRC-32 of everything fed so far (no final step is needed).
    static uint32_t Update(uint32_t crc, const void* bytes, size_t count);
};

#pragma once
// UnicodeLookup: the decoding form of a single-byte code page, the UTF-16 code unit of every
// byte. Entry 0 is 0; 0 elsewhere means the byte is not mapped. For an ASCII-compatible code
// page the bytes 1-127 are themselves.

#include <cstdint>

#include "core/QuorvelObject.h"

class HashConvert;

class UnicodeLookup : public QuorvelObject {
public:
    // Fills the array from a decoding table whose keys are single bytes.
    explicit UnicodeLookup(const HashConvert& decoding);

    char16_t UnitOf(uint8_t byte) const { return units_[byte]; }
    bool IsAsciiCompatible() const { return asciiCompatible_; }

private:
    char16_t units_[256];
    bool asciiCompatible_;
};

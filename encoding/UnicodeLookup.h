#pragma once
// UnicodeLookup: the decoding form of a single-byte code page, the UTF-16 code unit of every
// byte. Entry 0 is 0; 0 elsewhere means the byte is not mapped. For an ASCII-compatible code
// page the bytes 1-127 are themselves. Beside it, every byte's unit as UTF-8 (nothing for 0
// and unmapped bytes), so that the common road to UTF-8 is one array index per byte too.

#include <cstdint>

#include "core/QuorvelObject.h"

class HashConvert;

class UnicodeLookup : public QuorvelObject {
public:
    // Fills the array from a decoding table whose keys are single bytes.
    explicit UnicodeLookup(const HashConvert& decoding);

    char16_t UnitOf(uint8_t byte) const { return units_[byte]; }
    bool IsAsciiCompatible() const { return asciiCompatible_; }

    // The UTF-8 bytes of the byte's unit in the first three places, their count in the fourth.
    // Only for a table without surrogate units (a surrogate's UTF-8 depends on its neighbour).
    const uint8_t* Utf8Of(uint8_t byte) const { return utf8_[byte]; }
    bool HasSurrogates() const { return hasSurrogates_; }

private:
    char16_t units_[256];
    uint8_t utf8_[256][4];
    bool asciiCompatible_;
    bool hasSurrogates_ = false;
};

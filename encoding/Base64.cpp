#include "encoding/Base64.h"

#include <cstdint>

#include "core/DataBuffer.h"

bool DecodeBase64(const char* text, size_t length, DataBuffer& out) {
    const uint32_t originalSize = out.GetSize();
    uint32_t bits = 0;
    int bitCount = 0;  // bits not yet written, always below 8
    size_t padding = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '=') {
            ++padding;
            continue;
        }
        const int value = Base64Value(static_cast<unsigned char>(text[i]));
        if (value < 0 || padding) {
            out.Shorten(out.GetSize() - originalSize);
            return false;
        }
        bits = (bits << 6) | static_cast<uint32_t>(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            out.AppendByte(static_cast<unsigned char>(bits >> bitCount));
        }
    }
    // Whole 4-character groups (or none padded at all), at most two pad characters.
    if ((length % 4 != 0 && padding != 0) || padding > 2) {
        out.Shorten(out.GetSize() - originalSize);
        return false;
    }
    return true;
}

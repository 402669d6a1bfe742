#include "encoding/Base64.h"

#include <cstdint>

#include "core/DataBuffer.h"
#include "core/StringBuffer.h"

void EncodeBase64(const void* bytes, size_t length, StringBuffer& out) {
    const auto* in = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < length; i += 3) {
        const size_t left = length - i;
        const uint32_t group = (uint32_t{in[i]} << 16) | (left > 1 ? uint32_t{in[i + 1]} << 8 : 0) |
                               (left > 2 ? uint32_t{in[i + 2]} : 0);
        char quad[4] = {kBase64Alphabet[(group >> 18) & 63], kBase64Alphabet[(group >> 12) & 63],
                        left > 1 ? kBase64Alphabet[(group >> 6) & 63] : '=',
                        left > 2 ? kBase64Alphabet[group & 63] : '='};
        out.AppendN(quad, 4);
    }
}

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

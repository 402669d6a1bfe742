#include "encoding/UnicodeForms.h"

#include "core/DataBuffer.h"

namespace unicodeforms {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

void WriteUtf8(ChunkedOutput& out, uint32_t codePoint) {
    uint8_t* room = out.Room(4);
    if (codePoint < 0x80) {
        room[0] = static_cast<uint8_t>(codePoint);
        out.Advance(1);
    } else if (codePoint < 0x800) {
        room[0] = static_cast<uint8_t>(0xC0 | codePoint >> 6);
        room[1] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        out.Advance(2);
    } else if (codePoint < 0x10000) {
        room[0] = static_cast<uint8_t>(0xE0 | codePoint >> 12);
        room[1] = static_cast<uint8_t>(0x80 | (codePoint >> 6 & 0x3F));
        room[2] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        out.Advance(3);
    } else {
        room[0] = static_cast<uint8_t>(0xF0 | codePoint >> 18);
        room[1] = static_cast<uint8_t>(0x80 | (codePoint >> 12 & 0x3F));
        room[2] = static_cast<uint8_t>(0x80 | (codePoint >> 6 & 0x3F));
        room[3] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        out.Advance(4);
    }
}

}  // namespace

// A high surrogate waits for the unit after it: with a low surrogate it makes one four-byte
// sequence; anything else leaves it alone, written as three bytes.
void Utf8Sink::PutSurrogateCase(char16_t unit) {
    if (pendingHigh_) {
        const char16_t high = pendingHigh_;
        pendingHigh_ = 0;
        if (IsLowSurrogate(unit)) {
            WriteUtf8(out_, 0x10000 + ((high - 0xD800u) << 10) + (unit - 0xDC00u));
            return;
        }
        WriteThreeBytes(high);
        Put(unit);
    } else if (IsHighSurrogate(unit)) {
        pendingHigh_ = unit;
    } else {
        WriteThreeBytes(unit);  // a lone low surrogate
    }
}

bool Utf32ToUtf8(const uint8_t* bytes, size_t length, bool bigEndian, DataBuffer& out) {
    ChunkedOutput sink(out);
    bool ok = length % 4 == 0;
    for (size_t i = 0; i + 4 <= length; i += 4) {
        const uint8_t* p = bytes + i;
        uint32_t value = bigEndian ? (uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3])
                                   : (uint32_t{p[3]} << 24 | p[2] << 16 | p[1] << 8 | p[0]);
        if (value > 0x10FFFF || IsHighSurrogate(value) || IsLowSurrogate(value)) {
            value = kReplacement;
            ok = false;
        }
        WriteUtf8(sink, value);
    }
    return sink.Flush() && ok;
}

bool Utf8ToUtf32(const uint8_t* bytes, size_t length, bool bigEndian, DataBuffer& out) {
    ChunkedOutput sink(out);
    bool ok = true;
    size_t i = 0;
    while (i < length) {
        uint32_t value = 0;
        const unsigned used = ReadUtf8(bytes + i, length - i, value, false);
        if (used == 0) {
            ok = false;
            ++i;
            continue;
        }
        i += used;
        uint8_t* room = sink.Room(4);
        for (int b = 0; b < 4; ++b) {
            room[bigEndian ? 3 - b : b] = static_cast<uint8_t>(value >> (8 * b));
        }
        sink.Advance(4);
    }
    return sink.Flush() && ok;
}

bool SwapUtf16Bytes(const uint8_t* bytes, size_t length, DataBuffer& out) {
    ChunkedOutput sink(out);
    for (size_t i = 0; i + 2 <= length; i += 2) {
        uint8_t* room = sink.Room(2);
        room[0] = bytes[i + 1];
        room[1] = bytes[i];
        sink.Advance(2);
    }
    return sink.Flush() && length % 2 == 0;
}

}  // namespace unicodeforms

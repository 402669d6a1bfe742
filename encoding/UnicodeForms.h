#pragma once
// The Unicode forms converted by fixed algorithms: UTF-16LE, UTF-8, UTF-32 and the byte swaps of
// their big-endian forms. Conversions between code pages run through a stream of UTF-16 code
// units: a decoder reads bytes and hands units to a sink, a sink turns units into bytes. The
// decoders and sinks here are templates so that a conversion compiles into one loop.
//
// Sink concept: void Put(char16_t unit); bool Finish() (true when nothing was dropped).
//
// Rules (a dropped byte or character makes the result false):
// - UTF-16LE to UTF-8: 0 is dropped; 1-0x7F one byte, up to 0x7FF two, up to 0xFFFF three; a
//   high surrogate followed by a low surrogate becomes one four-byte sequence, a lone surrogate
//   is written as three bytes of its own (so that it survives a round trip); an odd final byte
//   is dropped.
// - UTF-8 to UTF-16LE: one to four-byte sequences, the four-byte ones as surrogate pairs;
//   three-byte sequences for surrogate values are accepted. Overlong forms, stray continuation
//   bytes, F5-FF, wrong or missing continuation bytes drop exactly one byte and decoding goes
//   on with the next.
// - UTF-32: values up to U+10FFFF (not surrogates) convert; others become U+FFFD. An illegal
//   UTF-8 sequence on the way to UTF-32 drops one byte and conversion goes on.

#include <cstddef>
#include <cstdint>

#include "encoding/ChunkedOutput.h"

class DataBuffer;

namespace unicodeforms {

inline bool IsHighSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Writes units as UTF-16LE bytes.
class Utf16LeSink {
public:
    explicit Utf16LeSink(DataBuffer& out) : out_(out) {}
    void Put(char16_t unit) {
        uint8_t* room = out_.Room(2);
        room[0] = static_cast<uint8_t>(unit);
        room[1] = static_cast<uint8_t>(unit >> 8);
        out_.Advance(2);
    }
    bool Finish() { return out_.Flush(); }

private:
    ChunkedOutput out_;
};

// Writes units as UTF-8 by the rule above.
class Utf8Sink {
public:
    explicit Utf8Sink(DataBuffer& out) : out_(out) {}
    void Put(char16_t unit) {
        if (pendingHigh_ || (unit >= 0xD800 && unit <= 0xDFFF)) {
            PutSurrogateCase(unit);
        } else if (unit < 0x80) {
            if (unit) {
                out_.Put(static_cast<uint8_t>(unit));
            }
        } else if (unit < 0x800) {
            uint8_t* room = out_.Room(2);
            room[0] = static_cast<uint8_t>(0xC0 | unit >> 6);
            room[1] = static_cast<uint8_t>(0x80 | (unit & 0x3F));
            out_.Advance(2);
        } else {
            WriteThreeBytes(unit);
        }
    }
    bool Finish() {
        if (pendingHigh_) {
            WriteThreeBytes(pendingHigh_);
            pendingHigh_ = 0;
        }
        return out_.Flush();
    }

private:
    void PutSurrogateCase(char16_t unit);
    void WriteThreeBytes(uint32_t unit) {
        uint8_t* room = out_.Room(3);
        room[0] = static_cast<uint8_t>(0xE0 | unit >> 12);
        room[1] = static_cast<uint8_t>(0x80 | (unit >> 6 & 0x3F));
        room[2] = static_cast<uint8_t>(0x80 | (unit & 0x3F));
        out_.Advance(3);
    }

    ChunkedOutput out_;
    char16_t pendingHigh_ = 0;
};

// UTF-16LE bytes to units; an odd final byte is dropped.
template <class Sink>
bool DecodeUtf16Le(const uint8_t* bytes, size_t length, Sink& sink) {
    const size_t units = length / 2;
    for (size_t i = 0; i < units; ++i) {
        sink.Put(static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8));
    }
    return length % 2 == 0;
}

// Length of the well-formed UTF-8 sequence at `p` (1 to 4) and its code point, or 0 when the
// sequence is ill-formed or cut off. Surrogate values in three bytes count as well-formed when
// `allowSurrogates` is set.
inline unsigned ReadUtf8(const uint8_t* p, size_t left, uint32_t& codePoint, bool allowSurrogates) {
    const uint8_t lead = p[0];
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    auto continuation = [&](size_t i, uint8_t low, uint8_t high) {
        return i < left && p[i] >= low && p[i] <= high;
    };
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (!continuation(1, 0x80, 0xBF))
            return 0;
        codePoint = (lead & 0x1Fu) << 6 | (p[1] & 0x3Fu);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const uint8_t low = lead == 0xE0 ? 0xA0 : 0x80;
        const uint8_t high = (lead == 0xED && !allowSurrogates) ? 0x9F : 0xBF;
        if (!continuation(1, low, high) || !continuation(2, 0x80, 0xBF))
            return 0;
        codePoint = (lead & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const uint8_t low = lead == 0xF0 ? 0x90 : 0x80;
        const uint8_t high = lead == 0xF4 ? 0x8F : 0xBF;
        if (!continuation(1, low, high) || !continuation(2, 0x80, 0xBF) ||
            !continuation(3, 0x80, 0xBF)) {
            return 0;
        }
        codePoint =
            (lead & 0x07u) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
        return 4;
    }
    return 0;
}

// UTF-8 bytes to units by the rule above.
template <class Sink>
bool DecodeUtf8(const uint8_t* bytes, size_t length, Sink& sink) {
    bool ok = true;
    size_t i = 0;
    while (i < length) {
        if (bytes[i] < 0x80) {
            sink.Put(bytes[i++]);
            continue;
        }
        uint32_t codePoint = 0;
        const unsigned used = ReadUtf8(bytes + i, length - i, codePoint, true);
        if (used == 0) {
            ok = false;
            ++i;
        } else if (codePoint > 0xFFFF) {
            sink.Put(static_cast<char16_t>(0xD7C0 + (codePoint >> 10)));
            sink.Put(static_cast<char16_t>(0xDC00 | (codePoint & 0x3FF)));
            i += used;
        } else {
            sink.Put(static_cast<char16_t>(codePoint));
            i += used;
        }
    }
    return ok;
}

// UTF-32 (little- or big-endian) to UTF-8; trailing bytes beyond a multiple of 4 are dropped.
bool Utf32ToUtf8(const uint8_t* bytes, size_t length, bool bigEndian, DataBuffer& out);
// UTF-8 to UTF-32 (little- or big-endian).
bool Utf8ToUtf32(const uint8_t* bytes, size_t length, bool bigEndian, DataBuffer& out);
// Swaps the two bytes of every 16-bit unit into `out`; an odd final byte is dropped.
bool SwapUtf16Bytes(const uint8_t* bytes, size_t length, DataBuffer& out);

}  // namespace unicodeforms

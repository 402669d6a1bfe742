#pragma once
// The table-driven conversions between UTF-16 code units and a code page (see UnicodeForms.h
// for the decoder and sink shapes):
// - TableSink encodes units: a unit below 0x80 of an ASCII-compatible code page is its own
//   byte; otherwise the table's byte or sequence; a 0 unit without an entry is a 0 byte; any
//   other unit without an entry is dropped. For 28596 and 1256 the Arabic-Indic digits
//   (U+0660-0669, U+06F0-06F9) are written as the ASCII digits.
// - DecodeSingleByte: one array index per byte; 0 is U+0000, an unmapped byte is dropped.
// - DecodeMultiByte: at each position the 2-, then the 3-, then the 4-byte key is tried (keys
//   that cannot exist are skipped), then the byte alone (0 and, for an ASCII-compatible code
//   page, bytes below 0x80 are themselves); a byte found in no way is dropped and decoding
//   goes on with the next byte.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "encoding/ChunkedOutput.h"
#include "encoding/HashConvert.h"
#include "encoding/UnicodeLookup.h"

namespace tablecodec {

inline bool FoldsArabicDigits(int codePage) {
    return codePage == 28596 || codePage == 1256;
}

class TableSink {
public:
    TableSink(const HashConvert& table, bool foldArabicDigits, DataBuffer& out)
        : table_(table),
          ascii_(table.IsAsciiCompatible()),
          foldDigits_(foldArabicDigits),
          out_(out) {}

    void Put(char16_t unit) {
        if (foldDigits_) {
            unit = FoldArabicDigit(unit);
        }
        if (ascii_ && unit < 0x80) {
            out_.Put(static_cast<uint8_t>(unit));
            return;
        }
        uint32_t value = 0;
        unsigned length = 0;
        if (table_.Find(unit, 2, value, length)) {
            uint8_t* room = out_.Room(length);
            for (unsigned i = 0; i < length; ++i) {
                room[i] = static_cast<uint8_t>(value >> (8 * i));
            }
            out_.Advance(length);
        } else if (unit == 0) {
            out_.Put(0);
        } else {
            ok_ = false;
        }
    }
    bool Finish() { return out_.Flush() && ok_; }

private:
    static char16_t FoldArabicDigit(char16_t unit) {
        if (unit >= 0x0660 && unit <= 0x0669)
            return static_cast<char16_t>(unit - 0x0660 + '0');
        if (unit >= 0x06F0 && unit <= 0x06F9)
            return static_cast<char16_t>(unit - 0x06F0 + '0');
        return unit;
    }

    const HashConvert& table_;
    bool ascii_;
    bool foldDigits_;
    bool ok_ = true;
    ChunkedOutput out_;
};

// A single-byte code page straight to UTF-8 (what DecodeSingleByte into a Utf8Sink gives, for
// a table without surrogates), a block of input at a time into the output chunk.
inline bool DecodeSingleByteToUtf8(const UnicodeLookup& lookup, const uint8_t* bytes, size_t length,
                                   DataBuffer& out) {
    constexpr size_t kBlock = 128;  // at most 3 bytes out per byte, plus one for the last copy
    ChunkedOutput sink(out);
    bool ok = true;
    for (size_t start = 0; start < length; start += kBlock) {
        const size_t end = start + kBlock < length ? start + kBlock : length;
        uint8_t* const room = sink.Room(3 * kBlock + 1);
        uint8_t* write = room;
        for (size_t i = start; i < end; ++i) {
            const uint8_t* utf8 = lookup.Utf8Of(bytes[i]);
            std::memcpy(write, utf8, 4);
            write += utf8[3];
            ok &= utf8[3] != 0 || bytes[i] == 0;
        }
        sink.Advance(static_cast<size_t>(write - room));
    }
    return sink.Flush() && ok;
}

// The 3- or 4-byte key at `bytes` (3 first), its length, or 0 when there is none.
inline unsigned FindLongKey(const HashConvert& table, const uint8_t* bytes, size_t left,
                            uint32_t& value) {
    unsigned valueLength = 0;
    for (unsigned n = 3; n <= 4 && n <= left; ++n) {
        uint32_t key = 0;
        for (unsigned k = 0; k < n; ++k) {
            key |= static_cast<uint32_t>(bytes[k]) << (8 * k);
        }
        if (table.HasKeysOfLength(n) && table.Find(key, n, value, valueLength)) {
            return n;
        }
    }
    return 0;
}

template <class Sink>
bool DecodeSingleByte(const UnicodeLookup& lookup, const uint8_t* bytes, size_t length,
                      Sink& sink) {
    bool ok = true;
    for (size_t i = 0; i < length; ++i) {
        const char16_t unit = lookup.UnitOf(bytes[i]);
        if (unit || bytes[i] == 0) {
            sink.Put(unit);
        } else {
            ok = false;
        }
    }
    return ok;
}

template <class Sink>
bool DecodeMultiByte(const HashConvert& table, const uint8_t* bytes, size_t length, Sink& sink) {
    const bool ascii = table.IsAsciiCompatible();
    const bool longKeys = table.HasKeysOfLength(3) || table.HasKeysOfLength(4);
    bool ok = true;
    size_t i = 0;
    while (i < length) {
        const uint8_t byte = bytes[i];
        uint32_t value = 0;
        unsigned valueLength = 0;
        if (length - i >= 2 && table.StartsLongerKey(byte)) {
            unsigned keyLength = 0;
            if (table.Find(byte | bytes[i + 1] << 8, 2, value, valueLength)) {
                keyLength = 2;
            } else if (longKeys) {
                keyLength = FindLongKey(table, bytes + i, length - i, value);
            }
            if (keyLength) {
                sink.Put(static_cast<char16_t>(value));
                i += keyLength;
                continue;
            }
        }
        if (byte == 0 || (ascii && byte < 0x80)) {
            sink.Put(byte);
        } else if (table.Find(byte, 1, value, valueLength)) {
            sink.Put(static_cast<char16_t>(value));
        } else {
            ok = false;
        }
        ++i;
    }
    return ok;
}

}  // namespace tablecodec

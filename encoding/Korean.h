#pragma once
// Korean: ISO-2022-KR (code page 50225) to and from the Korean code page 949, which the
// conversion engine then converts through its table.
//
// Decoding: the designation ESC $ ) C is skipped wherever it occurs and puts the decoder in
// single-byte mode; SO enters double-byte mode, SI leaves it; in double-byte mode each byte of
// a pair is written with 0x80 added. A lone byte of a pair and any other ESC are dropped (the
// result is then false).
// Encoding: the output starts with ESC $ ) C; a byte at or above 0x80 starts a pair, written
// with 0x80 subtracted from both bytes after SO (when not already in double-byte mode); any
// other byte is written after SI (when in double-byte mode). No SI is added at the end.

#include <cstddef>
#include <cstdint>

#include "core/QuorvelObject.h"

class DataBuffer;

class Korean : public QuorvelObject {
public:
    bool Iso2022KrTo949(const uint8_t* bytes, size_t length, DataBuffer& out) const;
    bool Cp949ToIso2022Kr(const uint8_t* bytes, size_t length, DataBuffer& out) const;
};

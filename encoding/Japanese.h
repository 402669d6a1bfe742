#pragma once
// Japanese: ISO-2022-JP (code pages 50220, 50221, 50222, all alike) to and from Shift_JIS
// (code page 932), which the conversion engine then converts through its table.
//
// Decoding: ESC $ @ and ESC $ B enter two-byte mode, ESC ( B and ESC ( J ASCII, ESC ( I
// half-width katakana (each byte + 0x80); other escapes are skipped; CR and LF return to ASCII.
// Two-byte JIS X 0208 codes become Shift_JIS by the standard transformation, except rows
// 0x79-0x7C, which take the 932 code of their NEC-selected IBM extension from a stored table.
// Encoding: Shift_JIS pairs become JIS X 0208 codes inside ESC $ B ... ESC ( B, the IBM
// extensions (lead 0xFA-0xFC) the rows 0x79-0x7C, and half-width katakana their full-width
// forms, a following voiced or semi-voiced mark combined into the letter where one exists.
// Bytes that cannot be read (a cut-off sequence, an unknown escape) are dropped and make the
// result false.

#include <cstddef>
#include <cstdint>

#include "core/QuorvelObject.h"

class DataBuffer;

class Japanese : public QuorvelObject {
public:
    bool Iso2022JpToShiftJis(const uint8_t* bytes, size_t length, DataBuffer& out) const;
    bool ShiftJisToIso2022Jp(const uint8_t* bytes, size_t length, DataBuffer& out) const;
};

#pragma once
// UTF-7 (RFC 2152) to and from UTF-16LE.
// Encoding: a leading U+FEFF is dropped; letters, digits, the characters '(),-./:? and space,
// tab, CR and LF are written as themselves; "+" is written as "+-"; every other character
// (the optional direct characters too) goes into a base64 run opened by "+" and closed by "-"
// before the next directly written character and at the end.
// Decoding: "+-" is "+"; a run ends at the first byte that is not a base64 character, and a
// "-" that ends it is consumed. Leftover bits that are not zero, or a run that ends before one
// whole unit, make the result false (decoding goes on). A byte at or above 0x80 outside a run
// becomes the unit 0xFF00 plus the byte and makes the result false.

#include <cstddef>
#include <cstdint>

class DataBuffer;

namespace utf7 {

bool EncodeUtf16Le(const uint8_t* utf16, size_t length, DataBuffer& out);
bool DecodeToUtf16Le(const uint8_t* bytes, size_t length, DataBuffer& out);

}  // namespace utf7

#include "encoding/UnicodeLookup.h"

#include "encoding/HashConvert.h"

UnicodeLookup::UnicodeLookup(const HashConvert& decoding)
    : asciiCompatible_(decoding.IsAsciiCompatible()) {
    units_[0] = 0;
    for (unsigned byte = 1; byte < 256; ++byte) {
        uint32_t value = 0;
        unsigned length = 0;
        if (asciiCompatible_ && byte < 0x80) {
            units_[byte] = static_cast<char16_t>(byte);
        } else if (decoding.Find(byte, 1, value, length) && length == 2) {
            units_[byte] = static_cast<char16_t>(value);
        } else {
            units_[byte] = 0;
        }
    }
    for (unsigned byte = 0; byte < 256; ++byte) {
        const char16_t unit = units_[byte];
        uint8_t* utf8 = utf8_[byte];
        hasSurrogates_ |= unit >= 0xD800 && unit <= 0xDFFF;
        if (unit == 0) {
            utf8[0] = utf8[1] = utf8[2] = utf8[3] = 0;
        } else if (unit < 0x80) {
            utf8[0] = static_cast<uint8_t>(unit);
            utf8[1] = utf8[2] = 0;
            utf8[3] = 1;
        } else if (unit < 0x800) {
            utf8[0] = static_cast<uint8_t>(0xC0 | unit >> 6);
            utf8[1] = static_cast<uint8_t>(0x80 | (unit & 0x3F));
            utf8[2] = 0;
            utf8[3] = 2;
        } else {
            utf8[0] = static_cast<uint8_t>(0xE0 | unit >> 12);
            utf8[1] = static_cast<uint8_t>(0x80 | (unit >> 6 & 0x3F));
            utf8[2] = static_cast<uint8_t>(0x80 | (unit & 0x3F));
            utf8[3] = 3;
        }
    }
}

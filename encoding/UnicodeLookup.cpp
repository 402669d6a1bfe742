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
}

#include "encoding/MacArabic.h"

#include <algorithm>

namespace {

bool IsRightToLeft(uint8_t b) {
    return b == 0x81 || b == 0x8C || b == 0x93 || b == 0x98 || b == 0x9B ||
           (b >= 0xA0 && b <= 0xA4) || (b >= 0xA6 && b <= 0xAB) || (b >= 0xAD && b <= 0xBA) ||
           (b >= 0xBC && b <= 0xBE) || b == 0xC0 || (b >= 0xDB && b <= 0xDF) ||
           (b >= 0xFB && b <= 0xFD);
}

uint8_t Fold(uint8_t b) {
    if (b >= 0xB0 && b <= 0xB9)
        return static_cast<uint8_t>(b - 0x80);
    if (b == 0x81)
        return 0xA0;
    if ((b >= 0xA0 && b <= 0xA4) || (b >= 0xA6 && b <= 0xAB) || (b >= 0xAD && b <= 0xAF) ||
        b == 0xBA || (b >= 0xBC && b <= 0xBE) || (b >= 0xDB && b <= 0xDF) ||
        (b >= 0xFB && b <= 0xFD)) {
        return static_cast<uint8_t>(b - 0x80);
    }
    return b;
}

}  // namespace

void ApplyMacArabicPass(uint8_t* bytes, size_t length) {
    size_t runStart = 0;
    bool inRun = false;
    for (size_t i = 0; i < length; ++i) {
        const bool rightToLeft = IsRightToLeft(bytes[i]);
        if (inRun && !rightToLeft) {
            std::reverse(bytes + runStart, bytes + i);
            inRun = false;
        } else if (!inRun && rightToLeft) {
            runStart = i;
            inRun = true;
        }
        bytes[i] = Fold(bytes[i]);
    }
    if (inRun) {
        std::reverse(bytes + runStart, bytes + length);
    }
}

#include "encoding/Korean.h"

#include "core/DataBuffer.h"
#include "encoding/ChunkedOutput.h"

namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kShiftOut = 0x0E;
constexpr uint8_t kShiftIn = 0x0F;
constexpr uint8_t kDesignation[4] = {kEsc, '$', ')', 'C'};

bool IsDesignationAt(const uint8_t* p, size_t left) {
    return left >= 4 && p[1] == kDesignation[1] && p[2] == kDesignation[2] &&
           p[3] == kDesignation[3];
}

bool IsControl(uint8_t b) {
    return b == kEsc || b == kShiftOut || b == kShiftIn;
}

}  // namespace

bool Korean::Iso2022KrTo949(const uint8_t* p, size_t n, DataBuffer& out) const {
    ChunkedOutput sink(out);
    bool doubleByte = false;
    bool ok = true;
    size_t i = 0;
    while (i < n) {
        const uint8_t b = p[i];
        if (b == kEsc) {
            if (IsDesignationAt(p + i, n - i)) {
                doubleByte = false;
                i += 4;
            } else {
                ok = false;
                ++i;
            }
        } else if (b == kShiftOut || b == kShiftIn) {
            doubleByte = b == kShiftOut;
            ++i;
        } else if (!doubleByte) {
            sink.Put(b);
            ++i;
        } else if (i + 1 >= n || IsControl(p[i + 1])) {
            ok = false;  // half a pair
            ++i;
        } else {
            uint8_t* room = sink.Room(2);
            room[0] = static_cast<uint8_t>(b + 0x80);
            room[1] = static_cast<uint8_t>(p[i + 1] + 0x80);
            sink.Advance(2);
            i += 2;
        }
    }
    return sink.Flush() && ok;
}

bool Korean::Cp949ToIso2022Kr(const uint8_t* p, size_t n, DataBuffer& out) const {
    ChunkedOutput sink(out);
    for (uint8_t b : kDesignation) {
        sink.Put(b);
    }
    bool doubleByte = false;
    bool ok = true;
    size_t i = 0;
    while (i < n) {
        const uint8_t b = p[i];
        if (b >= 0x80) {
            if (i + 1 >= n) {
                ok = false;  // a lead byte without its second byte ends the input
                break;
            }
            if (!doubleByte) {
                sink.Put(kShiftOut);
                doubleByte = true;
            }
            uint8_t* room = sink.Room(2);
            room[0] = static_cast<uint8_t>(b - 0x80);
            room[1] = static_cast<uint8_t>(p[i + 1] - 0x80);
            sink.Advance(2);
            i += 2;
            continue;
        }
        if (doubleByte) {
            sink.Put(kShiftIn);
            doubleByte = false;
        }
        sink.Put(b);
        ++i;
    }
    return sink.Flush() && ok;
}

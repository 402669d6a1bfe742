#include "encoding/Utf7.h"

#include "encoding/Base64.h"
#include "encoding/ChunkedOutput.h"

namespace utf7 {
namespace {

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool IsDirect(uint32_t unit) {
    if ((unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z') ||
        (unit >= '0' && unit <= '9')) {
        return true;
    }
    switch (unit) {
        case '\'':
        case '(':
        case ')':
        case ',':
        case '-':
        case '.':
        case '/':
        case ':':
        case '?':
        case ' ':
        case '\t':
        case '\r':
        case '\n':
            return true;
        default:
            return false;
    }
}

void PutUnit(ChunkedOutput& out, uint32_t unit) {
    uint8_t* room = out.Room(2);
    room[0] = static_cast<uint8_t>(unit);
    room[1] = static_cast<uint8_t>(unit >> 8);
    out.Advance(2);
}

// The base64 run of the encoder: 16 bits per unit, written 6 at a time.
class Run {
public:
    explicit Run(ChunkedOutput& out) : out_(out) {}
    void Add(uint32_t unit) {
        if (!open_) {
            out_.Put('+');
            open_ = true;
        }
        bits_ = (bits_ << 16) | unit;
        count_ += 16;
        while (count_ >= 6) {
            count_ -= 6;
            out_.Put(kBase64Alphabet[(bits_ >> count_) & 0x3F]);
        }
    }
    void Close() {
        if (!open_) {
            return;
        }
        if (count_) {
            out_.Put(kBase64Alphabet[(bits_ << (6 - count_)) & 0x3F]);
        }
        out_.Put('-');
        open_ = false;
        bits_ = 0;
        count_ = 0;
    }

private:
    ChunkedOutput& out_;
    bool open_ = false;
    uint32_t bits_ = 0;
    int count_ = 0;  // bits not yet written, below 6 between units
};

}  // namespace

bool EncodeUtf16Le(const uint8_t* utf16, size_t length, DataBuffer& out) {
    ChunkedOutput sink(out);
    Run run(sink);
    const size_t units = length / 2;
    for (size_t i = 0; i < units; ++i) {
        const uint32_t unit = utf16[2 * i] | utf16[2 * i + 1] << 8;
        if (i == 0 && unit == 0xFEFF) {
            continue;
        }
        if (IsDirect(unit)) {
            run.Close();
            sink.Put(static_cast<uint8_t>(unit));
        } else if (unit == '+') {
            run.Close();
            sink.Put('+');
            sink.Put('-');
        } else {
            run.Add(unit);
        }
    }
    run.Close();
    return sink.Flush() && length % 2 == 0;
}

bool DecodeToUtf16Le(const uint8_t* bytes, size_t length, DataBuffer& out) {
    ChunkedOutput sink(out);
    bool ok = true;
    size_t i = 0;
    while (i < length) {
        const uint8_t byte = bytes[i];
        if (byte != '+') {
            if (byte >= 0x80) {
                PutUnit(sink, 0xFF00u + byte);
                ok = false;
            } else {
                PutUnit(sink, byte);
            }
            ++i;
            continue;
        }
        ++i;
        if (i < length && bytes[i] == '-') {
            PutUnit(sink, '+');
            ++i;
            continue;
        }
        // A base64 run up to the first byte outside the alphabet.
        uint32_t bits = 0;
        int count = 0;
        bool decodedOne = false;
        for (int value; i < length && (value = Base64Value(bytes[i])) >= 0; ++i) {
            bits = (bits << 6) | static_cast<uint32_t>(value);
            count += 6;
            if (count >= 16) {
                count -= 16;
                PutUnit(sink, (bits >> count) & 0xFFFF);
                decodedOne = true;
            }
        }
        if (!decodedOne || (bits & ((1u << count) - 1)) != 0) {
            ok = false;
        }
        if (i < length && bytes[i] == '-') {
            ++i;
        }
    }
    return sink.Flush() && ok;
}

}  // namespace utf7

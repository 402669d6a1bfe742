#include "tests/encoding/EncodingTestSupport.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <vector>

#include "core/DataBuffer.h"
#include "encoding/CodePageTables.h"
#include "encoding/EncodingConvert.h"
#include "encoding/HashConvert.h"
#include "encoding/UnicodeLookup.h"

namespace enctest {

std::string Bytes(const std::string& hex) {
    std::string out;
    int high = -1;
    for (char c : hex) {
        int value = -1;
        if (c >= '0' && c <= '9')
            value = c - '0';
        if (c >= 'a' && c <= 'f')
            value = c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            value = c - 'A' + 10;
        if (value < 0) {
            continue;
        }
        if (high < 0) {
            high = value;
        } else {
            out.push_back(static_cast<char>(high << 4 | value));
            high = -1;
        }
    }
    return out;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char pair[4];
    for (unsigned char c : bytes) {
        std::snprintf(pair, sizeof pair, out.empty() ? "%02X" : " %02X", c);
        out += pair;
    }
    return out;
}

Converted Convert(int from, int to, const std::string& bytes) {
    DataBuffer out;
    EncodingConvert convert;
    const bool complete =
        convert.Convert(from, to, bytes.data(), static_cast<uint32_t>(bytes.size()), out);
    return {std::string(reinterpret_cast<const char*>(out.GetData()), out.GetSize()), complete};
}

void ExpectConversions(const ConversionCase* begin, const ConversionCase* end) {
    for (const ConversionCase* c = begin; c != end; ++c) {
        const auto result = Convert(c->from, c->to, Bytes(c->input));
        EXPECT_EQ(Hex(result.bytes), c->output) << c->from << " -> " << c->to << ": " << c->input;
        EXPECT_EQ(result.complete, c->complete) << c->from << " -> " << c->to << ": " << c->input;
    }
}

std::optional<std::string> Iconv(const char* from, const char* to, const std::string& bytes) {
    iconv_t handle = iconv_open(to, from);
    if (handle == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::vector<char> input(bytes.begin(), bytes.end());
    std::vector<char> output(bytes.size() * 8 + 64);
    char* in = input.data();
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    const size_t result = iconv(handle, &in, &inLeft, &out, &outLeft);
    const size_t flushed = iconv(handle, nullptr, nullptr, &out, &outLeft);
    iconv_close(handle);
    if (result == static_cast<size_t>(-1) || flushed == static_cast<size_t>(-1) || inLeft) {
        return std::nullopt;
    }
    return std::string(output.data(), output.size() - outLeft);
}

std::vector<uint16_t> EngineDecoding(int codePage, bool multiByte) {
    std::vector<uint16_t> units;
    if (!multiByte) {
        const UnicodeLookup* lookup = CodePageTables::SingleByteDecoding(codePage);
        for (unsigned b = 1; b < 256; ++b) {
            units.push_back(lookup ? lookup->UnitOf(static_cast<uint8_t>(b)) : 0);
        }
        return units;
    }
    const HashConvert* table = CodePageTables::MultiByteDecoding(codePage);
    for (unsigned key = 1; key < 0x10000; ++key) {
        uint32_t value = 0;
        unsigned length = 0;
        if (key < 0x80 && table && table->IsAsciiCompatible()) {
            value = key;
        } else if (key < 0x100) {
            table && table->Find(key, 1, value, length);
        } else {
            // The table keeps a sequence's bytes in text order (lead first).
            table && table->Find((key >> 8) | (key & 0xFF) << 8, 2, value, length);
        }
        units.push_back(static_cast<uint16_t>(value));
    }
    return units;
}

std::vector<uint16_t> EngineEncoding(int codePage) {
    std::vector<uint16_t> keys;
    const HashConvert* table = CodePageTables::Encoding(codePage);
    for (unsigned unit = 1; unit < 0x10000; ++unit) {
        uint32_t value = 0;
        unsigned length = 0;
        if (unit < 0x80 && table && table->IsAsciiCompatible()) {
            value = unit;
        } else if (table && table->Find(unit, 2, value, length) && length == 2) {
            value = (value & 0xFF) << 8 | value >> 8;  // lead byte first, as a number
        }
        keys.push_back(static_cast<uint16_t>(value));
    }
    return keys;
}

}  // namespace enctest

#pragma once
// Helpers of the encoding tests: byte strings written as hex, conversions in one call, and the
// C library's iconv as an independent converter to compare with.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace enctest {

// "E2 82 AC" -> the three bytes (blanks ignored); and back, upper-case pairs separated by blanks.
std::string Bytes(const std::string& hex);
std::string Hex(const std::string& bytes);

struct Converted {
    std::string bytes;
    bool complete;
};
// EncodingConvert::Convert in one call.
Converted Convert(int from, int to, const std::string& bytes);

// One conversion and what it must give: input and output as hex, and the result.
struct ConversionCase {
    int from, to;
    const char* input;
    const char* output;
    bool complete;
};
// Runs each case through Convert and reports every difference.
void ExpectConversions(const ConversionCase* begin, const ConversionCase* end);
template <size_t N>
void ExpectConversions(const ConversionCase (&cases)[N]) {
    ExpectConversions(cases, cases + N);
}

// iconv from one charset to another; nullopt when iconv rejects the input or the charsets.
std::optional<std::string> Iconv(const char* from, const char* to, const std::string& bytes);

// What the engine's tables give for every key (1..0xFF, or 1..0xFFFF with pairs lead byte
// first) and for every UTF-16 unit 1..0xFFFF (the key, lead byte first); 0 where nothing.
std::vector<uint16_t> EngineDecoding(int codePage, bool multiByte);
std::vector<uint16_t> EngineEncoding(int codePage);

}  // namespace enctest

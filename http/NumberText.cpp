#include "http/NumberText.h"

#include <limits>

namespace {

size_t SkipAny(std::string_view text, size_t from, std::string_view skip) {
    while (from < text.size() && skip.find(text[from]) != std::string_view::npos) {
        ++from;
    }
    return from;
}

}  // namespace

bool ReadDecimal(std::string_view text, size_t from, int64_t& value, size_t& end) {
    value = 0;
    size_t at = SkipAny(text, from, " \t");
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    const size_t digitsStart = at;
    uint64_t magnitude = 0;
    const uint64_t limit =
        negative ? uint64_t{1} << 63 : uint64_t{std::numeric_limits<int64_t>::max()};
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        const uint64_t digit = static_cast<uint64_t>(text[at] - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
        ++at;
    }
    if (at == digitsStart) {
        end = from;
        return false;
    }
    end = at;
    value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

bool ReadHex(std::string_view text, size_t from, const char* skip, uint64_t& value, size_t& end) {
    value = 0;
    size_t at = SkipAny(text, from, skip ? skip : "");
    const size_t digitsStart = at;
    for (int digit; at < text.size() && (digit = HexDigitValue(text[at])) >= 0; ++at) {
        value = value > (std::numeric_limits<uint64_t>::max() >> 4)
                    ? std::numeric_limits<uint64_t>::max()
                    : (value << 4) | static_cast<uint64_t>(digit);
    }
    if (at == digitsStart) {
        end = from;
        return false;
    }
    end = at;
    return true;
}

#pragma once
// Reading numbers out of protocol text the lenient way the HTTP client needs: the reader starts
// at an offset, skips the given leading white space, and stops at the first byte that is not a
// digit. Values beyond the 64-bit range saturate instead of wrapping.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/AsciiText.h"

// A decimal number with an optional sign after leading blanks and tabs. False when no digit
// follows; `end` is the offset after the last digit read.
bool ReadDecimal(std::string_view text, size_t from, int64_t& value, size_t& end);

// A hexadecimal number after leading bytes of `skip`. False when no hex digit follows; `end` is
// the offset after the last digit read.
bool ReadHex(std::string_view text, size_t from, const char* skip, uint64_t& value, size_t& end);

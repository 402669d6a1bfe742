#pragma once
// Dates in HTTP header form (RFC 1123), such as "Sun, 06 Nov 1994 08:49:37 GMT".

#include <cstdint>

class StringBuffer;

// Appends the UTC time `secondsSince1970` (seconds since 1970-01-01 00:00:00 UTC; earlier times
// are negative). Years outside 0..9999 are written with as many digits as they need.
bool AppendRfc1123Date(StringBuffer& out, int64_t secondsSince1970);

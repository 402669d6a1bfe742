#pragma once
// Base64 with the standard alphabet, as the stored tables and UTF-7 use it.

#include <cstddef>

class DataBuffer;
class StringBuffer;

// The standard base64 alphabet, and the value of one of its characters (-1 for any other).
inline constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
inline int Base64Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Base64 with "=" padding to bytes, appended to `out`; false (and `out` as it was) at any other
// character or a wrong padding.
bool DecodeBase64(const char* text, size_t length, DataBuffer& out);

// The bytes as Base64 with "=" padding and no line breaks, appended to `out`.
void EncodeBase64(const void* bytes, size_t length, StringBuffer& out);

#pragma once
// ASCII letter case for protocol text: header names, tokens and charset names are compared
// without regard to the case of A-Z only.

#include <string>
#include <string_view>

inline char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLowerCopy(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = AsciiLower(c);
    }
    return lower;
}

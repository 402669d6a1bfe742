#pragma once
// Numeric IP addresses as text: recognising dotted IPv4 and colon-hexadecimal IPv6 texts, and
// printing addresses. Only digits, dots, colons and hexadecimal letters are ever accepted; nothing
// here looks a name up.

#include <string_view>

class StringBuffer;

// Four decimal parts of 0 to 255 separated by single dots ("1.2.3.4"; leading zeros allowed).
// Anything else (three or five parts, an empty part, a trailing dot, a sign, blanks) is refused.
bool ParseIpv4Text(std::string_view text, unsigned char address[4]);

// The text forms of RFC 4291 section 2.2: up to eight groups of one to four hexadecimal digits,
// at most one "::" standing for one or more zero groups, and an optional dotted IPv4 tail in the
// last 32 bits.
bool ParseIpv6Text(std::string_view text, unsigned char address[16]);

// Replaces `out` by the address as text. Family 2 (IPv4): "a.b.c.d". Family 23 (IPv6): "::" for
// the zero address, "::ffff:a.b.c.d" for mapped and "::a.b.c.d" for compatible IPv4 addresses
// (but "::1" for the loopback address), otherwise lower-case groups without leading zeros, the
// longest run of two or more zero groups (the first of equal runs) written as "::".
// False (and `out` empty) for any other family.
bool FormatAddress(int family, const unsigned char* address, StringBuffer& out);

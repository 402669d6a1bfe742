// Entity decoding of element text. Feeds often escape their HTML once more inside XML, so after
// the parser has replaced the five XML entities a text can still hold references such as
// "&eacute;" or "&#8217;". They are replaced here, in place, by fixed passes, each turning one
// reference into one byte: the byte of its character in Windows-1252, whatever the encoding of
// the surrounding text. The passes run in a fixed order and never rescan their own output, so a
// reference produced by an earlier pass is decoded only by a later one ("&amp;lt;" becomes "<",
// "&amp;quot;" stays "&quot;").
//
// Cost: each basic pass scans the whole text once; the named stage is one more pass, skipped
// entirely when the first leaves no "&", which is the common case.

#include <cstdint>
#include <cstring>
#include <algorithm>
#include <iterator>

#include "core/AsciiText.h"
#include "core/StringBuffer.h"

namespace {

struct Reference {
    const char* text;
    unsigned char byte;
};

// Stage 1: the XML entities and the no-break space (as a plain blank).
constexpr Reference kBasicReferences[] = {
    {"&quot;", 0x22}, {"&apos;", 0x27}, {"&amp;", 0x26},
    {"&lt;", 0x3C},   {"&gt;", 0x3E},   {"&nbsp;", 0x20},
};

// Stage 2: named and decimal references of Latin-1 and the Windows-1252 block, in this order.
constexpr Reference kNamedReferences[] = {
    // Latin-1 signs.
    {"&iexcl;", 0xA1}, {"&curren;", 0xA4}, {"&cent;", 0xA2}, {"&pound;", 0xA3}, {"&yen;", 0xA5},
    {"&brvbar;", 0xA6}, {"&sect;", 0xA7}, {"&uml;", 0xA8}, {"&copy;", 0xA9}, {"&ordf;", 0xAA},
    {"&laquo;", 0xAB}, {"&not;", 0xAC}, {"&shy;", 0xAD}, {"&reg;", 0xAE},
    {"&trade;", 0x99}, {"&#8482;", 0x99},
    {"&macr;", 0xAF}, {"&deg;", 0xB0}, {"&plusmn;", 0xB1}, {"&sup2;", 0xB2}, {"&sup3;", 0xB3},
    {"&acute;", 0xB4}, {"&micro;", 0xB5}, {"&para;", 0xB6}, {"&middot;", 0xB7},
    {"&cedil;", 0xB8}, {"&sup1;", 0xB9}, {"&ordm;", 0xBA}, {"&raquo;", 0xBB},
    {"&frac14;", 0xBC}, {"&frac12;", 0xBD}, {"&frac34;", 0xBE}, {"&iquest;", 0xBF},
    {"&times;", 0xD7}, {"&divide;", 0xF7},
    // Latin-1 capitals.
    {"&Agrave;", 0xC0}, {"&Aacute;", 0xC1}, {"&Acirc;", 0xC2}, {"&Atilde;", 0xC3},
    {"&Auml;", 0xC4}, {"&Aring;", 0xC5}, {"&AElig;", 0xC6}, {"&Ccedil;", 0xC7},
    {"&Egrave;", 0xC8}, {"&Eacute;", 0xC9}, {"&Ecirc;", 0xCA}, {"&Euml;", 0xCB},
    {"&Igrave;", 0xCC}, {"&Iacute;", 0xCD}, {"&Icirc;", 0xCE}, {"&Iuml;", 0xCF},
    {"&ETH;", 0xD0}, {"&Ntilde;", 0xD1}, {"&Ograve;", 0xD2}, {"&Oacute;", 0xD3},
    {"&Ocirc;", 0xD4}, {"&Otilde;", 0xD5}, {"&Ouml;", 0xD6},
    {"&Oslash;", 0xD8}, {"&Ugrave;", 0xD9}, {"&Uacute;", 0xDA}, {"&Ucirc;", 0xDB},
    {"&Uuml;", 0xDC}, {"&Yacute;", 0xDD}, {"&THORN;", 0xDE}, {"&szlig;", 0xDF},
    // Latin-1 small letters (the bullet falls between them in this order).
    {"&agrave;", 0xE0}, {"&aacute;", 0xE1}, {"&acirc;", 0xE2}, {"&atilde;", 0xE3},
    {"&auml;", 0xE4}, {"&aring;", 0xE5}, {"&aelig;", 0xE6}, {"&ccedil;", 0xE7},
    {"&egrave;", 0xE8},
    {"&bull;", 0x95},
    {"&eacute;", 0xE9}, {"&ecirc;", 0xEA}, {"&euml;", 0xEB}, {"&igrave;", 0xEC},
    {"&iacute;", 0xED}, {"&icirc;", 0xEE}, {"&iuml;", 0xEF}, {"&eth;", 0xF0},
    {"&ntilde;", 0xF1}, {"&ograve;", 0xF2}, {"&oacute;", 0xF3}, {"&ocirc;", 0xF4},
    {"&otilde;", 0xF5}, {"&ouml;", 0xF6},
    {"&oslash;", 0xF8}, {"&ugrave;", 0xF9}, {"&uacute;", 0xFA}, {"&ucirc;", 0xFB},
    {"&uuml;", 0xFC}, {"&yacute;", 0xFD}, {"&thorn;", 0xFE}, {"&yuml;", 0xFF},
    // Letters and accents of the Windows-1252 block, name then decimal form.
    {"&OElig;", 0x8C}, {"&#338;", 0x8C}, {"&oelig;", 0x9C}, {"&#339;", 0x9C},
    {"&Scaron;", 0x8A}, {"&#352;", 0x8A}, {"&scaron;", 0x9A}, {"&#353;", 0x9A},
    {"&Yuml;", 0x9F}, {"&#376;", 0x9F}, {"&circ;", 0x88}, {"&#710;", 0x88},
    {"&tilde;", 0x98}, {"&#732;", 0x98},
    // Spaces and invisible marks, all as a blank.
    {"&ensp;", 0x20}, {"&#8194;", 0x20}, {"&emsp;", 0x20}, {"&#8195;", 0x20},
    {"&thinsp;", 0x20}, {"&#8201;", 0x20}, {"&zwnj;", 0x20}, {"&#8204;", 0x20},
    {"&zwj;", 0x20}, {"&#8205;", 0x20}, {"&lrm;", 0x20}, {"&#8206;", 0x20},
    {"&rlm;", 0x20}, {"&#8207;", 0x20},
    // Punctuation of the Windows-1252 block, name then decimal form; the euro last.
    {"&ndash;", 0x96}, {"&#8211;", 0x96}, {"&mdash;", 0x97}, {"&#8212;", 0x97},
    {"&lsquo;", 0x91}, {"&#8216;", 0x91}, {"&rsquo;", 0x92}, {"&#8217;", 0x92},
    {"&sbquo;", 0x82}, {"&#8218;", 0x82}, {"&ldquo;", 0x93}, {"&#8220;", 0x93},
    {"&rdquo;", 0x94}, {"&#8221;", 0x94}, {"&bdquo;", 0x84}, {"&#8222;", 0x84},
    {"&dagger;", 0x86}, {"&#8224;", 0x86}, {"&Dagger;", 0x87}, {"&#8225;", 0x87},
    {"&hellip;", 0x85}, {"&#8230;", 0x85}, {"&permil;", 0x89}, {"&#8240;", 0x89},
    {"&lsaquo;", 0x8B}, {"&#8249;", 0x8B}, {"&rsaquo;", 0x9B}, {"&#8250;", 0x9B},
    {"&euro;", 0x80}, {"&#8364;", 0x80}, {"&#x20AC;", 0x80},
};

void ReplaceReferences(StringBuffer& text, const Reference* begin, const Reference* end) {
    for (const Reference* ref = begin; ref != end; ++ref) {
        text.ReplaceAllWithChar(ref->text, static_cast<char>(ref->byte));
    }
}

// The named reference that starts at `at` (on an "&"), or null.
const Reference* NamedReferenceAt(const char* at, size_t available) {
    constexpr size_t kLongest = 9;  // "&#x20AC;" and the longest names fit
    const void* semicolon = std::memchr(at, ';', std::min(available, kLongest));
    if (!semicolon) return nullptr;
    const size_t length = static_cast<const char*>(semicolon) - at + 1;
    for (const Reference& ref : kNamedReferences) {
        if (std::strncmp(ref.text, at, length) == 0 && ref.text[length] == '\0') return &ref;
    }
    return nullptr;
}

// The named references in one pass over the text. It gives what replacing each reference of
// the table in turn gives: every reference is "&", name characters and ";", so no two
// occurrences overlap, and every replacement byte is a blank or above 0x7F, so no replacement
// forms a new reference for a later one. (The basic stage cannot be done this way: "&amp;"
// makes new references.)
void ReplaceNamedReferences(StringBuffer& text) {
    char* data = text.MutableText();
    if (!data) return;
    const uint32_t length = text.GetSize();
    uint32_t out = 0;
    for (uint32_t in = 0; in < length;) {
        const Reference* ref = data[in] == '&' ? NamedReferenceAt(data + in, length - in) : nullptr;
        if (ref) {
            data[out++] = static_cast<char>(ref->byte);
            in += static_cast<uint32_t>(std::strlen(ref->text));
        } else {
            data[out++] = data[in++];
        }
    }
    text.Shorten(length - out);
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a number the way the C library's "%d" or "%x" conversion does: leading whitespace, an
// optional sign, for base 16 an optional "0x", then digits. The value saturates instead of
// overflowing. False when no digit was read.
bool ScanNumber(const char* text, size_t length, int base, int64_t& value) {
    size_t i = 0;
    while (i < length && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool sawDigit = false;
    if (base == 16 && i + 1 < length && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        sawDigit = true;  // "0x" with no digit after it reads as 0
        i += 2;
    }
    int64_t result = 0;
    for (; i < length; ++i) {
        const int digit = base == 16 ? HexDigitValue(text[i]) : (IsDecimalDigit(text[i]) ? text[i] - '0' : -1);
        if (digit < 0) {
            break;
        }
        sawDigit = true;
        if (result < (int64_t{1} << 40)) {
            result = result * base + digit;
        }
    }
    value = negative ? -result : result;
    return sawDigit;
}

bool InByteRange(int64_t value, int64_t highest) { return value >= 1 && value <= highest; }

// One pass over the text for numeric references ("&#xHH" with base 16, "&#DDD" with base 10).
// At a reference whose first reading is in range, the leading digits (up to two hexadecimal or
// three decimal ones) are read again; when that value is a byte, it replaces the reference and
// the one byte after the digits (normally the ";") is skipped, whatever it is.
void DecodeNumericReferences(StringBuffer& text, int base) {
    const uint32_t minimumLength = base == 16 ? 5 : 4;
    const uint32_t length = text.GetSize();
    if (length < minimumLength) {
        return;
    }
    const char* in = text.GetString();
    const uint32_t prefixLength = base == 16 ? 3 : 2;  // "&#x" or "&#"
    const uint32_t maxDigits = base == 16 ? 2 : 3;
    const int64_t firstReadingLimit = base == 16 ? 255 : 254;

    StringBuffer out = StringBuffer::WithCapacity(length + 1);
    uint32_t references = 0;
    uint32_t i = 0;
    while (i < length) {
        const bool candidate = in[i] == '&' && length - i - 1 >= prefixLength + 1 &&
                               in[i + 1] == '#' && (base == 10 || in[i + 2] == 'x');
        int64_t first = 0;
        if (candidate && ScanNumber(in + i + prefixLength, length - i - prefixLength, base, first) &&
            InByteRange(first, firstReadingLimit)) {
            const uint32_t digitsStart = i + prefixLength;
            uint32_t digits = 1;
            while (digits < maxDigits && digitsStart + digits < length) {
                const char next = in[digitsStart + digits];
                if (!(base == 16 ? HexDigitValue(next) >= 0 : IsDecimalDigit(next))) {
                    break;
                }
                ++digits;
            }
            int64_t second = 0;
            if (ScanNumber(in + digitsStart, digits, base, second)) {
                ++references;
                if (InByteRange(second, 255)) {
                    out.AppendChar(static_cast<char>(second));
                    i = std::min(length, digitsStart + digits + 1);
                    continue;
                }
            }
        }
        out.AppendChar(in[i]);
        ++i;
    }
    if (references > 0) {
        text.SetString(out);
    }
}

}  // namespace

void StringBuffer::DecodeEntities() {
    if (Contains("&")) {
        ReplaceReferences(*this, std::begin(kBasicReferences), std::end(kBasicReferences));
        if (Contains("&")) {
            ReplaceNamedReferences(*this);
        }
    }
    ReplaceAll("&amp;", "&");
    DecodeNumericReferences(*this, 16);
    DecodeNumericReferences(*this, 10);
}

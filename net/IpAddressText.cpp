#include "net/IpAddressText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "core/AsciiText.h"
#include "core/StringBuffer.h"
#include "platform/Sockets.h"

namespace {

// One group of one to four hexadecimal digits.
bool ParseHexGroup(std::string_view token, uint16_t& value) {
    if (token.empty() || token.size() > 4) {
        return false;
    }
    value = 0;
    for (char c : token) {
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            return false;
        }
        value = static_cast<uint16_t>(value * 16 + digit);
    }
    return true;
}

void AppendDotted(const unsigned char* bytes, StringBuffer& out) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", bytes[0], bytes[1], bytes[2], bytes[3]);
    out.Append(text);
}

bool AllZero(const unsigned char* bytes, int count) {
    for (int i = 0; i < count; ++i) {
        if (bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

void FormatIpv6(const unsigned char* bytes, StringBuffer& out) {
    const bool loopback = AllZero(bytes, 15) && bytes[15] == 1;
    if (AllZero(bytes, 16)) {
        out.Append("::");
        return;
    }
    if (AllZero(bytes, 10) && bytes[10] == 0xFF && bytes[11] == 0xFF) {
        out.Append("::ffff:");
        AppendDotted(bytes + 12, out);
        return;
    }
    if (AllZero(bytes, 12) && !loopback) {
        out.Append("::");
        AppendDotted(bytes + 12, out);
        return;
    }
    uint16_t groups[8];
    for (int i = 0; i < 8; ++i) {
        groups[i] = static_cast<uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
    }
    int bestStart = -1;
    int bestLength = 1;  // a single zero group is written out, not shortened
    for (int i = 0; i < 8;) {
        if (groups[i] != 0) {
            ++i;
            continue;
        }
        int end = i;
        while (end < 8 && groups[end] == 0) {
            ++end;
        }
        if (end - i > bestLength) {
            bestStart = i;
            bestLength = end - i;
        }
        i = end;
    }
    for (int i = 0; i < 8; ++i) {
        if (i == bestStart) {
            out.Append("::");
            i += bestLength - 1;
            continue;
        }
        if (i > 0 && i != bestStart + bestLength) {
            out.AppendChar(':');
        }
        char text[8];
        std::snprintf(text, sizeof text, "%x", groups[i]);
        out.Append(text);
    }
}

}  // namespace

bool ParseIpv4Text(std::string_view text, unsigned char address[4]) {
    unsigned values[4] = {};
    int parts = 0;
    bool afterDigit = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (!afterDigit) {
                if (++parts > 4) {
                    return false;
                }
            }
            unsigned& value = values[parts - 1];
            value = value * 10 + static_cast<unsigned>(c - '0');
            if (value > 255) {
                return false;
            }
            afterDigit = true;
        } else if (c == '.') {
            if (!afterDigit || parts == 4) {
                return false;
            }
            afterDigit = false;
        } else {
            return false;
        }
    }
    if (parts != 4 || !afterDigit) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        address[i] = static_cast<unsigned char>(values[i]);
    }
    return true;
}

bool ParseIpv6Text(std::string_view text, unsigned char address[16]) {
    uint16_t head[8] = {};
    uint16_t tail[8] = {};
    int headCount = 0;
    int tailCount = 0;
    bool compressed = false;
    size_t i = 0;
    if (text.substr(0, 2) == "::") {
        compressed = true;
        i = 2;
    } else if (text.empty() || text[0] == ':') {
        return false;
    }
    while (i < text.size()) {
        const size_t end = std::min(text.find(':', i), text.size());
        const std::string_view token = text.substr(i, end - i);
        uint16_t* groups = compressed ? tail : head;
        int& count = compressed ? tailCount : headCount;
        if (token.find('.') != std::string_view::npos) {
            unsigned char v4[4];
            if (end != text.size() || headCount + tailCount + 2 > 8 || !ParseIpv4Text(token, v4)) {
                return false;
            }
            groups[count++] = static_cast<uint16_t>(v4[0] << 8 | v4[1]);
            groups[count++] = static_cast<uint16_t>(v4[2] << 8 | v4[3]);
            break;
        }
        if (headCount + tailCount >= 8 || !ParseHexGroup(token, groups[count])) {
            return false;
        }
        ++count;
        if (end == text.size()) {
            break;
        }
        if (end + 1 < text.size() && text[end + 1] == ':') {
            if (compressed) {
                return false;
            }
            compressed = true;
            i = end + 2;
        } else {
            i = end + 1;
            if (i == text.size()) {
                return false;  // a trailing single colon
            }
        }
    }
    const int total = headCount + tailCount;
    if (compressed ? total > 7 : total != 8) {
        return false;
    }
    uint16_t groups[8] = {};
    for (int k = 0; k < headCount; ++k) {
        groups[k] = head[k];
    }
    for (int k = 0; k < tailCount; ++k) {
        groups[8 - tailCount + k] = tail[k];
    }
    for (int k = 0; k < 8; ++k) {
        address[2 * k] = static_cast<unsigned char>(groups[k] >> 8);
        address[2 * k + 1] = static_cast<unsigned char>(groups[k] & 0xFF);
    }
    return true;
}

bool FormatAddress(int family, const unsigned char* address, StringBuffer& out) {
    out.Clear();
    if (family == platform::kFamilyIpv4) {
        AppendDotted(address, out);
        return true;
    }
    if (family == platform::kFamilyIpv6) {
        FormatIpv6(address, out);
        return true;
    }
    return false;
}

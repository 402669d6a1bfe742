#include "http/MimeCharset.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/DataBuffer.h"
#include "core/StringBuffer.h"
#include "encoding/Base64.h"
#include "encoding/CharsetRegistry.h"
#include "encoding/EncodingConvert.h"
#include "encoding/StringBufferConversion.h"
#include "http/AsciiCase.h"
#include "http/NumberText.h"
#include "platform/SystemInfo.h"

namespace {

constexpr uint32_t kUtf8 = 65001;
constexpr uint32_t kIso2022Jp = 50222;

bool HasHighBytes(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Whether the whole text converts to UTF-8 from the code page without losing a character.
bool ConvertsCleanly(std::string_view text, uint32_t codePage) {
    DataBuffer scratch;
    return EncodingConvert().Convert(static_cast<int>(codePage), static_cast<int>(kUtf8),
                                     text.data(), static_cast<uint32_t>(text.size()), scratch);
}

// The code page of a charset name followed by one digit in a range: "windows-125" and 0-8
// gives 1250-1258.
uint32_t NamedWithDigit(const std::string& lower, const char* prefix, char low, char high,
                        uint32_t base) {
    const std::string_view name(prefix);
    for (size_t at = lower.find(name); at != std::string::npos; at = lower.find(name, at + 1)) {
        const size_t digitAt = at + name.size();
        if (digitAt < lower.size() && lower[digitAt] >= low && lower[digitAt] <= high) {
            return base + static_cast<uint32_t>(lower[digitAt] - '0');
        }
    }
    return 0;
}

// The charset the first encoded word names, or 0.
uint32_t EncodedWordCodePage(std::string_view text, const std::string& lower) {
    const size_t start = text.find("=?");
    if (start == std::string_view::npos) {
        return 0;
    }
    const size_t q = lower.find("?q?", start + 2);
    const size_t b = lower.find("?b?", start + 2);
    const size_t end = std::min(q, b);
    if (end == std::string::npos) {
        return 0;
    }
    const std::string name(text.substr(start + 2, end - start - 2));
    return static_cast<uint32_t>(CodePageOfName(name.c_str()));
}

// 8-bit text: a charset the text names and converts cleanly from, else a guess.
uint32_t EightBitCodePage(std::string_view text, const std::string& lower) {
    uint32_t named = NamedWithDigit(lower, "windows-125", '0', '8', 1250);
    if (!named) {
        named = NamedWithDigit(lower, "iso-8859-", '1', '8', 28590);
    }
    if (!named && lower.find("koi8-r") != std::string::npos) {
        named = 20866;
    } else if (!named && lower.find("koi8-u") != std::string::npos) {
        named = 21866;
    }
    if (named && ConvertsCleanly(text, named)) {
        return named;
    }

    struct Candidate {
        const char* name;
        uint32_t codePage;
    };
    static const Candidate kNamed[] = {
        {"gb2312", 936},      {"shift_jis", 932}, {"windows-31j", 932}, {"ks_c_5601-1987", 949},
        {"windows-874", 874}, {"big5", 950},      {"euc-kr", 51949},
    };
    for (const Candidate& candidate : kNamed) {
        if (lower.find(candidate.name) != std::string::npos &&
            ConvertsCleanly(text, candidate.codePage)) {
            return candidate.codePage;
        }
    }
    // Then the members of a charset family the text mentions, in order.
    struct Family {
        const char* mark;
        std::vector<uint32_t> codePages;
    };
    static const Family kFamilies[] = {
        {"iso-8859", {28592, 28593, 28594, 28595, 28596, 28597, 28598, 28599}},
        {"windows-125", {1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257}},
        {"koi8-", {20866, 21866}},
    };
    for (const Family& family : kFamilies) {
        if (lower.find(family.mark) == std::string::npos) {
            continue;
        }
        for (uint32_t codePage : family.codePages) {
            if (ConvertsCleanly(text, codePage)) {
                return codePage;
            }
        }
    }

    for (size_t i = 0; i + 1 < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if ((lead == 0xC2 || lead == 0xC3) && static_cast<unsigned char>(text[i + 1]) >= 0x80) {
            return kUtf8;
        }
    }
    for (uint32_t codePage : {static_cast<uint32_t>(platform::AnsiCodePage()), 28591u, 28592u}) {
        if (ConvertsCleanly(text, codePage)) {
            return codePage;
        }
    }
    return 0;
}

// The "Q" coding of encoded words: "_" is a blank, "=XX" a byte in hexadecimal.
bool DecodeQ(std::string_view text, DataBuffer& bytes) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_') {
            bytes.AppendByte(' ');
        } else if (text[i] == '=') {
            if (i + 2 >= text.size()) {
                return false;
            }
            const int high = HexDigitValue(text[i + 1]);
            const int low = HexDigitValue(text[i + 2]);
            if (high < 0 || low < 0) {
                return false;
            }
            bytes.AppendByte(static_cast<unsigned char>(high * 16 + low));
            i += 2;
        } else {
            bytes.AppendByte(static_cast<unsigned char>(text[i]));
        }
    }
    return true;
}

// One encoded word at the start of `text` ("=?charset?X?payload?="): its UTF-8 text and length.
bool DecodeWordAt(std::string_view text, std::string& utf8, size_t& length) {
    if (text.substr(0, 2) != "=?") {
        return false;
    }
    const size_t charsetEnd = text.find('?', 2);
    if (charsetEnd == std::string_view::npos || charsetEnd + 2 >= text.size() ||
        text[charsetEnd + 2] != '?') {
        return false;
    }
    const size_t payloadStart = charsetEnd + 3;
    const size_t payloadEnd = text.find("?=", payloadStart);
    if (payloadEnd == std::string_view::npos) {
        return false;
    }
    std::string charset(text.substr(2, charsetEnd - 2));
    charset = charset.substr(0, charset.find('*'));  // an RFC 2231 language suffix
    const int codePage = CodePageOfName(charset.c_str());
    if (codePage == 0) {
        return false;
    }
    const char coding = text[charsetEnd + 1];
    const std::string_view payload = text.substr(payloadStart, payloadEnd - payloadStart);
    DataBuffer bytes;
    const bool decoded = (coding == 'B' || coding == 'b')
                             ? DecodeBase64(payload.data(), payload.size(), bytes)
                         : (coding == 'Q' || coding == 'q') ? DecodeQ(payload, bytes)
                                                            : false;
    if (!decoded) {
        return false;
    }
    DataBuffer converted;
    EncodingConvert().Convert(codePage, static_cast<int>(kUtf8), bytes.GetData(), bytes.GetSize(),
                              converted);
    utf8.assign(reinterpret_cast<const char*>(converted.GetData()), converted.GetSize());
    length = payloadEnd + 2;
    return true;
}

}  // namespace

uint32_t DetectFieldTextCodePage(StringBuffer& text) {
    const std::string_view view(text.GetString(), text.GetSize());
    const std::string lower = AsciiLowerCopy(view);
    if (lower.find("?q?") != std::string::npos || lower.find("?b?") != std::string::npos) {
        if (const uint32_t named = EncodedWordCodePage(view, lower)) {
            return named;
        }
    }
    if (!HasHighBytes(view)) {
        if (view.find("\x1b$B") != std::string_view::npos ||
            view.find("\x1b(B") != std::string_view::npos) {
            ConvertInPlace(text, static_cast<int>(kIso2022Jp), static_cast<int>(kUtf8));
            return kUtf8;
        }
        return 0;
    }
    return EightBitCodePage(view, lower);
}

void ConvertFieldToUtf8(StringBuffer& text, uint32_t codePage) {
    if (codePage == 0 || codePage == kUtf8 ||
        !HasHighBytes(std::string_view(text.GetString(), text.GetSize()))) {
        return;
    }
    ConvertInPlace(text, static_cast<int>(codePage), static_cast<int>(kUtf8));
}

void DecodeEncodedWords(StringBuffer& value) {
    const std::string_view text(value.GetString(), value.GetSize());
    std::string out;
    std::string word;
    size_t length = 0;
    bool afterWord = false;
    for (size_t at = 0; at < text.size();) {
        if (DecodeWordAt(text.substr(at), word, length)) {
            out += word;
            at += length;
            afterWord = true;
            continue;
        }
        if (afterWord) {
            // Blanks between two encoded words are not part of the text.
            const size_t next = text.find_first_not_of(" \t", at);
            if (next != std::string_view::npos && next != at &&
                DecodeWordAt(text.substr(next), word, length)) {
                at = next;
                continue;
            }
        }
        afterWord = false;
        out.push_back(text[at]);
        ++at;
    }
    value.SetBytes(out.data(), static_cast<uint32_t>(out.size()));
}

#include "xml/XmlEncodingDetection.h"

#include <string_view>

#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "core/StringBuffer.h"
#include "encoding/CharsetRegistry.h"
#include "encoding/EncodingConvert.h"

namespace {

constexpr int kUtf16Le = 1200;
constexpr int kUtf16Be = 1201;
constexpr int kUtf8 = 65001;

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Position of the first "<?xml" in any letter case, or npos.
size_t FindDeclarationStart(std::string_view bytes) {
    constexpr std::string_view kStart = "<?xml";
    for (size_t at = bytes.find("<?"); at != std::string_view::npos; at = bytes.find("<?", at + 1)) {
        if (bytes.size() - at >= kStart.size()) {
            bool same = true;
            for (size_t i = 2; i < kStart.size() && same; ++i) {
                same = FoldAscii(bytes[at + i]) == kStart[i];
            }
            if (same) {
                return at;
            }
        }
    }
    return std::string_view::npos;
}

// The charset named by the declaration's encoding pseudo-attribute, read from the declaration
// with its blanks taken out and its letters lowered; empty when there is none to be had.
StringBuffer DeclaredCharset(std::string_view bytes) {
    StringBuffer name;
    const size_t start = FindDeclarationStart(bytes);
    if (start == std::string_view::npos) {
        return name;
    }
    const size_t end = bytes.find('>', start);
    if (end == std::string_view::npos) {
        return name;
    }
    StringBuffer declaration(bytes.data() + start, static_cast<uint32_t>(end - start));
    declaration.RemoveChar(' ');
    declaration.ToLowerCase();
    const std::string_view text(declaration.GetString(), declaration.GetSize());
    for (const std::string_view marker : {std::string_view("encoding=\""), std::string_view("encoding='")}) {
        const size_t found = text.find(marker);
        if (found == std::string_view::npos) {
            continue;
        }
        const size_t valueStart = found + marker.size();
        const size_t valueEnd = text.find(marker.back(), valueStart);
        if (valueEnd != std::string_view::npos) {
            name.SetBytes(text.data() + valueStart, static_cast<uint32_t>(valueEnd - valueStart));
        }
        break;  // the double-quoted form, when present, decides
    }
    return name;
}

// Replaces the bytes by their conversion to UTF-8; with keepWhenEmpty, a conversion that gives
// nothing leaves them as they are.
void ConvertWhole(DataBuffer& bytes, int fromCodePage, bool keepWhenEmpty) {
    DataBuffer converted;
    EncodingConvert().Convert(fromCodePage, kUtf8, bytes.GetData(), bytes.GetSize(), converted);
    if (converted.GetSize() == 0 && keepWhenEmpty) {
        return;
    }
    bytes = converted;
}

}  // namespace

bool ConvertToUtf8ForParse(DataBuffer& bytes, LogBase& /*log*/) {
    if (bytes.GetSize() == 0) {
        return false;
    }
    const unsigned char* data = bytes.GetData();
    const uint32_t size = bytes.GetSize();
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        ConvertWhole(bytes, kUtf16Le, false);
        return true;
    }
    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
        ConvertWhole(bytes, kUtf16Be, false);
        return true;
    }
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        DataBuffer rest;
        rest.Append(data + 3, size - 3);
        bytes = rest;
        return true;
    }
    const StringBuffer charset = DeclaredCharset(std::string_view(reinterpret_cast<const char*>(data), size));
    if (charset.IsEmpty() || charset.EqualsNoCase("utf-8")) {
        return true;
    }
    const int codePage = CodePageOfName(charset.GetString());
    if (codePage == 0) {
        return true;
    }
    ConvertWhole(bytes, codePage, true);
    return true;
}

// Drives StringBuffer's replace, split and clean-up operations with arbitrary bytes and checks
// them against straightforward std::string versions of the same rules.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "core/DataBuffer.h"
#include "core/ExtPtrArray.h"
#include "core/StringBuffer.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::string Text(const StringBuffer& sb) { return std::string(sb.GetString(), sb.GetSize()); }

void RequireInvariant(const StringBuffer& sb) {
    Require(sb.GetSize() < sb.GetCapacity());
    Require(sb.GetString()[sb.GetSize()] == '\0');
}

std::string ReplaceAllReference(const std::string& text, const std::string& from,
                                const std::string& to, uint32_t& count) {
    count = 0;
    if (from.empty()) {
        return text;
    }
    std::string out;
    size_t position = 0;
    for (size_t match; (match = text.find(from, position)) != std::string::npos;
         position = match + from.size()) {
        out.append(text, position, match - position).append(to);
        ++count;
    }
    return out.append(text, position, std::string::npos);
}

void CheckReplace(const std::string& text, const std::string& from, const std::string& to) {
    StringBuffer sb(text.data(), static_cast<uint32_t>(text.size()));
    uint32_t expectedCount = 0;
    const std::string expected = ReplaceAllReference(text, from, to, expectedCount);
    Require(sb.ReplaceAll(from.c_str(), to.c_str()) == expectedCount);
    Require(Text(sb) == expected);
    RequireInvariant(sb);
}

void CheckSplit(const std::string& text, char delimiter, bool quotes, bool escapes) {
    StringBuffer sb(text.data(), static_cast<uint32_t>(text.size()));
    ExtPtrArray pieces;
    pieces.SetOwnsItems(true);
    Require(sb.Split(pieces, delimiter, quotes, escapes));
    // Joining the pieces with the delimiter gives the text back.
    std::string joined;
    for (uint32_t i = 0; i < pieces.Count(); ++i) {
        if (i) {
            joined.push_back(delimiter);
        }
        joined += Text(*pieces.ItemAs<StringBuffer>(i));
    }
    Require(joined == text);
}

void CheckSplitOnString(const std::string& text, const std::string& delimiter, uint32_t limit) {
    StringBuffer sb(text.data(), static_cast<uint32_t>(text.size()));
    ExtPtrArray pieces;
    pieces.SetOwnsItems(true);
    Require(sb.SplitOnString(pieces, delimiter.c_str(), limit));
    for (uint32_t i = 0; i < pieces.Count(); ++i) {
        const auto* piece = pieces.ItemAs<StringBuffer>(i);
        Require(piece->GetSize() > 0);
        Require(text.find(Text(*piece)) != std::string::npos);
    }
}

void CheckCleanUps(const std::string& text) {
    StringBuffer sb(text.data(), static_cast<uint32_t>(text.size()));
    sb.Trim();
    RequireInvariant(sb);
    Require(sb.GetSize() <= text.size());
    sb.CollapseWhitespace();
    sb.EncodeXmlSpecial();
    sb.ToCrlf();
    sb.ToLf();
    sb.KeepNameChars();
    sb.ToUpperCase();
    RequireInvariant(sb);
    DataBuffer bytes;
    StringBuffer(text.c_str()).HexDecodeInto(bytes);
    Require(bytes.GetSize() <= text.size() / 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    // Search and replacement texts are C strings: they end at their first NUL.
    const std::string from = input.ConsumeRandomLengthString(8).c_str();
    const std::string to = input.ConsumeRandomLengthString(8).c_str();
    const char delimiter = input.ConsumeIntegral<char>();
    const bool quotes = input.ConsumeBool();
    const bool escapes = input.ConsumeBool();
    const uint32_t limit = input.ConsumeIntegralInRange<uint32_t>(0, 4);
    const std::string text = input.ConsumeRemainingBytesAsString();

    CheckReplace(text, from, to);
    if (!quotes && !escapes) {
        CheckSplit(text, delimiter, quotes, escapes);
    } else {
        StringBuffer sb(text.data(), static_cast<uint32_t>(text.size()));
        ExtPtrArray pieces;
        pieces.SetOwnsItems(true);
        Require(sb.Split(pieces, delimiter, quotes, escapes));
    }
    CheckSplitOnString(text, from, limit);
    CheckCleanUps(text);
    return 0;
}

#include "http/HtmlHelp.h"

#include <cstring>

#include "core/StringBuffer.h"
#include "http/AsciiCase.h"
#include "xml/ParseEngine.h"

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsQuote(char c) { return c == '"' || c == '\''; }

// The first occurrence of `needle` in the NUL-terminated `haystack`, ignoring ASCII case.
const char* FindNoCase(const char* haystack, const char* needle) {
    const size_t needleLength = std::strlen(needle);
    if (needleLength == 0) return haystack;
    for (const char* at = haystack; *at; ++at) {
        size_t i = 0;
        while (i < needleLength && at[i] && AsciiLower(at[i]) == AsciiLower(needle[i])) ++i;
        if (i == needleLength) return at;
    }
    return nullptr;
}

// The end of a tag that starts at `tagStart`: the first '>' outside a quoted value; failing
// that, the first '>' at all; failing that, the end of the text.
const char* EndOfTag(const char* tagStart) {
    char quote = 0;
    for (const char* at = tagStart; *at; ++at) {
        if (quote != 0) {
            if (*at == quote) quote = 0;
        } else if (IsQuote(*at)) {
            quote = *at;
        } else if (*at == '>') {
            return at;
        }
    }
    const char* anyClose = std::strchr(tagStart, '>');
    return anyClose ? anyClose : tagStart + std::strlen(tagStart);
}

// Rewrites one tag into "<name attr="value" ...>" form, driven by a cursor over its text.
class TagNormalizer {
public:
    TagNormalizer(const char* tagText, StringBuffer& out) : out_(out) { cursor_.LoadText(tagText); }

    void Run() {
        out_.Clear();
        cursor_.ScanTo('<');
        if (cursor_.AtEnd()) return;
        if (WriteNameAndStopAtClose()) return;
        static constexpr int kMaxValuedAttributes = 101;
        for (int valued = 0; valued < kMaxValuedAttributes;) {
            switch (NextAttribute()) {
                case Step::kValueless: continue;
                case Step::kValued: ++valued; continue;
                case Step::kStoppedAsWritten: return;
                case Step::kStopped: FlattenLineBreaks(); return;
            }
        }
        FlattenLineBreaks();
    }

private:
    enum class Step { kValueless, kValued, kStoppedAsWritten, kStopped };

    // "<", the tag name, and ">" when nothing follows; true when the tag ended there.
    bool WriteNameAndStopAtClose() {
        static constexpr ByteSet kNameEnd(" \t\r\n");
        out_.AppendChar('<');
        cursor_.Advance();
        cursor_.SkipWhitespace();
        AppendCaptured(kNameEnd);
        cursor_.SkipWhitespace();
        if (cursor_.Current() != '>') return false;
        out_.AppendChar('>');
        return true;
    }

    Step NextAttribute() {
        static constexpr ByteSet kAttributeNameEnd(" \t\n\r>=");
        while (IsQuote(cursor_.Current())) cursor_.Advance();
        const uint32_t nameStart = cursor_.CaptureUntil(kAttributeNameEnd);
        StringBuffer prepared(" ");
        prepared.AppendN(cursor_.Data() + nameStart, cursor_.Position() - nameStart);
        prepared.RemoveChar(':');
        cursor_.SkipWhitespace();

        const char at = cursor_.Current();
        if (IsAsciiLetter(at) || at == '>') {
            out_.Append(prepared);
            if (at != '>') return Step::kValueless;
            out_.AppendChar('>');
            return Step::kStoppedAsWritten;
        }
        if (at != '=') {
            out_.Trim();
            if (out_.LastChar() != '>') out_.AppendChar('>');
            return Step::kStopped;
        }
        out_.Append(prepared);
        out_.AppendChar('=');
        WriteValue();
        cursor_.SkipWhitespace();
        if (cursor_.Current() != '>') return Step::kValued;
        out_.AppendChar('>');
        return Step::kStopped;
    }

    // The value after "=", always written between quotes.
    void WriteValue() {
        cursor_.Advance();
        cursor_.SkipWhitespace();
        if (cursor_.Current() == '\\') cursor_.Advance();
        char quote = cursor_.Current();
        if (IsQuote(quote)) {
            cursor_.Advance();
            out_.AppendChar(quote);
            CopyQuotedValue(quote);
            out_.ReplaceAll("\\\"", "&quot;");
        } else {
            static constexpr ByteSet kUnquotedEnd("\r\n >");
            const uint32_t start = cursor_.CaptureUntil(kUnquotedEnd);
            const char* value = cursor_.Data() + start;
            const uint32_t length = cursor_.Position() - start;
            quote = std::memchr(value, '"', length) ? '\'' : '"';
            out_.AppendChar(quote);
            out_.AppendN(value, length);
        }
        cursor_.SkipWhitespace();
        if (IsQuote(cursor_.Current())) cursor_.Advance();
        if (out_.LastChar() == '\\') out_.Shorten(1);
        out_.AppendChar(quote);
    }

    // Up to the next `quote` that no backslash escapes; the cursor stays on it.
    void CopyQuotedValue(char quote) {
        const uint32_t start = cursor_.Position();
        while (!cursor_.AtEnd()) {
            const uint32_t at = cursor_.Position();
            if (cursor_.Current() == quote && (at == start || cursor_.Data()[at - 1] != '\\')) break;
            cursor_.Advance();
        }
        out_.AppendN(cursor_.Data() + start, cursor_.Position() - start);
    }

    void AppendCaptured(const ByteSet& stops) {
        const uint32_t start = cursor_.CaptureUntil(stops);
        out_.AppendN(cursor_.Data() + start, cursor_.Position() - start);
    }

    void FlattenLineBreaks() {
        out_.RemoveChar('\r');
        out_.ReplaceChar('\n', ' ');
    }

    ParseEngine cursor_;
    StringBuffer& out_;
};

// The charset parameter inside a content value: after "charset=" up to a double quote, a
// semicolon or a blank, whichever comes first in that order of preference.
void CharsetParameter(const char* afterMarker, StringBuffer& name) {
    const char* end = std::strchr(afterMarker, '"');
    if (!end) end = std::strchr(afterMarker, ';');
    if (!end) end = std::strchr(afterMarker, ' ');
    if (!end) end = afterMarker + std::strlen(afterMarker);
    name.AppendN(afterMarker, static_cast<uint32_t>(end - afterMarker));
}

// Looks at one normalized meta tag; true when it is a Content-Type declaration (the name, which
// may be empty, is then final).
bool CharsetOfMetaTag(const StringBuffer& normalized, StringBuffer& name) {
    StringBuffer httpEquiv;
    HtmlHelp::HtmlTagAttribute(normalized.GetString(), "HTTP-EQUIV", httpEquiv);
    if (!httpEquiv.EqualsNoCase("content-type")) return false;
    StringBuffer content;
    HtmlHelp::HtmlTagAttribute(normalized.GetString(), "content", content);
    if (content.IsEmpty()) return false;
    static constexpr char kMarker[] = "CHARSET=";
    if (const char* marker = FindNoCase(content.GetString(), kMarker)) {
        CharsetParameter(marker + sizeof kMarker - 1, name);
    } else {
        HtmlHelp::HtmlTagAttribute(normalized.GetString(), "CHARSET", name);
    }
    return true;
}

// The encoding of an XML declaration; only the double-quoted form is recognised.
void CharsetOfXmlDeclaration(const char* text, StringBuffer& name) {
    static constexpr char kMarker[] = "encoding=\"";
    if (!FindNoCase(text, "<?xml ")) return;
    const char* marker = FindNoCase(text, kMarker);
    if (!marker) return;
    const char* value = marker + sizeof kMarker - 1;
    if (const char* close = std::strchr(value, '"')) {
        name.AppendN(value, static_cast<uint32_t>(close - value));
    }
}

}  // namespace

void HtmlHelp::SniffHtmlCharset(const StringBuffer& text, StringBuffer& name) {
    name.Clear();
    const char* body = text.GetString();
    if (*body == '\0') return;
    for (const char* meta = FindNoCase(body, "<meta"); meta; meta = FindNoCase(meta, "<meta")) {
        const char* tagEnd = EndOfTag(meta);
        StringBuffer tag(meta, static_cast<uint32_t>(tagEnd - meta));
        tag.AppendChar('>');
        StringBuffer normalized;
        NormalizeHtmlTag(tag.GetString(), normalized);
        if (CharsetOfMetaTag(normalized, name)) return;
        meta = *tagEnd ? tagEnd + 1 : tagEnd;
    }
    CharsetOfXmlDeclaration(body, name);
}

void HtmlHelp::NormalizeHtmlTag(const char* tagText, StringBuffer& normalized) {
    TagNormalizer(tagText ? tagText : "", normalized).Run();
}

void HtmlHelp::HtmlTagAttribute(const char* normalized, const char* attributeName,
                                StringBuffer& value) {
    value.Clear();
    if (!normalized || !attributeName) return;
    char quote = '"';
    StringBuffer marker(attributeName);
    marker.Append("=\"");
    const char* found = FindNoCase(normalized, marker.GetString());
    if (!found) {
        quote = '\'';
        marker.Shorten(1);
        marker.AppendChar(quote);
        found = FindNoCase(normalized, marker.GetString());
    }
    if (!found) return;
    const char* start = found + marker.GetSize();
    const char* end = std::strchr(start, quote);
    if (!end) end = start + std::strlen(start);
    value.AppendN(start, static_cast<uint32_t>(end - start));
    value.Trim();
    value.ReplaceChar('\\', '/');
}

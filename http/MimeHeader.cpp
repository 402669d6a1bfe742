#include "http/MimeHeader.h"

#include <new>
#include <string_view>

#include "core/LogBase.h"
#include "core/StringBuffer.h"
#include "http/AsciiCase.h"
#include "http/MimeCharset.h"
#include "http/MimeField.h"

namespace {

bool IsBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

// Where the field text ends: before the first empty line, in the three forms a header block may
// end with.
size_t FieldTextLength(std::string_view text) {
    for (const char* terminator : {"\r\n\r\n", "\n\r\n", "\r\n\r"}) {
        size_t at = text.find(terminator);
        if (at != std::string_view::npos) {
            return at;
        }
    }
    return text.size();
}

// Glob match ignoring letter case, where "*" stands for any run of characters. Linear in the
// value for each star position it returns to, so hostile patterns cannot make it explode.
bool MatchesWildcardNoCase(std::string_view value, std::string_view pattern) {
    size_t v = 0;
    size_t p = 0;
    size_t starAt = std::string_view::npos;
    size_t resumeAt = 0;
    while (v < value.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = v;
        } else if (p < pattern.size() && AsciiLower(pattern[p]) == AsciiLower(value[v])) {
            ++p;
            ++v;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            v = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::string_view ViewOf(const StringBuffer& text) {
    return {text.GetString(), text.GetSize()};
}

}  // namespace

MimeHeader::MimeHeader() {
    fields_.SetOwnsItems(true);
}

MimeHeader::~MimeHeader() = default;

MimeHeader::MimeHeader(const MimeHeader& other) : QuorvelObject(other) {
    fields_.SetOwnsItems(true);
    CopyFrom(other);
}

MimeHeader& MimeHeader::operator=(const MimeHeader& other) {
    if (this != &other) {
        Clear();
        CopyFrom(other);
    }
    return *this;
}

void MimeHeader::CopyFrom(const MimeHeader& other) {
    codePage_ = other.codePage_;
    for (uint32_t i = 0; i < other.Count(); ++i) {
        const MimeField* field = other.FieldAt(i);
        AddField(field->Name(), field->Value());
    }
}

void MimeHeader::Clear() {
    fields_.DeleteAll();
    codePage_ = 0;
}

const MimeField* MimeHeader::FieldAt(uint32_t index) const {
    return fields_.ItemAs<MimeField>(index);
}

bool MimeHeader::Append(MimeField* field, LogBase* log) {
    if (!fields_.Append(field)) {
        delete field;
        if (log) {
            log->AddError("Out-of-memory for MimeField");
        }
        return false;
    }
    return true;
}

bool MimeHeader::AddField(const char* name, const char* value) {
    StringBuffer nameText;
    StringBuffer valueText;
    return nameText.SetString(name) && valueText.SetString(value) && AddField(nameText, valueText);
}

bool MimeHeader::AddField(const StringBuffer& name, const StringBuffer& value) {
    MimeField* field = new (std::nothrow) MimeField();
    if (!field || !field->Set(name, value)) {
        delete field;
        return false;
    }
    return Append(field, nullptr);
}

void MimeHeader::RemoveFields(const char* name) {
    for (uint32_t i = fields_.Count(); i-- > 0;) {
        if (FieldAt(i)->NameIs(name)) {
            delete fields_.RemoveAt(i);
        }
    }
}

void MimeHeader::LoadFromText(const char* text, uint32_t length, LogBase& log) {
    Clear();
    if (!text) {
        return;
    }
    std::string_view all(text, length);
    StringBuffer fieldBytes;
    if (!fieldBytes.SetBytes(all.data(), static_cast<uint32_t>(FieldTextLength(all)))) {
        log.AddError("Out of memory allocating MimeField.");
        return;
    }
    codePage_ = DetectFieldTextCodePage(fieldBytes);
    const std::string_view fieldText = ViewOf(fieldBytes);

    StringBuffer collected;
    bool collecting = false;
    size_t lineStart = 0;
    while (lineStart < fieldText.size()) {
        size_t lineEnd = fieldText.find("\r\n", lineStart);
        if (lineEnd == std::string_view::npos) {
            lineEnd = fieldText.size();
        }
        std::string_view line = fieldText.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 2;
        if (line.empty() || line.substr(0, 5) == "From ") {
            continue;
        }
        if (IsBlankOrTab(line.front())) {
            // A folded line: its blanks stay, except before an encoded word.
            size_t firstText = line.find_first_not_of(" \t");
            if (firstText != std::string_view::npos && line.substr(firstText, 2) == "=?") {
                line.remove_prefix(firstText);
            }
            if (!collected.AppendN(line.data(), static_cast<uint32_t>(line.size()))) {
                log.AddError("Out of memory allocating MimeField.");
                return;
            }
            collecting = true;
            continue;
        }
        if (collecting && !CompleteField(collected, log)) {
            return;
        }
        if (!collected.SetBytes(line.data(), static_cast<uint32_t>(line.size()))) {
            log.AddError("Out of memory allocating MimeField.");
            return;
        }
        collecting = true;
    }
    if (collecting) {
        CompleteField(collected, log);
    }
}

bool MimeHeader::CompleteField(StringBuffer& text, LogBase& log) {
    ConvertFieldToUtf8(text, codePage_);
    std::string_view whole = ViewOf(text);
    size_t colon = whole.find(':');
    if (colon == std::string_view::npos) {
        return true;  // not a field: dropped
    }
    StringBuffer name;
    StringBuffer value;
    bool copied =
        name.SetBytes(whole.data(), static_cast<uint32_t>(colon)) &&
        value.SetBytes(whole.data() + colon + 1, static_cast<uint32_t>(whole.size() - colon - 1));
    name.Trim();
    name.ReplaceAnyOf(" <>\"'", '-');
    value.Trim();
    if (value.ContainsNoCase("?Q?") || value.ContainsNoCase("?B?")) {
        DecodeEncodedWords(value);
        value.ReplaceAll("\r\n\t", "");
        value.ReplaceAll("\r\n ", "");
        value.Trim();
    }

    MimeField* field = copied ? new (std::nothrow) MimeField() : nullptr;
    if (!field || !field->Set(name, value)) {
        delete field;
        log.AddError("Out of memory allocating MimeField.");
        return false;
    }
    if (field->NameIs("Content-Type")) {
        RemoveFields("Content-Type");
    }
    return Append(field, &log);
}

const MimeField* MimeHeader::FirstNamed(const char* name) const {
    for (uint32_t i = 0; i < fields_.Count(); ++i) {
        if (FieldAt(i)->NameIs(name)) {
            return FieldAt(i);
        }
    }
    return nullptr;
}

bool MimeHeader::HasField(const char* name) const {
    return FirstNamed(name) != nullptr;
}

bool MimeHeader::GetField(const char* name, StringBuffer& value) const {
    value.Clear();
    const MimeField* field = FirstNamed(name);
    return field && value.SetString(field->Value());
}

bool MimeHeader::GetFieldAttribute(const char* fieldName, const char* attribute,
                                   StringBuffer& value) const {
    value.Clear();
    const MimeField* field = FirstNamed(fieldName);
    if (!field || !attribute || !field->Value().ContainsNoCase(attribute)) {
        return false;
    }
    std::string_view rest = ViewOf(field->Value());
    while (!rest.empty()) {
        size_t end = rest.find(';');
        std::string_view part = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);

        size_t equals = part.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        StringBuffer key(part.data(), static_cast<uint32_t>(equals));
        key.Trim();
        if (!key.EqualsNoCase(attribute)) {
            continue;
        }
        std::string_view text = part.substr(equals + 1);
        size_t start = text.find_first_not_of(' ');
        text = start == std::string_view::npos ? std::string_view() : text.substr(start);
        if (!text.empty() && text.front() == '"') {
            text.remove_prefix(1);
        }
        value.SetBytes(text.data(), static_cast<uint32_t>(text.size()));
        value.Trim();
        if (value.LastChar() == '"') {
            value.Shorten(1);
        }
        return true;
    }
    return false;
}

bool MimeHeader::FieldEquals(const char* name, const char* token) const {
    for (uint32_t i = 0; i < fields_.Count(); ++i) {
        const MimeField* field = FieldAt(i);
        if (field->NameIs(name) && field->Value().EqualsNoCase(token)) {
            return true;
        }
    }
    return false;
}

bool MimeHeader::FieldMatches(const char* name, const char* pattern) const {
    std::string_view patternText(pattern ? pattern : "");
    for (uint32_t i = 0; i < fields_.Count(); ++i) {
        const MimeField* field = FieldAt(i);
        if (field->NameIs(name) && MatchesWildcardNoCase(ViewOf(field->Value()), patternText)) {
            return true;
        }
    }
    return false;
}

void MimeHeader::CollectValues(const char* name, ExtPtrArray& values) const {
    for (uint32_t i = 0; i < fields_.Count(); ++i) {
        const MimeField* field = FieldAt(i);
        if (!field->NameIs(name)) {
            continue;
        }
        StringBuffer* copy = new (std::nothrow) StringBuffer(field->Value());
        if (!copy || !values.Append(copy)) {
            delete copy;
            return;
        }
    }
}

#include "encoding/XString.h"

#include <cstring>

#include "encoding/EncodingConvert.h"
#include "encoding/UnicodeForms.h"
#include "platform/SystemInfo.h"

namespace {

constexpr int kUtf16Le = 1200;
constexpr int kUtf8 = 65001;
const char16_t kEmptyUtf16[1] = {0};

// Skips a leading UTF-8 byte-order mark.
const char* WithoutMark(const char* text) {
    return (text && std::strncmp(text, "\xEF\xBB\xBF", 3) == 0) ? text + 3 : text;
}

void SkipMark(const char*& bytes, uint32_t& count) {
    if (bytes && count >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
        bytes += 3;
        count -= 3;
    }
}

uint32_t Utf16Length(const char16_t* text) {
    uint32_t length = 0;
    while (text[length]) {
        ++length;
    }
    return length;
}

// Simple case folding for the comparison that ignores case: ASCII, Latin-1, Latin Extended-A,
// basic Greek and Cyrillic capitals become small letters.
char16_t FoldCase(char16_t u) {
    if (u < 0x80) {
        return (u >= 'A' && u <= 'Z') ? static_cast<char16_t>(u + 0x20) : u;
    }
    if ((u >= 0xC0 && u <= 0xDE && u != 0xD7) || (u >= 0x391 && u <= 0x3AB && u != 0x3A2) ||
        (u >= 0x410 && u <= 0x42F)) {
        return static_cast<char16_t>(u + 0x20);
    }
    if (u >= 0x400 && u <= 0x40F) {
        return static_cast<char16_t>(u + 0x50);
    }
    const bool pairedEvenOdd = (u >= 0x100 && u <= 0x137) || (u >= 0x14A && u <= 0x177);
    const bool pairedOddEven = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
    if ((pairedEvenOdd && u % 2 == 0) || (pairedOddEven && u % 2 == 1)) {
        return static_cast<char16_t>(u + 1);
    }
    return u == 0x178 ? char16_t{0xFF} : u;
}

// Counts the UTF-16 units that UTF-8 bytes decode to.
struct CountingSink {
    uint32_t units = 0;
    void Put(char16_t) { ++units; }
    bool Finish() { return true; }
};

}  // namespace

XString::XString() {
    TerminateUtf16();
}

XString::XString(const XString& other) : QuorvelObject(other) {
    CopyFrom(other);
}

XString& XString::operator=(const XString& other) {
    if (this != &other) {
        CopyFrom(other);
    }
    return *this;
}

XString::~XString() = default;

// --- state

void XString::MakeOnlyValid(Form form) {
    ansiValid_ = form == Form::Ansi;
    utf8Valid_ = form == Form::Utf8;
    utf16Valid_ = form == Form::Utf16;
    ansiState_ = form == Form::Ansi ? 1 : 0;
}

void XString::TerminateUtf16() {
    utf16_.Append("\0\0", 2);
}

uint32_t XString::Utf16Units() const {
    return utf16_.GetSize() >= 2 ? (utf16_.GetSize() - 2) / 2 : 0;
}

void XString::Clear() {
    ansi_.Clear();
    utf8_.Clear();
    utf16_.Clear();
    TerminateUtf16();
    ansiValid_ = utf8Valid_ = utf16Valid_ = true;
    ansiState_ = 0;
}

void XString::CopyFrom(const XString& other) {
    ansiState_ = other.ansiState_;
    utf16Valid_ = other.utf16Valid_;
    ansiValid_ = other.ansiValid_;
    utf8Valid_ = other.utf8Valid_;
    utf16_ = other.utf16_;
    ansi_.SetString(other.ansi_);
    utf8_.SetString(other.utf8_);
}

// --- conversions on demand

void XString::EnsureUtf16() {
    if (utf16Valid_) {
        return;
    }
    utf16_.Clear();
    EncodingConvert convert;
    if (utf8Valid_) {
        convert.Convert(kUtf8, kUtf16Le, utf8_.GetString(), utf8_.GetSize(), utf16_);
    } else if (ansiValid_) {
        convert.Convert(platform::AnsiCodePage(), kUtf16Le, ansi_.GetString(), ansi_.GetSize(),
                        utf16_);
    } else {
        Clear();
        return;
    }
    TerminateUtf16();
    utf16Valid_ = true;
}

void XString::EnsureAnsi() {
    if (ansiValid_) {
        return;
    }
    if (!utf8Valid_ && !utf16Valid_) {
        Clear();
        return;
    }
    DataBuffer converted;
    EncodingConvert convert;
    bool exact = true;
    if (utf8Valid_) {
        exact = convert.Convert(kUtf8, platform::AnsiCodePage(), utf8_.GetString(), utf8_.GetSize(),
                                converted);
    } else if (Utf16Units() > 0) {
        exact = convert.Convert(kUtf16Le, platform::AnsiCodePage(), utf16_.GetData(),
                                Utf16Units() * 2, converted);
    }
    ansi_.Clear();
    ansi_.Append(converted);
    ansiValid_ = true;
    ansiState_ = exact ? 1 : 2;
}

void XString::EnsureUtf8() {
    if (utf8Valid_) {
        return;
    }
    DataBuffer converted;
    EncodingConvert convert;
    // A lossy ANSI form does not hold the whole value: the UTF-16 form does.
    if (ansiValid_ && (ansiState_ != 2 || !utf16Valid_)) {
        converted.EnsureCapacity(ansi_.GetSize() + ansi_.GetSize() / 16 + 4);
        convert.Convert(platform::AnsiCodePage(), kUtf8, ansi_.GetString(), ansi_.GetSize(),
                        converted);
    } else if (utf16Valid_) {
        if (Utf16Units() > 0) {
            convert.Convert(kUtf16Le, kUtf8, utf16_.GetData(), Utf16Units() * 2, converted);
        }
    } else {
        Clear();
        return;
    }
    utf8_.Clear();
    utf8_.Append(converted);
    utf8Valid_ = true;
}

char16_t XString::AnsiByteAsUnit(char c) {
    DataBuffer unit;
    EncodingConvert().Convert(platform::AnsiCodePage(), kUtf16Le, &c, 1, unit);
    return unit.GetSize() == 2 ? static_cast<char16_t>(unit.GetData()[0] | unit.GetData()[1] << 8)
                               : char16_t{0};
}

// --- setting

void XString::SetFromAnsi(const char* text) {
    if (!text || !*text) {
        Clear();
        return;
    }
    ansi_.SetString(text);
    MakeOnlyValid(Form::Ansi);
}

void XString::SetFromUtf8(const char* text) {
    text = WithoutMark(text);
    SetFromUtf8N(text, text ? static_cast<uint32_t>(std::strlen(text)) : 0);
}

void XString::SetFromUtf8N(const char* bytes, uint32_t count) {
    SkipMark(bytes, count);
    if (!bytes || count == 0) {
        Clear();
        return;
    }
    utf8_.SetBytes(bytes, count);
    MakeOnlyValid(Form::Utf8);
}

void XString::SetFromUtf16(const char16_t* text) {
    SetFromUtf16N(text, text ? Utf16Length(text) : 0);
}

void XString::SetFromUtf16N(const char16_t* units, uint32_t count) {
    if (!units || count == 0) {
        Clear();
        return;
    }
    utf16_.Clear();
    utf16_.Append(units, count * 2);
    TerminateUtf16();
    MakeOnlyValid(Form::Utf16);
}

void XString::SetFromEither(const char* text, bool utf8) {
    if (utf8) {
        SetFromUtf8(text);
    } else {
        SetFromAnsi(text);
    }
}

// --- reading

const char* XString::GetAnsi() {
    EnsureAnsi();
    return ansi_.GetString();
}

const char* XString::GetUtf8() {
    EnsureUtf8();
    return utf8_.GetString();
}

const char16_t* XString::GetUtf16() {
    EnsureUtf16();
    const unsigned char* data = utf16_.GetData();
    return data ? reinterpret_cast<const char16_t*>(data) : kEmptyUtf16;
}

uint32_t XString::GetLength() {
    if (ansiValid_) {
        return ansi_.GetSize();
    }
    EnsureUtf16();
    return Utf16Units();
}

uint32_t XString::GetSizeUtf8() {
    EnsureUtf8();
    return utf8_.GetSize();
}

uint32_t XString::GetSizeAnsi() {
    EnsureAnsi();
    return ansi_.GetSize();
}

uint32_t XString::GetSizeUtf16() {
    EnsureUtf16();
    return Utf16Units() * 2;
}

bool XString::IsAnsiExact() {
    if (ansiState_ == 0) {
        if (utf8Valid_ || utf16Valid_) {
            ansiValid_ = false;  // the state is learnt by converting from the other form
            EnsureAnsi();
        } else {
            ansiState_ = 1;  // the ANSI form is the authority
        }
    }
    return ansiState_ == 1;
}

bool XString::GetConverted(int codePage, DataBuffer& out) {
    EncodingConvert convert;
    if (utf8Valid_) {
        return convert.Convert(kUtf8, codePage, utf8_.GetString(), utf8_.GetSize(), out);
    }
    if (utf16Valid_) {
        return convert.Convert(kUtf16Le, codePage, utf16_.GetData(), Utf16Units() * 2, out);
    }
    return convert.Convert(platform::AnsiCodePage(), codePage, ansi_.GetString(), ansi_.GetSize(),
                           out);
}

// --- appending

void XString::AppendAnsi(const char* text) {
    EnsureAnsi();
    if (ansiState_ != 2) {
        ansi_.Append(text);
        MakeOnlyValid(Form::Ansi);
        return;
    }
    // The ANSI form lost characters: append to the UTF-8 form instead, so that none is lost.
    XString appended;
    appended.SetFromAnsi(text);
    AppendUtf8N(appended.GetUtf8(), appended.GetSizeUtf8());
}

void XString::AppendUtf8(const char* text) {
    text = WithoutMark(text);
    AppendUtf8N(text, text ? static_cast<uint32_t>(std::strlen(text)) : 0);
}

void XString::AppendUtf8N(const char* bytes, uint32_t count) {
    SkipMark(bytes, count);
    EnsureUtf8();
    if (bytes && count) {
        utf8_.AppendN(bytes, count);
    }
    MakeOnlyValid(Form::Utf8);
}

void XString::AppendUtf16(const char16_t* text) {
    EnsureUtf16();
    utf16_.Shorten(2);
    if (text) {
        utf16_.Append(text, Utf16Length(text) * 2);
    }
    TerminateUtf16();
    MakeOnlyValid(Form::Utf16);
}

void XString::AppendX(const XString& other) {
    if (other.utf8Valid_) {
        AppendUtf8N(other.utf8_.GetString(), other.utf8_.GetSize());
    } else if (other.utf16Valid_) {
        AppendUtf16(reinterpret_cast<const char16_t*>(other.utf16_.GetData()));
    } else {
        AppendAnsi(other.ansi_.GetString());
    }
}

// --- comparing and searching

bool XString::EqualsUtf8(const char* text) {
    EnsureUtf8();
    return utf8_.Equals(WithoutMark(text) ? WithoutMark(text) : "");
}

bool XString::EqualsUtf8NoCase(const char* text) {
    XString other;
    other.SetFromUtf8(text);
    const char16_t* a = GetUtf16();
    const char16_t* b = other.GetUtf16();
    for (; *a && *b; ++a, ++b) {
        if (FoldCase(*a) != FoldCase(*b)) {
            return false;
        }
    }
    return *a == *b;
}

bool XString::BeginsWithUtf8(const char* text) {
    EnsureUtf8();
    return utf8_.BeginsWith(WithoutMark(text));
}

int XString::IndexOfUtf8(const char* text) {
    EnsureUtf8();
    text = WithoutMark(text);
    const int64_t position = utf8_.IndexOf(text ? text : "");
    if (position < 0) {
        return -1;
    }
    CountingSink counter;
    unicodeforms::DecodeUtf8(reinterpret_cast<const uint8_t*>(utf8_.GetString()),
                             static_cast<size_t>(position), counter);
    return static_cast<int>(counter.units);
}

bool XString::IsEmpty() const {
    if (utf8Valid_) {
        return utf8_.IsEmpty();
    }
    if (utf16Valid_) {
        return Utf16Units() == 0;
    }
    return ansi_.IsEmpty();
}

// --- editing

void XString::Trim() {
    EnsureUtf8();
    utf8_.Trim();
    MakeOnlyValid(Form::Utf8);
}

void XString::ReplaceChar(char from, char to) {
    const char16_t fromUnit = AnsiByteAsUnit(from);
    const char16_t toUnit = AnsiByteAsUnit(to);
    EnsureUtf16();
    if (fromUnit) {
        utf16_.ReplaceUtf16Unit(fromUnit, toUnit);  // never the terminator: fromUnit is not 0
    }
    MakeOnlyValid(Form::Utf16);
}

void XString::ChopAtFirstChar(char c) {
    const char16_t unit = AnsiByteAsUnit(c);
    EnsureUtf16();
    if (unit) {
        utf16_.TruncateUtf16AtUnit(unit);
    }
    MakeOnlyValid(Form::Utf16);
}

void XString::PrependUtf8(const char* text) {
    text = WithoutMark(text);
    EnsureUtf8();
    if (text && *text) {
        StringBuffer joined(text);
        joined.Append(utf8_);
        utf8_.SetString(joined);
    }
    MakeOnlyValid(Form::Utf8);
}

#include "core/StringBuffer.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/AsciiText.h"
#include "core/DataBuffer.h"
#include "core/ExtPtrArray.h"
#include "core/Memory.h"
#include "platform/SystemInfo.h"

namespace {

constexpr uint8_t kAliveMarker = 0xAA;
constexpr uint32_t kDefaultCapacity = 202;
constexpr uint32_t kDefaultGrowBy = 200;
constexpr uint32_t kGrowByLimit = 500000;

// The text every buffer points at when it has no block of its own. Never written, never freed.
char g_staticEmpty[1] = {'\0'};

std::string_view ViewOf(const char* text) { return text ? std::string_view(text) : std::string_view(); }

bool IsWhitespace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool IsNameByte(unsigned char c) {
    return c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           c == '!' || c == '-' || c == '.' || c == ':' || c == '_';
}

char* AllocateText(uint32_t capacity) { return static_cast<char*>(qvmem::Allocate(capacity)); }

}  // namespace

// ---------------------------------------------------------------- construction

StringBuffer::StringBuffer()
    : marker_(kAliveMarker), data_(nullptr), capacity_(0), length_(0), growBy_(kDefaultCapacity) {
    data_ = AllocateText(kDefaultCapacity);
    capacity_ = kDefaultCapacity;
    if (!data_) {
        data_ = AllocateText(4);
        capacity_ = 4;
    }
    if (!data_) {
        ResetToStaticEmpty();
        return;
    }
    data_[0] = '\0';
}

StringBuffer::StringBuffer(const char* text) : StringBuffer(text, static_cast<uint32_t>(ViewOf(text).size()), 0) {}

StringBuffer::StringBuffer(const char* bytes, uint32_t count, uint32_t growBy)
    : marker_(kAliveMarker),
      data_(nullptr),
      capacity_(0),
      length_(0),
      growBy_(growBy ? growBy : kDefaultGrowBy) {
    if (count == UINT32_MAX || !(data_ = AllocateText(count + 1))) {
        ResetToStaticEmpty();
        return;
    }
    capacity_ = count + 1;
    if (count) {
        std::memcpy(data_, bytes, count);
    }
    length_ = count;
    data_[length_] = '\0';
}

StringBuffer::StringBuffer(CapacityTag, uint32_t capacity)
    : marker_(kAliveMarker), data_(nullptr), capacity_(0), length_(0), growBy_(0) {
    const uint32_t size = capacity ? capacity : kDefaultGrowBy;
    growBy_ = size;
    if (!(data_ = AllocateText(size))) {
        ResetToStaticEmpty();
        return;
    }
    capacity_ = size;
    data_[0] = '\0';
}

StringBuffer StringBuffer::WithCapacity(uint32_t capacity) { return StringBuffer(CapacityTag{}, capacity); }

StringBuffer::StringBuffer(const StringBuffer& other)
    : StringBuffer(other.GetString(), other.GetSize(), kDefaultGrowBy) {}

StringBuffer& StringBuffer::operator=(const StringBuffer& other) {
    if (this != &other) {
        SetBytes(other.data_, other.length_);
    }
    return *this;
}

StringBuffer::~StringBuffer() {
    CheckAlive();
    ReleaseBlock();
    marker_ = 0;
}

void StringBuffer::CheckAlive() const {
    if (marker_ != kAliveMarker) {
        std::abort();  // a destroyed or overwritten buffer: continuing would corrupt memory
    }
}

bool StringBuffer::IsStaticEmpty() const { return data_ == g_staticEmpty; }

void StringBuffer::ReleaseBlock() {
    if (data_ && !IsStaticEmpty()) {
        qvmem::Free(data_);
    }
    data_ = nullptr;
}

void StringBuffer::ResetToStaticEmpty() {
    data_ = g_staticEmpty;
    capacity_ = 1;
    length_ = 0;
}

bool StringBuffer::EnsureRoom(uint32_t count, AppendKind kind) {
    const uint64_t nul = kind == AppendKind::CString ? 1 : 0;
    const uint64_t needed = uint64_t{length_} + count + nul;
    if (capacity_ > needed) {
        return true;
    }
    const uint64_t newCapacity = uint64_t{length_} + growBy_ + count + nul;
    if (newCapacity > UINT32_MAX) {
        return false;
    }
    char* block = AllocateText(static_cast<uint32_t>(newCapacity));
    if (!block) {
        return false;
    }
    std::memcpy(block, data_, length_);
    block[length_] = '\0';
    ReleaseBlock();
    data_ = block;
    capacity_ = static_cast<uint32_t>(newCapacity);
    if (growBy_ < capacity_ && growBy_ < kGrowByLimit) {
        growBy_ = std::min(capacity_ / 2, kGrowByLimit);
    }
    return true;
}

void StringBuffer::AdoptBlock(char* block, uint32_t length, uint32_t capacity) {
    CheckAlive();
    ReleaseBlock();
    data_ = block;
    length_ = length;
    capacity_ = capacity;
}

// ---------------------------------------------------------------- access

const char* StringBuffer::GetString() const {
    CheckAlive();
    return data_;
}

uint32_t StringBuffer::GetSize() const {
    CheckAlive();
    return length_;
}

uint32_t StringBuffer::GetCapacity() const {
    CheckAlive();
    return capacity_;
}

uint32_t StringBuffer::GetGrowBy() const {
    CheckAlive();
    return growBy_;
}

char* StringBuffer::MutableText() {
    CheckAlive();
    return length_ ? data_ : nullptr;
}

char StringBuffer::LastChar() const {
    CheckAlive();
    return length_ ? data_[length_ - 1] : '\0';
}

char StringBuffer::CharAt(uint32_t index) const {
    CheckAlive();
    return index < length_ ? data_[index] : '\0';
}

// ---------------------------------------------------------------- append

bool StringBuffer::Append(const char* text) {
    CheckAlive();
    const std::string_view view = ViewOf(text);
    if (view.size() >= UINT32_MAX) {
        return false;
    }
    const auto count = static_cast<uint32_t>(view.size());
    if (IsInsideBlock(text) && uint64_t{length_} + count + 1 >= capacity_) {
        return AppendCopyOf(text, count);  // the text would move while it is read
    }
    if (!EnsureRoom(count, AppendKind::CString)) {
        return false;
    }
    if (count) {
        std::memcpy(data_ + length_, view.data(), count);
    }
    length_ += count;
    data_[length_] = '\0';
    return true;
}

bool StringBuffer::AppendN(const void* bytes, uint32_t count) {
    CheckAlive();
    if (count == 0) {
        return true;
    }
    if (IsInsideBlock(bytes) && uint64_t{length_} + count >= capacity_) {
        return AppendCopyOf(bytes, count);  // the bytes would move while they are read
    }
    if (!EnsureRoom(count, AppendKind::Counted)) {
        return false;
    }
    std::memmove(data_ + length_, bytes, count);
    length_ += count;
    data_[length_] = '\0';
    return true;
}

bool StringBuffer::AppendChar(char c) { return AppendN(&c, 1); }

bool StringBuffer::IsInsideBlock(const void* bytes) const {
    const auto* p = static_cast<const char*>(bytes);
    return p && p >= data_ && p < data_ + capacity_;
}

bool StringBuffer::AppendCopyOf(const void* bytes, uint32_t count) {
    const StringBuffer copy(static_cast<const char*>(bytes), count);
    return copy.GetSize() == count && AppendN(copy.GetString(), count);
}

bool StringBuffer::Append(const StringBuffer& other) {
    if (&other == this) {
        const StringBuffer copy(other);
        return AppendN(copy.data_, copy.length_);
    }
    return AppendN(other.GetString(), other.GetSize());
}

bool StringBuffer::Append(const DataBuffer& bytes) { return AppendN(bytes.GetData(), bytes.GetSize()); }

bool StringBuffer::AppendCharN(char c, uint32_t count) {
    CheckAlive();
    if (count == 0) {
        return true;
    }
    if (!EnsureRoom(count, AppendKind::Counted)) {
        return false;
    }
    std::memset(data_ + length_, c, count);
    length_ += count;
    data_[length_] = '\0';
    return true;
}

bool StringBuffer::AppendInt(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%" PRId32, value);
    return Append(text);
}

bool StringBuffer::AppendUint32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%" PRIu32, value);
    return Append(text);
}

bool StringBuffer::AppendInt64(int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRId64, value);
    return Append(text);
}

bool StringBuffer::AppendUint64(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRIu64, value);
    return Append(text);
}

bool StringBuffer::AppendHex(const void* bytes, uint32_t count, bool grouped) {
    CheckAlive();
    static const char kDigits[] = "0123456789ABCDEF";
    const auto* in = static_cast<const unsigned char*>(bytes);
    uint64_t size = uint64_t{count} * 2;
    if (grouped) {
        size += count / 2 + count / 16;
    }
    if (size >= UINT32_MAX || !EnsureRoom(static_cast<uint32_t>(size), AppendKind::Counted)) {
        return false;
    }
    char* out = data_ + length_;
    for (uint32_t i = 0; i < count; ++i) {
        *out++ = kDigits[in[i] >> 4];
        *out++ = kDigits[in[i] & 0x0F];
        if (grouped && (i + 1) % 2 == 0) {
            *out++ = ' ';
        }
        if (grouped && (i + 1) % 16 == 0) {
            *out++ = '\n';
        }
    }
    length_ += static_cast<uint32_t>(size);
    data_[length_] = '\0';
    return true;
}

bool StringBuffer::AppendHexGroups(const void* bytes, uint32_t count) {
    CheckAlive();
    static const char kDigits[] = "0123456789abcdef";
    const auto* in = static_cast<const unsigned char*>(bytes);
    const uint64_t size = uint64_t{count} * 3;
    if (size >= UINT32_MAX || !EnsureRoom(static_cast<uint32_t>(size), AppendKind::Counted)) {
        return false;
    }
    char* out = data_ + length_;
    for (uint32_t i = 0; i < count; ++i) {
        *out++ = kDigits[in[i] >> 4];
        *out++ = kDigits[in[i] & 0x0F];
        *out++ = ' ';
    }
    length_ += static_cast<uint32_t>(size);
    data_[length_] = '\0';
    return true;
}

bool StringBuffer::AppendSystemErrorText(int code) {
    StringBuffer text(platform::SystemErrorText(code).c_str());
    text.Trim();
    return Append(text);
}

// ---------------------------------------------------------------- set

void StringBuffer::Clear() {
    CheckAlive();
    length_ = 0;
    if (!IsStaticEmpty()) {
        data_[0] = '\0';
    }
}

void StringBuffer::SecureClear() {
    CheckAlive();
    if (length_) {
        std::memset(data_, ' ', length_);
    }
    Clear();
}

bool StringBuffer::SetString(const char* text) {
    const std::string_view view = ViewOf(text);
    if (view.size() >= UINT32_MAX) {
        return false;
    }
    return SetBytes(view.data(), static_cast<uint32_t>(view.size()));
}

bool StringBuffer::SetString(const StringBuffer& other) { return SetBytes(other.GetString(), other.GetSize()); }

bool StringBuffer::SetBytes(const void* bytes, uint32_t count) {
    CheckAlive();
    if (count == 0) {
        Clear();
        return true;
    }
    if (count < capacity_ && !IsStaticEmpty()) {
        // Fits: memmove, because the new text may be a piece of the old one.
        if (count) {
            std::memmove(data_, bytes, count);
        }
        length_ = count;
        data_[length_] = '\0';
        return true;
    }
    const uint64_t newCapacity = uint64_t{growBy_} + count;
    if (newCapacity > UINT32_MAX) {
        return false;
    }
    char* block = AllocateText(static_cast<uint32_t>(newCapacity));
    if (!block) {
        return false;
    }
    std::memcpy(block, bytes, count);
    block[count] = '\0';
    AdoptBlock(block, count, static_cast<uint32_t>(newCapacity));
    return true;
}

char* StringBuffer::TakeStorage() {
    CheckAlive();
    char* taken = data_;
    if (IsStaticEmpty()) {
        taken = AllocateText(1);
        if (!taken) {
            return nullptr;
        }
        taken[0] = '\0';
    }
    data_ = AllocateText(growBy_);
    if (data_) {
        capacity_ = growBy_;
        length_ = 0;
        data_[0] = '\0';
    } else {
        ResetToStaticEmpty();
    }
    return taken;
}

// ---------------------------------------------------------------- shrink

void StringBuffer::MinimizeMemory() {
    CheckAlive();
    if (IsStaticEmpty() || capacity_ <= uint64_t{length_} + 4) {
        return;
    }
    char* block = AllocateText(length_ + 1);
    if (!block) {
        return;
    }
    std::memcpy(block, data_, length_ + 1);
    AdoptBlock(block, length_, length_ + 1);
}

void StringBuffer::Shorten(uint32_t count) {
    CheckAlive();
    length_ -= std::min(count, length_);
    if (!IsStaticEmpty()) {
        data_[length_] = '\0';
    }
}

bool StringBuffer::ChopAtFirstChar(char c) {
    CheckAlive();
    const void* found = length_ ? std::memchr(data_, c, length_) : nullptr;
    if (!found) {
        return false;
    }
    Shorten(length_ - static_cast<uint32_t>(static_cast<const char*>(found) - data_));
    return true;
}

bool StringBuffer::ChopAtLastChar(char c) {
    CheckAlive();
    for (uint32_t i = length_; i > 0; --i) {
        if (data_[i - 1] == c) {
            Shorten(length_ - (i - 1));
            return true;
        }
    }
    return false;
}

void StringBuffer::RemoveRange(uint32_t start, uint32_t count) {
    CheckAlive();
    if (start >= length_ || count == 0) {
        return;
    }
    count = std::min(count, length_ - start);
    std::memmove(data_ + start, data_ + start + count, length_ - start - count);
    length_ -= count;
    data_[length_] = '\0';
}

// ---------------------------------------------------------------- whitespace

void StringBuffer::Trim() {
    CheckAlive();
    uint32_t begin = 0;
    uint32_t end = length_;
    while (begin < end && IsWhitespace(data_[begin])) {
        ++begin;
    }
    while (end > begin && IsWhitespace(data_[end - 1])) {
        --end;
    }
    if (begin == 0 && end == length_) {
        return;
    }
    std::memmove(data_, data_ + begin, end - begin);
    length_ = end - begin;
    data_[length_] = '\0';
}

void StringBuffer::CollapseWhitespace() {
    CheckAlive();
    uint32_t out = 0;
    bool inRun = false;
    for (uint32_t i = 0; i < length_; ++i) {
        if (IsWhitespace(data_[i])) {
            if (!inRun) {
                data_[out++] = ' ';
            }
            inRun = true;
        } else {
            data_[out++] = data_[i];
            inRun = false;
        }
    }
    if (out != length_) {
        length_ = out;
        data_[length_] = '\0';
    }
}

// ---------------------------------------------------------------- case

void StringBuffer::ToLowerCase() {
    CheckAlive();
    for (uint32_t i = 0; i < length_; ++i) {
        const auto c = static_cast<unsigned char>(data_[i]);
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF)) {
            data_[i] = static_cast<char>(c + 0x20);
        }
    }
}

void StringBuffer::ToUpperCase() {
    CheckAlive();
    for (uint32_t i = 0; i < length_; ++i) {
        const auto c = static_cast<unsigned char>(data_[i]);
        if ((c >= 'a' && c <= 'z') || c >= 0xE0) {
            data_[i] = static_cast<char>(c - 0x20);
        }
    }
}

// ---------------------------------------------------------------- search and compare

int64_t StringBuffer::IndexOf(const char* text, uint32_t from) const {
    CheckAlive();
    const std::string_view haystack(data_, length_);
    const size_t found = haystack.find(ViewOf(text), from);
    return found == std::string_view::npos ? -1 : static_cast<int64_t>(found);
}

bool StringBuffer::Contains(const char* text) const { return IndexOf(text) >= 0; }

bool StringBuffer::ContainsNoCase(const char* text) const {
    CheckAlive();
    const std::string_view needle = ViewOf(text);
    if (needle.size() > length_) {
        return false;
    }
    const std::string_view haystack(data_, length_);
    for (size_t start = 0; start + needle.size() <= haystack.size(); ++start) {
        if (EqualNoCase(haystack.substr(start, needle.size()), needle)) {
            return true;
        }
    }
    return false;
}

bool StringBuffer::BeginsWith(const char* text) const {
    CheckAlive();
    return std::string_view(data_, length_).starts_with(ViewOf(text));
}

bool StringBuffer::BeginsWithNoCase(const char* text) const {
    CheckAlive();
    const std::string_view prefix = ViewOf(text);
    return prefix.size() <= length_ && EqualNoCase(std::string_view(data_, prefix.size()), prefix);
}

bool StringBuffer::EndsWith(const char* text) const {
    CheckAlive();
    return std::string_view(data_, length_).ends_with(ViewOf(text));
}

bool StringBuffer::Equals(const char* text) const {
    CheckAlive();
    return std::string_view(data_, length_) == ViewOf(text);
}

bool StringBuffer::Equals(const StringBuffer& other) const {
    CheckAlive();
    return std::string_view(data_, length_) == std::string_view(other.GetString(), other.GetSize());
}

bool StringBuffer::EqualsNoCase(const char* text) const {
    CheckAlive();
    return EqualNoCase(std::string_view(data_, length_), ViewOf(text));
}

int StringBuffer::Compare(const char* text) const {
    CheckAlive();
    const std::string_view other = ViewOf(text);
    const size_t common = std::min<size_t>(length_, other.size());
    const int bytes = common ? std::memcmp(data_, other.data(), common) : 0;
    if (bytes != 0) {
        return bytes;
    }
    return length_ < other.size() ? -1 : (length_ > other.size() ? 1 : 0);
}

uint32_t StringBuffer::CountChar(char c) const {
    CheckAlive();
    uint32_t count = 0;
    for (uint32_t i = 0; i < length_; ++i) {
        count += data_[i] == c;
    }
    return count;
}

// ---------------------------------------------------------------- replace

uint32_t StringBuffer::ReplaceAll(const char* from, const char* to) {
    CheckAlive();
    const std::string_view needle = ViewOf(from);
    const std::string_view replacement = ViewOf(to);
    const std::string_view text(data_, length_);
    if (needle.empty() || text.find(needle) == std::string_view::npos) {
        return 0;
    }
    StringBuffer result = WithCapacity(growBy_);
    uint32_t count = 0;
    size_t position = 0;
    for (size_t match; (match = text.find(needle, position)) != std::string_view::npos;
         position = match + needle.size()) {
        if (!result.AppendN(text.data() + position, static_cast<uint32_t>(match - position)) ||
            !result.AppendN(replacement.data(), static_cast<uint32_t>(replacement.size()))) {
            return 0;  // memory exhausted: the text stays as it was
        }
        ++count;
    }
    if (!result.AppendN(text.data() + position, static_cast<uint32_t>(text.size() - position))) {
        return 0;
    }
    const uint32_t newLength = result.length_;
    const uint32_t newCapacity = result.capacity_;
    char* block = result.IsStaticEmpty() ? nullptr : result.data_;
    if (!block) {
        Clear();  // the whole text was replaced by nothing and no block was needed
        return count;
    }
    result.ResetToStaticEmpty();
    AdoptBlock(block, newLength, newCapacity);
    return count;
}

uint32_t StringBuffer::ReplaceAllWithChar(const char* from, char to) {
    const char replacement[2] = {to, '\0'};
    return ReplaceAll(from, replacement);
}

bool StringBuffer::ReplaceFirst(const char* from, const char* to) {
    CheckAlive();
    const std::string_view needle = ViewOf(from);
    const std::string_view replacement = ViewOf(to);
    const int64_t match = needle.empty() ? -1 : IndexOf(from);
    if (match < 0) {
        return false;
    }
    StringBuffer result(data_, static_cast<uint32_t>(match), growBy_);
    if (!result.AppendN(replacement.data(), static_cast<uint32_t>(replacement.size())) ||
        !result.AppendN(data_ + match + needle.size(),
                        static_cast<uint32_t>(length_ - match - needle.size())) ||
        result.IsStaticEmpty()) {
        return false;
    }
    const uint32_t newLength = result.length_;
    const uint32_t newCapacity = result.capacity_;
    char* block = result.data_;
    result.ResetToStaticEmpty();
    AdoptBlock(block, newLength, newCapacity);
    return true;
}

uint32_t StringBuffer::ReplaceChar(char from, char to) {
    CheckAlive();
    uint32_t count = 0;
    for (uint32_t i = 0; i < length_; ++i) {
        if (data_[i] == from) {
            data_[i] = to;
            ++count;
        }
    }
    return count;
}

uint32_t StringBuffer::ReplaceAnyOf(const char* set, char to) {
    CheckAlive();
    const size_t setSize = set ? strnlen(set, 5) : 0;
    const std::string_view bytes(set ? set : "", setSize);
    uint32_t count = 0;
    for (uint32_t i = 0; i < length_; ++i) {
        if (bytes.find(data_[i]) != std::string_view::npos) {
            data_[i] = to;
            ++count;
        }
    }
    return count;
}

uint32_t StringBuffer::RemoveChar(char c) {
    CheckAlive();
    uint32_t out = 0;
    for (uint32_t i = 0; i < length_; ++i) {
        if (data_[i] != c) {
            data_[out++] = data_[i];
        }
    }
    const uint32_t removed = length_ - out;
    if (removed) {
        length_ = out;
        data_[length_] = '\0';
    }
    return removed;
}

void StringBuffer::KeepNameChars() {
    CheckAlive();
    uint32_t out = 0;
    for (uint32_t i = 0; i < length_; ++i) {
        if (IsNameByte(static_cast<unsigned char>(data_[i]))) {
            data_[out++] = data_[i];
        }
    }
    if (out != length_) {
        length_ = out;
        data_[length_] = '\0';
    }
}

// ---------------------------------------------------------------- split

namespace {

bool AppendPiece(ExtPtrArray& pieces, const char* bytes, size_t count) {
    auto* piece = new (std::nothrow) StringBuffer(bytes, static_cast<uint32_t>(count));
    if (!piece) {
        return false;
    }
    if (!pieces.Append(piece)) {
        delete piece;
        return false;
    }
    return true;
}

}  // namespace

bool StringBuffer::Split(ExtPtrArray& pieces, char delimiter, bool respectQuotes,
                         bool respectEscapes) const {
    CheckAlive();
    if (length_ == 0) {
        return true;
    }
    bool inQuotes = false;
    uint32_t pieceStart = 0;
    for (uint32_t i = 0; i < length_; ++i) {
        const char c = data_[i];
        if (respectEscapes && c == '\\') {
            ++i;  // the escaped byte never splits; both stay in the piece
            continue;
        }
        if (respectQuotes && c == '"') {
            inQuotes = !inQuotes;
        } else if (c == delimiter && !inQuotes) {
            if (!AppendPiece(pieces, data_ + pieceStart, i - pieceStart)) {
                return false;
            }
            pieceStart = i + 1;
        }
    }
    return AppendPiece(pieces, data_ + pieceStart, length_ - pieceStart);
}

bool StringBuffer::SplitOnString(ExtPtrArray& pieces, const char* delimiter,
                                 uint32_t maxDelimiters) const {
    CheckAlive();
    const std::string_view text(data_, length_);
    const std::string_view separator = ViewOf(delimiter);
    size_t position = 0;
    uint32_t taken = 0;
    while (!separator.empty() && (maxDelimiters == 0 || taken < maxDelimiters)) {
        const size_t match = text.find(separator, position);
        if (match == std::string_view::npos) {
            break;
        }
        if (match > position && !AppendPiece(pieces, text.data() + position, match - position)) {
            return false;
        }
        position = match + separator.size();
        ++taken;
    }
    if (position < text.size()) {
        return AppendPiece(pieces, text.data() + position, text.size() - position);
    }
    return true;
}

// ---------------------------------------------------------------- encode and decode

void StringBuffer::EncodeXmlSpecial() {
    CheckAlive();
    if (std::string_view(data_, length_).find_first_of("&<>\"") == std::string_view::npos) {
        return;
    }
    StringBuffer result = WithCapacity(length_ + length_ / 8 + 16);
    for (uint32_t i = 0; i < length_; ++i) {
        bool ok;
        switch (data_[i]) {
            case '&':
                ok = result.Append("&amp;");
                break;
            case '<':
                ok = result.Append("&lt;");
                break;
            case '>':
                ok = result.Append("&gt;");
                break;
            case '"':
                ok = result.Append("&quot;");
                break;
            default:
                ok = result.AppendChar(data_[i]);
        }
        if (!ok) {
            return;
        }
    }
    SetString(result);
}

void StringBuffer::ToCrlf() {
    CheckAlive();
    uint32_t bareLineFeeds = 0;
    for (uint32_t i = 0; i < length_; ++i) {
        bareLineFeeds += data_[i] == '\n' && (i == 0 || data_[i - 1] != '\r');
    }
    if (bareLineFeeds == 0) {
        return;
    }
    StringBuffer result = WithCapacity(length_ + bareLineFeeds + 1);
    for (uint32_t i = 0; i < length_; ++i) {
        if (data_[i] == '\n' && (i == 0 || data_[i - 1] != '\r') && !result.AppendChar('\r')) {
            return;
        }
        if (!result.AppendChar(data_[i])) {
            return;
        }
    }
    SetString(result);
}

void StringBuffer::ToLf() {
    CheckAlive();
    uint32_t out = 0;
    for (uint32_t i = 0; i < length_; ++i) {
        if (data_[i] == '\r' && i + 1 < length_ && data_[i + 1] == '\n') {
            continue;
        }
        data_[out++] = data_[i];
    }
    if (out != length_) {
        length_ = out;
        data_[length_] = '\0';
    }
}

bool StringBuffer::HexDecodeInto(DataBuffer& out) const {
    CheckAlive();
    unsigned char piece[500];
    uint32_t inPiece = 0;
    bool ok = true;
    for (uint32_t i = 0; i < length_; ++i) {
        if (IsWhitespace(data_[i])) {
            continue;
        }
        const int high = HexDigitValue(data_[i]);
        const int low = i + 1 < length_ ? HexDigitValue(data_[i + 1]) : -1;
        if (high < 0 || low < 0) {
            ok = false;
            break;
        }
        piece[inPiece++] = static_cast<unsigned char>(high * 16 + low);
        ++i;
        if (inPiece == sizeof piece) {
            if (!out.Append(piece, inPiece)) {
                return false;
            }
            inPiece = 0;
        }
    }
    if (inPiece && !out.Append(piece, inPiece)) {
        return false;
    }
    return ok;
}

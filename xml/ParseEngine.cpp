#include "xml/ParseEngine.h"

#include <cstring>
#include <string_view>

#include "core/DataBuffer.h"

namespace {
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
}  // namespace

ParseEngine::ParseEngine() : data_(nullptr), pos_(0), length_(0), missingMarker_(nullptr), missingFrom_(0) {
    Refresh();
}

ParseEngine::ParseEngine(const DataBuffer& bytes)
    : text_(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize()),
      data_(nullptr),
      pos_(0),
      length_(0),
      missingMarker_(nullptr),
      missingFrom_(0) {
    Refresh();
}

bool ParseEngine::LoadText(const char* text) {
    const bool loaded = text_.SetString(text);
    Refresh();
    return loaded;
}

void ParseEngine::Refresh() {
    data_ = text_.GetString();
    length_ = static_cast<uint32_t>(strnlen(data_, text_.GetSize()));
    pos_ = 0;
    missingMarker_ = nullptr;
}

bool ParseEngine::LookingAt(const char* text) const {
    const char* at = data_ + pos_;
    for (; *text; ++text, ++at) {
        if (*at != *text) {
            return false;  // the NUL at the end differs from every byte of `text`
        }
    }
    return true;
}

bool ParseEngine::LookingAtNoCase(const char* text) const {
    const char* at = data_ + pos_;
    for (; *text; ++text, ++at) {
        if (*at == '\0' || FoldAscii(*at) != FoldAscii(*text)) {
            return false;
        }
    }
    return true;
}

void ParseEngine::SkipWhitespace() {
    while (IsXmlWhitespace(data_[pos_])) {
        ++pos_;
    }
}

void ParseEngine::ScanTo(char b) {
    const void* found = std::memchr(data_ + pos_, b, length_ - pos_);
    pos_ = found ? static_cast<uint32_t>(static_cast<const char*>(found) - data_) : length_;
}

bool ParseEngine::ScanToUnless(char b, char c) {
    while (pos_ < length_) {
        if (data_[pos_] == b) {
            return true;
        }
        if (data_[pos_] == c) {
            return false;
        }
        ++pos_;
    }
    return true;
}

uint32_t ParseEngine::CaptureUntil(const ByteSet& stops) {
    const uint32_t start = pos_;
    while (!stops.Has(data_[pos_])) {
        ++pos_;
    }
    return start;
}

bool ParseEngine::BalancedCapture(char open, char close, uint32_t& start) {
    start = pos_;
    uint32_t depth = 1;
    while (pos_ < length_) {
        const char c = data_[pos_++];
        if (c == open) {
            ++depth;
        } else if (c == close && --depth == 0) {
            break;
        }
    }
    return depth == 0;
}

bool ParseEngine::CaptureThroughNoCase(const char* marker, uint32_t& start) {
    const size_t markerLength = std::strlen(marker);
    if (markerLength == 0 || (marker == missingMarker_ && pos_ >= missingFrom_)) {
        return false;
    }
    for (uint32_t at = pos_; length_ - at >= markerLength; ++at) {
        uint32_t matched = 0;
        while (matched < markerLength && FoldAscii(data_[at + matched]) == FoldAscii(marker[matched])) {
            ++matched;
        }
        if (matched == markerLength) {
            start = pos_;
            pos_ = at + static_cast<uint32_t>(markerLength);
            return true;
        }
    }
    missingMarker_ = marker;
    missingFrom_ = pos_;
    return false;
}

bool ParseEngine::SkipPast(const char* marker) {
    const std::string_view rest(data_ + pos_, length_ - pos_);
    const size_t found = rest.find(marker);
    if (found == std::string_view::npos) {
        return false;
    }
    pos_ += static_cast<uint32_t>(found + std::strlen(marker));
    return true;
}

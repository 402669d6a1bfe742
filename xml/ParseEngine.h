#pragma once
// ParseEngine: the parser's cursor over its own copy of the input. The parse sees the text up to
// its first NUL byte; every primitive stops on that NUL and never moves past it.
//
// Whitespace here is exactly space, tab, carriage return and line feed.

#include <cstdint>

#include "core/StringBuffer.h"

class DataBuffer;

// A set of bytes to stop at; the NUL byte is always in it.
class ByteSet {
public:
    constexpr explicit ByteSet(const char* members) : member_{} {
        member_[0] = true;
        for (; *members; ++members) {
            member_[static_cast<unsigned char>(*members)] = true;
        }
    }
    constexpr bool Has(char c) const { return member_[static_cast<unsigned char>(c)]; }

private:
    bool member_[256];
};

inline bool IsXmlWhitespace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

class ParseEngine {
public:
    ParseEngine();                                  // empty: nothing to parse
    explicit ParseEngine(const DataBuffer& bytes);  // the bytes are copied with their length
    ParseEngine(const ParseEngine&) = delete;
    ParseEngine& operator=(const ParseEngine&) = delete;

    // Replaces the text by a copy of a NUL-terminated string; false when memory is exhausted.
    bool LoadText(const char* text);

    const char* Data() const { return data_; }
    uint32_t Length() const { return length_; }  // bytes before the first NUL
    uint32_t Position() const { return pos_; }
    char Current() const { return data_[pos_]; }
    bool AtEnd() const { return pos_ >= length_; }
    void Advance(uint32_t count = 1) { pos_ = count < length_ - pos_ ? pos_ + count : length_; }
    void StepBack() { pos_ -= pos_ > 0; }

    // Whether the text at the cursor begins with `text` (byte-exact, or ignoring the case of
    // ASCII letters).
    bool LookingAt(const char* text) const;
    bool LookingAtNoCase(const char* text) const;

    void SkipWhitespace();
    void ScanTo(char b);  // stays on b, or on the end
    // Advances to b (true) or to c (false, the cursor on c); the end gives true.
    bool ScanToUnless(char b, char c);
    // Advances to the first byte of `stops` (or the end) and returns where it started; the
    // captured bytes are [start, Position()).
    uint32_t CaptureUntil(const ByteSet& stops);
    // Advances counting `open` up and `close` down from depth 1, past the byte that brings the
    // depth to 0 (true); false when the end comes first. The bytes passed are [start, Position()).
    bool BalancedCapture(char open, char close, uint32_t& start);
    // Finds `marker` ignoring ASCII case; if found, moves past it (the bytes passed are
    // [start, Position())); otherwise does not move and gives false. A marker found missing from
    // some position on is not searched for again from there, so repeated misses cost nothing.
    bool CaptureThroughNoCase(const char* marker, uint32_t& start);
    // Finds `marker` byte-exactly and moves past it; otherwise gives false without moving.
    bool SkipPast(const char* marker);

private:
    void Refresh();

    StringBuffer text_;
    const char* data_;
    uint32_t pos_;
    uint32_t length_;
    const char* missingMarker_;  // absent from missingFrom_ to the end
    uint32_t missingFrom_;
};

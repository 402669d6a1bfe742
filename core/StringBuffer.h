#pragma once
// StringBuffer: a growable byte text that always ends with a NUL byte. The bytes are UTF-8, ANSI
// or ASCII as the owner of the buffer knows; nothing here interprets them beyond ASCII (and the
// Latin-1 range for case mapping).
//
// Contract shared by every operation:
// - Appends never throw. When memory is exhausted the buffer stays exactly as it was; operations
//   that return a boolean or a count report it.
// - The text pointer is never null. A buffer whose construction could not allocate points at one
//   shared static empty text that is never written or freed.
// - Every operation first checks the buffer's validity marker and stops the process when it is
//   wrong (the buffer was destroyed or overwritten); no input can cause that.
// - Counted appends may put NUL bytes inside the text; searches, comparisons and replacements
//   look at every byte of the text, NUL bytes included. Arguments given as C strings end at
//   their first NUL; a null argument counts as the empty text.
//
// Growth: when an append no longer fits, the new block holds length + growBy + the appended bytes
// (+1 for the NUL of C-string appends); growBy then becomes half the new capacity, at most
// 500000, so a growing buffer roughly doubles until its steps reach 500000 bytes.
//
// Conversions between character encodings are free functions of the encoding library (it sits
// above this one); the entity decoder is DecodeEntities.

#include <cstddef>
#include <cstdint>

#include "core/QuorvelObject.h"

class DataBuffer;
class ExtPtrArray;

class StringBuffer : public QuorvelObject {
public:
    StringBuffer();                                  // capacity 202, growBy 202
    explicit StringBuffer(const char* text);         // capacity strlen+1, growBy 200
    StringBuffer(const char* bytes, uint32_t count, uint32_t growBy = 0);  // growBy 200 when 0
    static StringBuffer WithCapacity(uint32_t capacity);  // capacity = growBy = capacity (200 if 0)
    StringBuffer(const StringBuffer& other);         // capacity length+1, growBy 200
    StringBuffer& operator=(const StringBuffer& other);
    ~StringBuffer() override;

    // --- access
    const char* GetString() const;
    uint32_t GetSize() const;  // bytes of text, without the NUL
    uint32_t GetCapacity() const;
    uint32_t GetGrowBy() const;
    char LastChar() const;         // 0 for the empty text
    char CharAt(uint32_t index) const;  // 0 outside the text
    bool IsEmpty() const { return GetSize() == 0; }
    // Writable access to the GetSize() bytes of the text, for in-place edits that keep its length
    // (callers shorten afterwards with Shorten or RemoveChar). Null for an empty text.
    char* MutableText();

    // --- append (each returns false when memory is exhausted, leaving the buffer unchanged)
    bool Append(const char* text);  // null appends nothing
    bool AppendN(const void* bytes, uint32_t count);
    bool AppendChar(char c);
    bool Append(const StringBuffer& other);
    bool Append(const DataBuffer& bytes);
    bool AppendCharN(char c, uint32_t count);
    bool AppendInt(int32_t value);
    bool AppendUint32(uint32_t value);
    bool AppendInt64(int64_t value);
    bool AppendUint64(uint64_t value);
    // Upper-case hexadecimal: plain ("0A1B2C"), or grouped with a blank after every second byte
    // and a line feed after every 16 bytes.
    bool AppendHex(const void* bytes, uint32_t count, bool grouped);
    // Lower-case "%02x " groups ("0a 1b 2c ").
    bool AppendHexGroups(const void* bytes, uint32_t count);
    // The operating system's message text for an error number, trimmed.
    bool AppendSystemErrorText(int code);

    // --- set
    void Clear();        // length 0, storage kept
    void SecureClear();  // the old bytes are overwritten with blanks first
    bool SetString(const char* text);
    bool SetString(const StringBuffer& other);
    bool SetBytes(const void* bytes, uint32_t count);
    // Hands the block to the caller (free it with qvmem::Free); the buffer starts afresh with
    // capacity growBy. Returns null when no block could be provided.
    char* TakeStorage();

    // --- shrink
    void MinimizeMemory();  // reallocates to length+1 when capacity exceeds length+4
    void Shorten(uint32_t count);         // drops the last count bytes (all when count >= length)
    bool ChopAtFirstChar(char c);         // cuts before the first c; false when there is none
    bool ChopAtLastChar(char c);          // cuts before the last c; false when there is none
    void RemoveRange(uint32_t start, uint32_t count);  // clamped to the text

    // --- whitespace (blanks, tabs, carriage returns and line feeds)
    void Trim();
    void CollapseWhitespace();  // every run becomes one blank

    // --- case: ASCII letters, plus 0xC0-0xDF <-> 0xE0-0xFF
    void ToLowerCase();
    void ToUpperCase();

    // --- search and compare (the "NoCase" forms fold ASCII letters only)
    bool Contains(const char* text) const;
    bool ContainsNoCase(const char* text) const;
    bool BeginsWith(const char* text) const;
    bool BeginsWithNoCase(const char* text) const;
    bool EndsWith(const char* text) const;
    bool Equals(const char* text) const;
    bool Equals(const StringBuffer& other) const;
    bool EqualsNoCase(const char* text) const;
    int Compare(const char* text) const;  // <0, 0, >0 as strcmp
    uint32_t CountChar(char c) const;
    // Position of the first occurrence at or after `from`, or -1.
    int64_t IndexOf(const char* text, uint32_t from = 0) const;

    // --- replace
    // Every occurrence, left to right; replacements are never rescanned. Returns the count;
    // an empty search text or no match leaves the buffer untouched and returns 0.
    uint32_t ReplaceAll(const char* from, const char* to);
    uint32_t ReplaceAllWithChar(const char* from, char to);
    bool ReplaceFirst(const char* from, const char* to);
    uint32_t ReplaceChar(char from, char to);
    // Replaces every byte that is one of the (at most five) bytes of `set` by `to`.
    uint32_t ReplaceAnyOf(const char* set, char to);
    uint32_t RemoveChar(char c);
    // Keeps only "!", "-", ".", digits, ":", letters, "_" and bytes of 0x80 and above.
    void KeepNameChars();

    // --- split (new StringBuffer pieces are appended to `pieces`; the caller deletes them, or
    //     makes the array own its items)
    // At a delimiter byte. With respectQuotes no split happens inside double quotes; with
    // respectEscapes a delimiter that follows a backslash does not split (the backslash stays).
    // Empty pieces are kept as empty buffers; an empty text gives no piece.
    bool Split(ExtPtrArray& pieces, char delimiter, bool respectQuotes, bool respectEscapes) const;
    // At a delimiter text; empty pieces are skipped. maxDelimiters 0 means no limit; after that
    // many delimiters the rest of the text is one piece.
    bool SplitOnString(ExtPtrArray& pieces, const char* delimiter, uint32_t maxDelimiters = 0) const;

    // --- encode
    void EncodeXmlSpecial();  // & < > " become &amp; &lt; &gt; &quot;
    void ToCrlf();            // every line feed not preceded by CR gets one
    void ToLf();              // every CR LF becomes LF

    // --- decode
    // Hexadecimal digit pairs (blanks and line ends between pairs are skipped) appended to `out`
    // in pieces of 500 bytes. False at the first byte that is neither, or at an unpaired digit;
    // the bytes decoded before it stay in `out`.
    bool HexDecodeInto(DataBuffer& out) const;

    // Replaces the text by `block` (allocated with qvmem::Allocate, `length` bytes of text and a
    // NUL at block[length], `capacity` bytes in all). For builders that assemble a new text.
    void AdoptBlock(char* block, uint32_t length, uint32_t capacity);

private:
    enum class AppendKind { CString, Counted };
    struct CapacityTag {};
    StringBuffer(CapacityTag, uint32_t capacity);

    void CheckAlive() const;
    bool EnsureRoom(uint32_t count, AppendKind kind);
    bool IsInsideBlock(const void* bytes) const;
    bool AppendCopyOf(const void* bytes, uint32_t count);
    void ReleaseBlock();
    void ResetToStaticEmpty();
    bool IsStaticEmpty() const;

    uint8_t marker_;
    char* data_;
    uint32_t capacity_;
    uint32_t length_;
    uint32_t growBy_;
};

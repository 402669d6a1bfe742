#pragma once
// XString: the string at the boundaries of the component library. It holds its value in up to
// three forms at once, in the process's ANSI code page, in UTF-8 and in UTF-16LE; the form set
// last is the authority and the others are caches, converted by EncodingConvert only when they
// are asked for. Returned pointers belong to the XString and stay valid until it changes.
//
// API summary
//   XString s;  s.SetFromUtf8("caf\xC3\xA9");       // or SetFromAnsi, SetFromUtf16, ...
//   s.GetAnsi();          // "caf\xE9" with ANSI code page 1252 (converted once, then cached)
//   s.IsAnsiExact();      // false when the ANSI form lost characters
//   s.GetUtf16();         // zero-terminated UTF-16 code units
//   s.AppendUtf8("!");  s.EqualsUtf8NoCase("CAF\xC3\x89!");  s.IndexOfUtf8("\xC3\xA9") == 3
//   s.GetConverted(1251, bytes);   // the value in any code page
// Setting from UTF-8 drops a leading byte-order mark; an absent or empty argument clears the
// string. What the ANSI form holds in place of characters its code page lacks is nothing (they
// are dropped; IsAnsiExact then says so).

#include <cstdint>

#include "core/DataBuffer.h"
#include "core/QuorvelObject.h"
#include "core/StringBuffer.h"

class XString : public QuorvelObject {
public:
    XString();
    XString(const XString& other);
    XString& operator=(const XString& other);
    ~XString() override;

    // --- setting
    void SetFromAnsi(const char* text);
    void SetFromUtf8(const char* text);
    void SetFromUtf8N(const char* bytes, uint32_t count);
    void SetFromUtf16(const char16_t* text);  // zero-terminated
    void SetFromUtf16N(const char16_t* units, uint32_t count);
    void SetFromEither(const char* text, bool utf8);  // UTF-8 when the flag is on, else ANSI
    void CopyFrom(const XString& other);
    void Clear();

    // --- reading
    const char* GetAnsi();
    const char* GetUtf8();
    const char16_t* GetUtf16();
    // ANSI bytes when the ANSI form is current, else UTF-16 code units.
    uint32_t GetLength();
    uint32_t GetSizeUtf8();
    uint32_t GetSizeAnsi();
    uint32_t GetSizeUtf16();  // bytes, without the terminator
    bool IsAnsiExact();
    bool GetConverted(int codePage, DataBuffer& out);

    // --- appending
    // To the ANSI form, which then becomes the authority; when the ANSI form has lost
    // characters of the value, the text goes to the UTF-8 form instead.
    void AppendAnsi(const char* text);
    void AppendUtf8(const char* text);  // a leading byte-order mark of `text` is dropped
    void AppendUtf8N(const char* bytes, uint32_t count);
    void AppendUtf16(const char16_t* text);
    void AppendX(const XString& other);  // in its best current form: UTF-8, UTF-16, ANSI

    // --- comparing and searching (the argument's byte-order mark is dropped first)
    bool EqualsUtf8(const char* text);
    bool EqualsUtf8NoCase(const char* text);  // compared as UTF-16, letters folded
    bool BeginsWithUtf8(const char* text);
    // The position of the first occurrence, in UTF-16 code units before it; -1 when absent.
    int IndexOfUtf8(const char* text);
    bool IsEmpty() const;

    // --- editing
    void Trim();  // blanks, tabs, CRs and LFs at both ends, on the UTF-8 form
    // Both on the UTF-16 form; the characters are given as bytes of the ANSI code page.
    void ReplaceChar(char from, char to);
    void ChopAtFirstChar(char c);
    void PrependUtf8(const char* text);

    // The state, for tests and diagnostics: 0 not yet known, 1 exact, 2 lossy.
    int AnsiState() const { return ansiState_; }

private:
    enum class Form { Ansi, Utf8, Utf16 };

    void MakeOnlyValid(Form form);
    void EnsureUtf16();
    void EnsureAnsi();
    void EnsureUtf8();
    void TerminateUtf16();
    uint32_t Utf16Units() const;
    char16_t AnsiByteAsUnit(char c);

    int32_t ansiState_ = 0;
    bool utf16Valid_ = true;
    bool ansiValid_ = true;
    bool utf8Valid_ = true;
    DataBuffer utf16_;
    StringBuffer ansi_;
    StringBuffer utf8_;
};

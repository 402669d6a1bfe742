#pragma once
// EncodingConvert: converts bytes from one code page to another, always through UTF-16LE.
//
// API summary
//   EncodingConvert conv;
//   DataBuffer out;
//   bool complete = conv.Convert(1252, 65001, bytes, length, out);   // windows-1252 to UTF-8
//   conv.ConvertByName("iso-8859-2", 65001, bytes, length, out);      // names via CodePageOfName
//   conv.ConvertToName(65001, "shift_jis", ...);   conv.ConvertByNames("utf-8", "koi8-r", ...);
//   conv.ConvertFromAnsi(65001, ...);   conv.ConvertToAnsi(65001, ...);   // GetACP's code page
// The converted bytes are appended to `out`. The result is true when every character was
// converted, false when something was dropped (the output then holds the rest); nothing is
// ever replaced by a substitute character except U+FFFD in UTF-32. A name that is not accepted
// makes the call return false with no output.
//
// Code pages: 1200 UTF-16LE, 1201 UTF-16BE, 65000 UTF-7, 65001 UTF-8, 65005/65006 UTF-32LE/BE
// by algorithm; 50220-50222 ISO-2022-JP through 932 and 50225 ISO-2022-KR through 949; every
// other code page through its stored table (CodePageTables), or not at all (no output, false).
//   - A target of 0 means the source; a source of 0, or equal code pages, copy the bytes as
//     they are (byte-order marks included).
//   - A UTF-16 source loses its byte-order mark (FE FF or FF FE, which also sets the byte
//     order), a UTF-8 source its EF BB BF; no mark is added to any output.
//   - UTF-16 to UTF-8 drops U+0000. See UnicodeForms.h for the Unicode rules and TableCodec.h
//     for the table rules, MacArabic.h for the extra pass of 10004, Japanese.h and Korean.h for
//     ISO-2022.
// Conversions share the process-wide tables and keep no other state, so any number of
// EncodingConvert objects may be used; one object converts one thing at a time.

#include <cstdint>

#include "core/QuorvelObject.h"

class DataBuffer;

class EncodingConvert : public QuorvelObject {
public:
    EncodingConvert() = default;
    ~EncodingConvert() override;

    bool Convert(int fromCodePage, int toCodePage, const void* bytes, uint32_t length,
                 DataBuffer& out);
    bool ConvertByName(const char* fromName, int toCodePage, const void* bytes, uint32_t length,
                       DataBuffer& out);
    bool ConvertToName(int fromCodePage, const char* toName, const void* bytes, uint32_t length,
                       DataBuffer& out);
    bool ConvertByNames(const char* fromName, const char* toName, const void* bytes,
                        uint32_t length, DataBuffer& out);
    bool ConvertFromAnsi(int toCodePage, const void* bytes, uint32_t length, DataBuffer& out);
    bool ConvertToAnsi(int fromCodePage, const void* bytes, uint32_t length, DataBuffer& out);

    // The code pages of the conversion in progress (or the last one).
    int FromCodePage() const { return fromCodePage_; }
    int ToCodePage() const { return toCodePage_; }

private:
    bool ConvertPrepared(int from, int to, const uint8_t* bytes, uint32_t length, DataBuffer& out);
    bool ConvertCore(int from, int to, const uint8_t* bytes, uint32_t length, DataBuffer& out);

    int fromCodePage_ = 0;
    int toCodePage_ = 0;
};

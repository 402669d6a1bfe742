#pragma once
// The stored code page tables, as text compiled into the library (CodePageData.cpp is written
// by tools/gen-codepage-tables from the published mappings; the generator describes the stored
// form and where each table comes from). StoredTableReader unpacks a table; CodePageTables
// builds the lookup structures from it on first use.

namespace codepagedata {

struct StoredCodePage {
    int codePage;
    // The table text in pieces, ended by a null pointer; joined before use. Code pages that
    // carry the data of another point at its pieces.
    const char* const* pieces;
    bool multiByte;
    // Non-zero for a difference table: the code page whose table it changes (for encoding;
    // decoding uses that code page's table as it is).
    int differenceBase;
};

extern const StoredCodePage kStoredCodePages[];  // in code page order
extern const int kStoredCodePageCount;

// ISO-2022-JP helpers, base64 of big-endian Shift_JIS codes: 376 for the JIS rows 0x79-0x7C
// (the NEC-selected IBM extensions, as code page 932 encodes them), 63 for the full-width forms
// of the half-width katakana 0xA1-0xDF.
extern const char* const kJisExtensionTable;
extern const char* const kHalfwidthKatakanaTable;

}  // namespace codepagedata

#pragma once
// Character sets of header text. Header fields are ASCII almost always; these two steps matter
// only for the rare header that carries 8-bit bytes, ISO-2022-JP escapes or RFC 2047 encoded
// words, and turn such text into UTF-8.

#include <cstdint>

class StringBuffer;

// The code page of a header's field text (0 when none can be told), judged in this order:
// - encoded words ("?Q?" or "?B?"): the charset named by the first of them;
// - 7-bit text with ISO-2022-JP escapes (ESC "$B", ESC "(B"): the text is converted to UTF-8
//   here and 65001 returned;
// - 8-bit text: a charset the text itself names ("windows-1250".."windows-1258",
//   "iso-8859-1".."iso-8859-8", "koi8-r", "koi8-u", then "GB2312", "shift_jis", ...) in which
//   the whole text converts cleanly; else UTF-8 when it has C2 or C3 lead bytes; else the ANSI
//   code page, ISO-8859-1 or ISO-8859-2, whichever the text is valid in.
// Fields with bytes above 0x7F are converted from the returned code page unless it is 65001.
uint32_t DetectFieldTextCodePage(StringBuffer& text);

// Converts one field's text to UTF-8 from the code page (nothing to do for 65001, for 0 or
// for ASCII text). Characters the code page lacks are dropped.
void ConvertFieldToUtf8(StringBuffer& text, uint32_t codePage);

// Replaces the RFC 2047 encoded words of a field value ("=?charset?Q?...?=" and
// "=?charset?B?...?=") by their text in UTF-8; blanks between two encoded words go. A word
// that cannot be decoded stays as it is.
void DecodeEncodedWords(StringBuffer& value);

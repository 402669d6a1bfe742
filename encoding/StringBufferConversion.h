#pragma once
// Converts the text of a StringBuffer in place between code pages (see EncodingConvert). The
// result is the conversion's: false when characters were dropped. When nothing at all comes
// out of a non-empty text (an unsupported code page, say) the text is left as it was.

class StringBuffer;

bool ConvertInPlace(StringBuffer& text, int fromCodePage, int toCodePage);

#pragma once
// ResponseBodyToUtf8: the body of a response as UTF-8 text, the way the quick GET delivers it.
//
// The charset is, in this order of precedence:
//   1. a UTF-8 byte-order mark at the start of a body of more than 3 bytes ("Response begins
//      with utf-8 preamble."; the mark stays in the text);
//   2. the charset parameter of the Content-Type field ("ResponseHdrCharset");
//   3. for a Content-Type containing "text/html" and a body with a byte of 0x80 or above, the
//      charset the page's meta declarations name ("HtmlCharset");
//   4. "windows-1252" ("No charset specified, assuming Windows-1252").
// UTF-8 and US-ASCII bodies are taken as they are; any other charset is converted to UTF-8
// ("Converting to utf-8 charset.", "ConvertFromCodePage"); when the conversion gives nothing
// (an unknown charset converts from code page 0, which copies), the raw bytes are used. In
// every case each NUL byte becomes a blank. The text is appended to `text`; `body` is used up.

class DataBuffer;
class HttpResponseHeader;
class LogBase;
class StringBuffer;

void ResponseBodyToUtf8(DataBuffer& body, const HttpResponseHeader& header, StringBuffer& text,
                        LogBase& log);

#pragma once
// Minimal UTF-8 <-> UTF-16 helpers for the platform boundary: file names and texts that the
// application hands to the operating system. The library's own conversion engine lives in
// encoding/; this layer cannot depend on it, and needs only the lossless Unicode forms.

#include <string>
#include <string_view>

namespace platform {

// Ill-formed input (a stray byte, a lone surrogate) becomes U+FFFD; nothing is read out of range.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Widens each byte to the code unit of the same value, as the C run-time's "C" locale does.
std::u16string WidenBytes(std::string_view bytes);

}  // namespace platform

// Drives the HTML charset sniffing and the tag normalizer with arbitrary bytes. The charset name
// and every piece must come out as well-formed text, and a normalized tag is empty exactly when
// the input holds no "<".

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/StringBuffer.h"
#include "http/HtmlHelp.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string text = input.substr(0, input.find('\0'));

    StringBuffer body(text.c_str());
    StringBuffer name;
    HtmlHelp::SniffHtmlCharset(body, name);
    Require(std::strlen(name.GetString()) == name.GetSize());

    StringBuffer normalized;
    HtmlHelp::NormalizeHtmlTag(text.c_str(), normalized);
    Require(std::strlen(normalized.GetString()) == normalized.GetSize());
    Require(normalized.IsEmpty() == (text.find('<') == std::string::npos));
    StringBuffer value;
    HtmlHelp::HtmlTagAttribute(normalized.GetString(), "content", value);
    Require(value.GetSize() <= normalized.GetSize());
    return 0;
}

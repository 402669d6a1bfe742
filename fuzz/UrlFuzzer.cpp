// Drives the URL parser and the redirect resolution with arbitrary bytes: the first line is the
// current URL, the rest the location. Every piece must come out as well-formed text, and the
// resolution of a relative location must keep the current URL's host.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/StringBuffer.h"
#include "http/UrlParse.h"
#include "http/UrlResolve.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void RequireText(const StringBuffer& text) {
    Require(text.GetString()[text.GetSize()] == '\0');
    Require(std::strlen(text.GetString()) == text.GetSize());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    input.erase(std::find(input.begin(), input.end(), '\0'), input.end());
    const size_t lineEnd = input.find('\n');
    const std::string current = input.substr(0, lineEnd);
    const std::string location = lineEnd == std::string::npos ? "" : input.substr(lineEnd + 1);

    ParsedUrl parts;
    Require(ParseUrl(current.c_str(), parts));
    for (const StringBuffer* piece :
         {&parts.host, &parts.login, &parts.password, &parts.path, &parts.query, &parts.fragment}) {
        RequireText(*piece);
    }
    Require(!parts.path.IsEmpty());
    for (char stop : {':', '%', '&', '?', '=', ' ', '/'}) {
        Require(std::strchr(parts.host.GetString(), stop) == nullptr);
    }

    StringBuffer resolved;
    ResolveLocation(current.c_str(), location.c_str(), resolved);
    RequireText(resolved);

    StringBuffer cleaned;
    NormalizeDotSegments(input.c_str(), cleaned);
    RequireText(cleaned);
    Require(cleaned.GetSize() <= input.size());
    Require(!cleaned.Contains("/./"));
    return 0;
}

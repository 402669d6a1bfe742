// Parses arbitrary bytes as a response header block and runs every lookup the HTTP client
// makes on the result, checking the properties the parser promises: field names hold none of
// the replaced characters, values are trimmed, nothing past the first empty line is read, and a
// copy of the header answers like the original.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/ExtPtrArray.h"
#include "core/StringBuffer.h"
#include "http/HttpResponseHeader.h"
#include "http/MimeField.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsTrimmed(const StringBuffer& text) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    return text.IsEmpty() || (!space(text.CharAt(0)) && !space(text.LastChar()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) {
        return 0;
    }
    const char* text = reinterpret_cast<const char*>(data);
    HttpResponseHeader header;
    header.ParseResponseHeader(text, static_cast<uint32_t>(size));

    const std::string_view block(text, size);
    const size_t end = block.find("\r\n\r\n");
    if (end != std::string_view::npos) {
        // Bytes after the empty line change nothing.
        HttpResponseHeader headOnly;
        headOnly.ParseResponseHeader(text, static_cast<uint32_t>(end + 4));
        Require(headOnly.StatusCode() == header.StatusCode());
        Require(headOnly.ContentLength() == header.ContentLength());
        Require(headOnly.Fields().Count() == header.Fields().Count());
    }
    Require(header.HasContentLength() || header.ContentLength() == 0);
    Require(IsTrimmed(header.StatusText()));

    const MimeHeader& fields = header.Fields();
    uint32_t contentTypes = 0;
    for (uint32_t i = 0; i < fields.Count(); ++i) {
        const MimeField* field = fields.FieldAt(i);
        Require(IsTrimmed(field->Value()));
        for (char c : std::string_view(field->Name().GetString(), field->Name().GetSize())) {
            Require(c != ' ' && c != '<' && c != '>' && c != '"' && c != '\'');
        }
        contentTypes += field->NameIs("Content-Type") ? 1 : 0;
    }
    Require(contentTypes <= 1);

    StringBuffer value;
    header.IsChunked();
    header.IsGzipCoded();
    header.ConnectionClose();
    header.GetCharset(value);
    header.GetMediaType(value);
    header.GetLocation(value);
    header.OffersAuthScheme("NTLM");
    header.ProxyOffersNtlm();
    header.FieldMatches("Server", "*a*b*");
    ExtPtrArray cookies;
    cookies.SetOwnsItems(true);
    header.CollectCookieValues(cookies);

    HttpResponseHeader copy;
    copy.Copy(header);
    Require(copy.StatusCode() == header.StatusCode());
    Require(copy.Fields().Count() == header.Fields().Count());
    return 0;
}

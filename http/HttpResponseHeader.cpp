#include "http/HttpResponseHeader.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <string_view>

#include "core/ExtPtrArray.h"
#include "core/LogBase.h"
#include "http/AsciiCase.h"
#include "http/MimeField.h"
#include "http/NumberText.h"

namespace {

// The header part of a received block: up to and including the first empty line.
std::string_view HeaderPart(std::string_view block) {
    size_t end = block.find("\r\n\r\n");
    return end == std::string_view::npos ? block : block.substr(0, end + 4);
}

}  // namespace

HttpResponseHeader::~HttpResponseHeader() = default;

void HttpResponseHeader::Reset() {
    statusCode_ = 0;
    statusText_.Clear();
    statusLine_.Clear();
    contentLength_ = 0;
    hasContentLength_ = false;
    fields_.Clear();
}

void HttpResponseHeader::MarkHeaderless() {
    Reset();
    statusCode_ = 200;
}

void HttpResponseHeader::Copy(const HttpResponseHeader& other) {
    statusCode_ = other.statusCode_;
    contentLength_ = other.contentLength_;
    hasContentLength_ = other.hasContentLength_;
    statusText_.SetString(other.statusText_);
    statusLine_.SetString(other.statusLine_);
    fields_ = other.fields_;
}

void HttpResponseHeader::ParseResponseHeader(const char* block, uint32_t length) {
    Reset();
    if (!block) {
        return;
    }
    const std::string_view header = HeaderPart(std::string_view(block, length));
    const size_t statusLineEnd = std::min(header.find('\r'), header.size());
    statusLine_.SetBytes(header.data(), static_cast<uint32_t>(statusLineEnd));

    if (header.substr(0, 4) != "HTTP") {
        return;
    }
    // The code follows the first blank of the status line (never a blank of a later line).
    const size_t firstBlank = header.find(' ');
    if (firstBlank >= statusLineEnd) {
        return;
    }
    int64_t code = 0;
    size_t codeEnd = 0;
    if (!ReadDecimal(header, firstBlank + 1, code, codeEnd)) {
        return;
    }
    statusCode_ = static_cast<int>(std::clamp<int64_t>(code, std::numeric_limits<int>::min(),
                                                       std::numeric_limits<int>::max()));

    // The reason phrase follows a blank on the status line; without a CR ending the status line
    // there is no field part to read.
    if (statusLineEnd == header.size()) {
        return;
    }
    const size_t reasonBlank = header.find(' ', codeEnd);
    if (reasonBlank < statusLineEnd) {
        statusText_.SetBytes(header.data() + reasonBlank,
                             static_cast<uint32_t>(statusLineEnd - reasonBlank));
        statusText_.Trim();
    }

    const size_t lengthField = AsciiLowerCopy(header).find("\r\ncontent-length:");
    if (lengthField != std::string_view::npos) {
        hasContentLength_ = true;
        const size_t valueStart = lengthField + 17;
        const size_t valueEnd = std::min(header.find('\r', valueStart), header.size());
        size_t ignored = 0;
        ReadDecimal(header.substr(0, valueEnd), valueStart, contentLength_, ignored);
    }

    const size_t fieldsStart =
        std::min(header.find_first_not_of(" \t\r\n", statusLineEnd), header.size());
    LogNull quiet;
    fields_.LoadFromText(header.data() + fieldsStart,
                         static_cast<uint32_t>(header.size() - fieldsStart), quiet);
}

bool HttpResponseHeader::FirstValueIs(const char* name, const char* token) const {
    StringBuffer value;
    return fields_.GetField(name, value) && value.EqualsNoCase(token);
}

bool HttpResponseHeader::IsChunked() const {
    return FirstValueIs("Transfer-Encoding", "chunked");
}

bool HttpResponseHeader::IsGzipCoded() const {
    return FirstValueIs("content-encoding", "gzip");
}

bool HttpResponseHeader::ConnectionClose() const {
    return FirstValueIs("connection", "close");
}

bool HttpResponseHeader::GetCharset(StringBuffer& charset) const {
    return fields_.GetFieldAttribute("Content-Type", "charset", charset);
}

bool HttpResponseHeader::GetMediaType(StringBuffer& mediaType) const {
    if (!fields_.GetField("content-type", mediaType)) {
        return false;
    }
    mediaType.ChopAtFirstChar(';');
    mediaType.Trim();
    return true;
}

bool HttpResponseHeader::GetLocation(StringBuffer& location) const {
    return fields_.GetField("Location", location);
}

bool HttpResponseHeader::OffersAuthScheme(const char* scheme) const {
    return fields_.FieldEquals("WWW-Authenticate", scheme);
}

bool HttpResponseHeader::ProxyOffersNtlm() const {
    return fields_.FieldMatches("Proxy-Authenticate", "NTLM");
}

void HttpResponseHeader::CollectCookieValues(ExtPtrArray& values) const {
    for (uint32_t i = 0; i < fields_.Count(); ++i) {
        const MimeField* field = fields_.FieldAt(i);
        if (!field->NameIs("Set-Cookie") && !field->NameIs("Set-Cookie2")) {
            continue;
        }
        StringBuffer* copy = new (std::nothrow) StringBuffer(field->Value());
        if (!copy || !values.Append(copy)) {
            delete copy;
            return;
        }
    }
}

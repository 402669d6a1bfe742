#pragma once
// HttpResponseHeader: a parsed response header block (status line, fields, content length) and
// the lookups the HTTP client makes on it.
//
//   HttpResponseHeader h;
//   h.ParseResponseHeader(bytes, size);  // the received bytes; only the header part is read
//   h.StatusCode();                      // 0 when no status line could be parsed
//   h.ContentLength(), h.HasContentLength();
//   h.IsChunked(), h.IsGzipCoded(), h.ConnectionClose();
//   h.GetCharset(cs), h.GetMediaType(type), h.GetLocation(url);
//   h.OffersAuthScheme("NTLM"), h.ProxyOffersNtlm(), h.CollectCookieValues(list);
//   h.MarkHeaderless();                  // a response that began directly with HTML
//
// Parsing (ParseResponseHeader):
// - Only the bytes up to and including the first "\r\n\r\n" are looked at, so body bytes that
//   arrived with the header never count as fields or as a content length.
// - The status line is the text up to the first CR. The block must begin with "HTTP"; after
//   the status line's first blank comes the decimal status code, then a blank and the reason
//   phrase, which is trimmed into the status text. A status line without a reason phrase
//   gives an empty status text; a block whose status line has no CR keeps the code but takes no
//   fields and no content length.
// - The content length is the value of the first "Content-Length:" field (any letter case),
//   read as a signed decimal number up to the first non-digit; absent means 0 and
//   HasContentLength() false.
// - The fields follow MimeHeader's rules.

#include <cstdint>

#include "core/QuorvelObject.h"
#include "core/StringBuffer.h"
#include "http/MimeHeader.h"

class ExtPtrArray;

class HttpResponseHeader : public QuorvelObject {
public:
    HttpResponseHeader() = default;
    ~HttpResponseHeader() override;

    void Reset();
    void ParseResponseHeader(const char* block, uint32_t length);
    // Status 200 with no status text, no fields and no content length.
    void MarkHeaderless();
    // Status code, content length, status text and all fields of the other header.
    void Copy(const HttpResponseHeader& other);

    int StatusCode() const { return statusCode_; }
    const StringBuffer& StatusText() const { return statusText_; }
    const StringBuffer& StatusLine() const { return statusLine_; }
    int64_t ContentLength() const { return contentLength_; }
    bool HasContentLength() const { return hasContentLength_; }
    const MimeHeader& Fields() const { return fields_; }

    // Field lookups (names in any letter case; the first field of a name wins).
    bool HasField(const char* name) const { return fields_.HasField(name); }
    bool GetField(const char* name, StringBuffer& value) const {
        return fields_.GetField(name, value);
    }
    bool GetFieldAttribute(const char* fieldName, const char* attribute,
                           StringBuffer& value) const {
        return fields_.GetFieldAttribute(fieldName, attribute, value);
    }
    bool FieldEquals(const char* name, const char* token) const {
        return fields_.FieldEquals(name, token);
    }
    bool FieldMatches(const char* name, const char* pattern) const {
        return fields_.FieldMatches(name, pattern);
    }

    // What the HTTP client asks of a response.
    bool IsChunked() const;        // Transfer-Encoding is exactly "chunked" (a list does not count)
    bool IsGzipCoded() const;      // content-encoding is "gzip"
    bool ConnectionClose() const;  // connection is "close"
    bool GetCharset(StringBuffer& charset) const;      // charset attribute of Content-Type
    bool GetMediaType(StringBuffer& mediaType) const;  // Content-Type up to ";", trimmed
    bool GetLocation(StringBuffer& location) const;    // Location, as is
    // Whether a WWW-Authenticate field is exactly the scheme name ("NTLM", "Negotiate"); a
    // challenge with parameters does not count.
    bool OffersAuthScheme(const char* scheme) const;
    bool ProxyOffersNtlm() const;  // a Proxy-Authenticate field is exactly "NTLM"
    // The values of the Set-Cookie and Set-Cookie2 fields in arrival order (owned StringBuffers).
    void CollectCookieValues(ExtPtrArray& values) const;

private:
    // Field-value checks ignoring letter case, on the first field of the name.
    bool FirstValueIs(const char* name, const char* token) const;

    int statusCode_ = 0;
    StringBuffer statusText_;
    StringBuffer statusLine_;
    int64_t contentLength_ = 0;
    bool hasContentLength_ = false;
    MimeHeader fields_;
};

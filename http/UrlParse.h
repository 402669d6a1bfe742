#pragma once
// URL parsing for the HTTP client.
//
// API summary:
//   ParsedUrl parts;  ParseUrl(url, parts)   false only for a null URL; every text parses
//   parts.host        lower-cased, trimmed, without port, user information or stray punctuation
//                     (ready to serve as a connection key and as the Host header value)
//   parts.port        80, 443 for "https://", or the number written after the host
//   parts.login, parts.password   from "user:password@" before the host (else empty)
//   parts.path        from the first "/" after the host up to "?" (or the last "#"), trimmed;
//                     "/" when there is none
//   parts.query       after the first "?", up to the last "#"
//   parts.fragment    after the last "#"
//
// The parser is lenient: back-slashes count as slashes, a missing scheme means the text starts
// with the host, and "file:///" and "ftp://" are recognised. Nothing is percent-decoded.
// The host ends at the first "/", "?" or "#" after it; a ":" inside it introduces the port.
// Without "http://", "https://" or "ftp://", a ":" at the second character follows a drive
// letter ("file:///c:/dir/f.xml") and leaves the host empty.
// An "@" introduces user information only when no "/" comes before it and one comes after it.

#include "core/StringBuffer.h"

struct ParsedUrl {
    void Clear();

    StringBuffer host;
    int port = 80;
    StringBuffer login;
    StringBuffer password;
    StringBuffer path;
    StringBuffer query;
    StringBuffer fragment;
};

bool ParseUrl(const char* url, ParsedUrl& parts);

#pragma once
// Getting a URL ready for a request.
//
// API summary:
//   PrepareRequestUrl(url, prepared, parts, log)   the quick GET's first step: trims the URL,
//       writes every blank as "%20" and parses it. When the URL carries both a login and a
//       password, "//login:password@" is taken out of `prepared` (the caller moves the two from
//       `parts` into its settings), so the credentials never travel in the URL. A null URL fails
//       with "Failed to parse URL".
//   CheckUrlBeforeRequest(url, maxUrlLen, log)     the checks at the start of every request, in
//       order: a URL containing "about:blank" (any letter case) is skipped with success and no
//       network activity; a URL longer than maxUrlLen bytes fails. Parsing follows separately.

#include <cstdint>

#include "http/UrlParse.h"

class LogBase;
class StringBuffer;

bool PrepareRequestUrl(const char* url, StringBuffer& prepared, ParsedUrl& parts, LogBase& log);

enum class UrlCheck {
    Proceed,         // go on with the request
    SkipAboutBlank,  // end the request with success and an empty output
    Fail,            // the URL is too long
};

constexpr int32_t kDefaultMaxUrlLen = 2000;

UrlCheck CheckUrlBeforeRequest(const StringBuffer& url, int32_t maxUrlLen, LogBase& log);

#pragma once
// Resolving a redirect target against the current URL.
//
// API summary:
//   ResolveLocation(currentUrl, location, newUrl)   the URL a Location value points to; an
//       empty newUrl means none can be built. The caller has already written the location's
//       blanks as "%20".
//     - "http..." (exact letters): the location as it is.
//     - "/...": the current URL's scheme and authority followed by the location (empty when the
//       current URL has no "//").
//     - otherwise relative: the location is trimmed; "http:"/"https:" in any letter case is
//       taken as it is; else "http://" or "https://" (as the current URL), its host, ":" and its
//       port unless that is the scheme's default, and MergeRelativePath of its path and the
//       location, cleaned by NormalizeDotSegments. The current query and fragment are dropped.
//   MergeRelativePath(basePath, relative, merged)   the base path up to its last "/", then the
//       relative text without its leading slashes ("/news/feed.xml" + "other.xml" gives
//       "/news/other.xml").
//   NormalizeDotSegments(url, cleaned)   "/./" becomes "/"; each "/x/../" becomes "/" (at most
//       100 times); a "/../" right after the authority is dropped.

class StringBuffer;

void ResolveLocation(const char* currentUrl, const char* location, StringBuffer& newUrl);
void MergeRelativePath(const char* basePath, const char* relative, StringBuffer& merged);
void NormalizeDotSegments(const char* url, StringBuffer& cleaned);

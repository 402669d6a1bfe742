#pragma once
// Name lookups as the IPv4 connect paths and the SOCKS 4 connect use them.
//
// LookupWithRetries resolves a name (HostnameResolve) and, when that finds nothing, tries again
// with the name cleaned of blanks, quotes, angle brackets, ":", "/", "@" and "?" (lower-cased),
// when the cleaning changed it, and then, for a cleaned name with exactly one dot, with "www."
// in front. All tries share the time-out (0 = none); an abort ends the lookup at once.
//
// DnsLookupToText gives the dotted address of a host name: "localhost" is 127.0.0.1, and a
// numeric address is refused (the caller should not have asked).

#include <cstdint>

class LogBase;
class ProgressMonitor;
class StringBuffer;

bool LookupWithRetries(const char* name, uint32_t timeoutMs, uint32_t heartbeatMs, LogBase& log,
                       ProgressMonitor* monitor, StringBuffer& dottedAddress,
                       unsigned char address[4], bool& aborted, bool& timedOut);

bool DnsLookupToText(const char* name, uint32_t timeoutMs, uint32_t heartbeatMs, LogBase& log,
                     ProgressMonitor* monitor, StringBuffer& dottedAddress);

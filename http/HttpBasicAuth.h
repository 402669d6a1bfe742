#pragma once
// The Basic credential lines of a request (the RequestCredentialSource the request driver gives
// the request builder):
//   "Authorization: Basic " + Base64(login ":" password), both in UTF-8, when login and
//       password are set and none of useNtlm, useNegotiate, useDigest is;
//   "Proxy-Authorization: Basic " + Base64(proxyLogin ":" proxyPassword), both in the ANSI code
//       page, when both are set and proxyAuthMethod is empty or "basic".
// Each line ends in CR LF, is logged ("Adding Basic Authentication Header" / "Adding Basic Proxy
// Authentication Header" with "login") and announced with the event "HttpAuth".

#include "http/GetRequestBuilder.h"

class HttpBasicCredentials : public RequestCredentialSource {
public:
    void AppendBasicAuthorizationLine(const HttpControl& settings, StringBuffer& request,
                                      LogBase& log, ProgressMonitor* monitor) override;
    void AppendBasicProxyAuthorizationLine(const HttpControl& settings, StringBuffer& request,
                                           LogBase& log, ProgressMonitor* monitor) override;
};

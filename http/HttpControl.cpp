#include "http/HttpControl.h"

HttpControl::HttpControl()
    : userAgent("Quorvel/1.0.0 (+https://quorvel.example/http-agent.html)"),
      acceptHeader("*/*"),
      acceptCharset("ISO-8859-1,utf-8;q=0.7,*;q=0.7"),
      acceptLanguage("en-us,en;q=0.5"),
      connectionHeader("Keep-Alive"),
      tlsProtocol("default") {}

HttpControl::~HttpControl() = default;

uint32_t HttpControl::ReadTimeoutMs() const {
    if (readTimeout <= 0) {
        return 0;
    }
    const uint64_t ms = static_cast<uint64_t>(readTimeout) * 1000u;
    return ms > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(ms);
}

const char* HttpControl::MethodOrGet() const {
    return httpMethod.IsEmpty() ? "GET" : httpMethod.GetString();
}

#pragma once
// Which HTTP proxy a request goes through: the configured proxyDomain, else (with
// useSystemProxy) the current user's browser proxy setting, else none.
//
//   HttpProxy proxy;
//   SelectHttpProxy(settings, url, /*logSystemSetting=*/true, proxy, log);
//   if (proxy.IsSet()) ... proxy.host, proxy.port

#include "core/StringBuffer.h"

class HttpControl;
class LogBase;

struct HttpProxy {
    StringBuffer host;  // empty: no proxy
    int port = 80;
    bool IsSet() const { return !host.IsEmpty(); }
};

// The browser setting is read from the registry of the current user
// ("Software/Microsoft/Windows/CurrentVersion/Internet Settings", values "ProxyServer" and
// "ProxyEnable"); a per-scheme list ("http=h:p;https=h:p") gives the entry of the URL's scheme.
// logSystemSetting logs the setting as "IE_Proxy" and "IE_ProxyEnabled" (the connection lookup
// alone does not). Without a proxy, host is empty and port is proxyPort.
void SelectHttpProxy(const HttpControl& settings, const char* url, bool logSystemSetting,
                     HttpProxy& proxy, LogBase& log);

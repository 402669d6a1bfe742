#include "http/HttpProxySelection.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/LogBase.h"
#include "http/HttpControl.h"
#include "http/NumberText.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kInternetSettingsKey =
    "/Software/Microsoft/Windows/CurrentVersion/Internet Settings";

// One value of the browser settings; a missing one is logged and gives false.
bool ReadInternetSetting(const platform::RegistryKey& key, bool keyOpen, const char* name,
                         std::string& value, LogBase& log) {
    if (keyOpen && key.QueryValue(name, value) == 0) {
        return true;
    }
    std::string text =
        std::string("Failed to read registry: CURRENT_USER") + kInternetSettingsKey + "/" + name;
    log.AddError(text.c_str());
    return false;
}

// The entry for one scheme of a "scheme=host:port;..." list; empty when the list has none.
std::string SchemeEntry(const std::string& list, const std::string& scheme) {
    const std::string key = scheme + "=";
    for (size_t start = 0; start < list.size();) {
        size_t end = list.find(';', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        std::string_view entry(list.data() + start, end - start);
        if (entry.substr(0, key.size()) == key) {
            return std::string(entry.substr(key.size()));
        }
        start = end + 1;
    }
    return {};
}

void SelectSystemProxy(const char* url, bool logSystemSetting, HttpProxy& proxy, LogBase& log) {
    platform::RegistryKey key;
    const bool keyOpen = key.Open(platform::RegistryHive::CurrentUser, kInternetSettingsKey) == 0;
    std::string setting;
    std::string enabledText;
    if (!ReadInternetSetting(key, keyOpen, "ProxyServer", setting, log) ||
        !ReadInternetSetting(key, keyOpen, "ProxyEnable", enabledText, log)) {
        return;
    }
    if (setting.find('=') != std::string::npos) {
        StringBuffer urlText(url);
        setting = SchemeEntry(setting, urlText.BeginsWithNoCase("https") ? "https" : "http");
    }
    const bool enabled = enabledText == "1";
    if (logSystemSetting) {
        log.AddData("IE_Proxy", setting.c_str());
        log.AddDataInt("IE_ProxyEnabled", enabled ? 1 : 0);
    }
    if (!enabled || setting.empty()) {
        return;
    }
    const size_t colon = setting.find(':');
    proxy.host.SetBytes(setting.data(), static_cast<uint32_t>(std::min(colon, setting.size())));
    int64_t port = 0;
    size_t end = 0;
    const bool hasPort = colon != std::string::npos && ReadDecimal(setting, colon + 1, port, end) &&
                         port > 0 && port <= 65535;
    proxy.port = hasPort ? static_cast<int>(port) : 80;
}

}  // namespace

void SelectHttpProxy(const HttpControl& settings, const char* url, bool logSystemSetting,
                     HttpProxy& proxy, LogBase& log) {
    proxy.host.Clear();
    proxy.port = settings.proxyPort;
    if (!settings.proxyDomain.IsEmpty()) {
        proxy.host.SetString(settings.proxyDomain);
        return;
    }
    if (settings.useSystemProxy) {
        SelectSystemProxy(url, logSystemSetting, proxy, log);
    }
}

#include "app/Registry.h"

#include <cstdio>

#include "platform/Registry.h"
#include "platform/Utf16Text.h"

namespace {
constexpr size_t kValueBufferBytes = 1024;
constexpr size_t kLastErrorLimit = 1000;
}  // namespace

void CRegistry::SetLastError(const char* call, long code) {
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%s [%ld]::", call, code);
    lastError_ = platform::Utf8ToUtf16(prefix + platform::WindowsErrorMessage(code));
    if (lastError_.size() > kLastErrorLimit) {
        lastError_.resize(kLastErrorLimit);
    }
}

bool CRegistry::ReadValue(const std::u16string& subKey, const std::u16string& valueName,
                          std::u16string& out) {
    lastError_.clear();
    platform::RegistryKey key;
    if (long code = key.Open(platform::RegistryHive::LocalMachine, platform::Utf16ToUtf8(subKey))) {
        SetLastError("RegOpenKeyEx", code);
        return false;
    }
    std::string value;
    if (long code = key.QueryValue(platform::Utf16ToUtf8(valueName), value)) {
        SetLastError("RegQueryValueEx", code);
        return false;
    }
    std::u16string wide = platform::Utf8ToUtf16(value);
    if ((wide.size() + 1) * sizeof(char16_t) > kValueBufferBytes) {
        SetLastError("RegQueryValueEx", platform::kErrorMoreData);
        return false;
    }
    out = std::move(wide);
    return true;
}

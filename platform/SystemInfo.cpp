#include "platform/SystemInfo.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <unistd.h>
#include <vector>

#include "platform/Environment.h"

namespace platform {
namespace {

int CodePageSetting(const char* variable, int fallback) {
    auto text = EnvironmentValue(variable);
    if (!text) {
        return fallback;
    }
    char* end = nullptr;
    long value = std::strtol(text->c_str(), &end, 10);
    return (end && *end == '\0' && value > 0 && value < 65536) ? static_cast<int>(value) : fallback;
}

// strerror_r comes in two flavours; these overloads accept whichever the C library provides.
[[maybe_unused]] const char* ErrorTextResult(int result, const char* buffer) {
    return result == 0 ? buffer : "Unknown error";
}
[[maybe_unused]] const char* ErrorTextResult(const char* result, const char*) { return result; }

}  // namespace

std::string UserName() {
    // Read once: every public method logs it, and the effective user does not change.
    static const std::string name = [] {
        std::vector<char> buffer(4096);
        struct passwd entry {};
        struct passwd* found = nullptr;
        if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
            !found->pw_name) {
            return std::string();
        }
        return std::string(found->pw_name);
    }();
    return name;
}

int AnsiCodePage() { return CodePageSetting("QV_ANSI_CODEPAGE", 1252); }
int OemCodePage() { return CodePageSetting("QV_OEM_CODEPAGE", 437); }

int LastErrorCode() { return errno; }

std::string SystemErrorText(int code) {
    char buffer[256] = {};
    return ErrorTextResult(strerror_r(code, buffer, sizeof buffer), buffer);
}

}  // namespace platform

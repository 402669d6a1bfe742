#pragma once
// The registry stand-in: a folder tree. The value <name> of key <path> under a hive is the file
// <root>/<hive>/<path, "\" read as "/">/<name>; its bytes (UTF-8, one trailing line feed dropped)
// are the value. <root> is $QV_REGISTRY_ROOT, else "/etc/qv-registry". Failures are reported with
// the Windows error numbers callers expect (2 for a missing key or value).

#include <string>

namespace platform {

enum class RegistryHive { LocalMachine, CurrentUser };

constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorMoreData = 234;

class RegistryKey {
public:
    // Opens a key for reading; returns 0 or a Windows error number.
    long Open(RegistryHive hive, const std::string& subKey);
    // Reads a value of the open key; returns 0 or a Windows error number.
    long QueryValue(const std::string& valueName, std::string& value) const;

private:
    std::string folder_;
};

// The English message text of a Windows error number the registry stand-in reports.
std::string WindowsErrorMessage(long code);

}  // namespace platform

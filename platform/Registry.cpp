#include "platform/Registry.h"

#include <cerrno>
#include <sys/stat.h>

#include "platform/Environment.h"
#include "platform/FileSystem.h"

namespace platform {
namespace {

std::string RegistryRoot() { return EnvironmentValue("QV_REGISTRY_ROOT").value_or("/etc/qv-registry"); }

const char* HiveFolder(RegistryHive hive) {
    return hive == RegistryHive::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

long ErrnoToWindowsError(int error) {
    return error == EACCES || error == EPERM ? kErrorAccessDenied : kErrorFileNotFound;
}

}  // namespace

long RegistryKey::Open(RegistryHive hive, const std::string& subKey) {
    std::string folder = RegistryRoot() + "/" + HiveFolder(hive);
    if (!subKey.empty()) {
        folder += "/";
        for (char c : subKey) {
            folder.push_back(c == '\\' ? '/' : c);
        }
    }
    struct stat info;
    if (::stat(folder.c_str(), &info) != 0) {
        return ErrnoToWindowsError(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return kErrorFileNotFound;
    }
    folder_ = folder;
    return 0;
}

long RegistryKey::QueryValue(const std::string& valueName, std::string& value) const {
    if (folder_.empty()) {
        return kErrorFileNotFound;
    }
    BinaryFile file;
    if (!file.Open(folder_ + "/" + valueName, BinaryFile::Mode::Read)) {
        return ErrnoToWindowsError(errno);
    }
    auto size = file.Size();
    if (!size) {
        return kErrorFileNotFound;
    }
    std::string bytes(static_cast<size_t>(*size), '\0');
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    if (!bytes.empty() && bytes.back() == '\n') {
        bytes.pop_back();
    }
    value = std::move(bytes);
    return 0;
}

std::string WindowsErrorMessage(long code) {
    switch (code) {
        case kErrorFileNotFound:
            return "The system cannot find the file specified.";
        case kErrorAccessDenied:
            return "Access is denied.";
        case kErrorMoreData:
            return "More data is available.";
        default:
            return "Unknown error.";
    }
}

}  // namespace platform

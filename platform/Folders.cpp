#include "platform/Folders.h"

#include <climits>
#include <unistd.h>

#include "platform/Environment.h"

namespace platform {

std::string CommonAppDataFolder() { return EnvironmentValue("PROGRAMDATA").value_or("/var/lib"); }

std::string ModuleFileName() {
    char path[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    return std::string(path, static_cast<size_t>(length));
}

std::string SystemDirectory() {
    return EnvironmentValue("SystemDrive").value_or("C:") + "\\Windows\\system32";
}

}  // namespace platform

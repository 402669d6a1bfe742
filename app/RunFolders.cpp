#include "app/RunFolders.h"

#include "app/Registry.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/Utf16Text.h"

namespace {

constexpr size_t kSystemDirectoryLimit = 500;
constexpr size_t kModulePathLimit = 259;

bool PathExists(const std::u16string& path) { return platform::PathExists(platform::Utf16ToUtf8(path)); }

std::u16string ModuleFolder() {
    std::u16string path = platform::Utf8ToUtf16(platform::ModuleFileName());
    if (path.size() > kModulePathLimit) {
        path.resize(kModulePathLimit);
    }
    const size_t separator = path.find_last_of(u'/');
    return separator == std::u16string::npos ? path : path.substr(0, separator);
}

}  // namespace

std::u16string ProgramFilesFallback(char16_t systemDriveLetter) {
    const std::u16string drive(1, systemDriveLetter);
    if (PathExists(drive + u":\\Program Files\\TALVEX")) {
        return u"C:\\Program Files\\TALVEX\\";
    }
    if (PathExists(drive + u":\\Program Files(x86)\\TALVEX")) {
        return u"C:\\Program Files(x86)\\TALVEX\\";
    }
    return {};
}

RunFolders DetermineRunFolders() {
    RunFolders folders;
    std::u16string systemDirectory = platform::Utf8ToUtf16(platform::SystemDirectory());
    if (systemDirectory.size() > kSystemDirectoryLimit) {
        systemDirectory.resize(kSystemDirectoryLimit);
    }
    const char16_t systemDrive = systemDirectory.empty() ? u'C' : systemDirectory[0];

    folders.moduleFolder = ModuleFolder();
    folders.dataFolder = platform::Utf8ToUtf16(platform::CommonAppDataFolder()) + u"/TALVEX";

    CRegistry registry;
    if (!registry.ReadValue(u"SOFTWARE\\TALVEX", u"InstallationPath", folders.installationPath)) {
        folders.installationPath = ProgramFilesFallback(systemDrive);
    }
    return folders;
}

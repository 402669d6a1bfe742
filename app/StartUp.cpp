#include "app/StartUp.h"

#include "app/ApplicationLog.h"
#include "app/RunLog.h"
#include "platform/FileSystem.h"
#include "platform/Utf16Text.h"

namespace {

// Creates one folder level when the existence test does not find it; failures are harmless
// (a missing parent, or a folder that exists but was asked for with a trailing "/").
void CreateIfMissing(const std::u16string& folder) {
    const std::string path = platform::Utf16ToUtf8(folder);
    if (!platform::PathExists(path)) {
        platform::CreateOneDirectory(path);
    }
}

}  // namespace

void StartRun(const RunFolders& folders) {
    SetLogBaseFolder(folders.dataFolder);
    LogInfo(u"Application Started Installation Path is :", folders.installationPath);
    LogInfo(u"Module File Path is :", folders.moduleFolder);
    LogInfo(u"ProgramData Path is :", folders.dataFolder);

    CreateIfMissing(folders.DuCorFolder());
    CreateIfMissing(folders.RssLinksFolder());

    const std::string exportPath = platform::Utf16ToUtf8(folders.ExportPath());
    if (platform::PathExists(exportPath)) {
        platform::DeleteFilePath(exportPath);
    }
}

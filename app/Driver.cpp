#include "app/Driver.h"

#include <memory>

#include "app/ExportRun.h"
#include "app/RunFolders.h"
#include "app/RunLog.h"
#include "app/StartUp.h"
#include "platform/FileSystem.h"
#include "platform/Utf16Text.h"
#include "rss/QvRss.h"

namespace {

int DownloadAndExport(const std::string& commandLine, const RunFolders& folders) {
    LogInfo(u"Creating QvRss object:");
    QvRss feed;
    const std::u16string urlForLog = UrlForLog(commandLine);
    LogInfo(u"Creating XML for Link:", urlForLog);
    // The download gets the whole command line; only the log copy is cut.
    if (!feed.DownloadRss(commandLine.c_str())) {
        LogError(u"Downloading RSS Failed :", urlForLog);
        return -1;
    }
    LogInfo(u"Downloading RSS Success :");
    return ExportFeed(feed, folders, urlForLog);
}

}  // namespace

int RunWithCatchAll(const std::function<int()>& job, const std::string& exportPath) {
    try {
        return job();
    } catch (...) {
        try {
            if (!exportPath.empty() && platform::PathExists(exportPath)) {
                platform::DeleteFilePath(exportPath);
            }
        } catch (...) {
        }
        return -1;
    }
}

int RunFeedDoc(const std::string& commandLine) {
    // Filled in by the job once the folders are known; the catch-all reads it through its
    // reference when the job throws.
    std::string exportPath;
    return RunWithCatchAll(
        [&] {
            const RunFolders folders = DetermineRunFolders();
            exportPath = platform::Utf16ToUtf8(folders.ExportPath());
            StartRun(folders);
            return DownloadAndExport(commandLine, folders);
        },
        exportPath);
}

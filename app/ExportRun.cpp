#include "app/ExportRun.h"

#include <memory>

#include "app/FeedExport.h"
#include "app/RunLog.h"
#include "platform/Utf16Text.h"
#include "platform/Utf16TextFile.h"
#include "rss/QvRss.h"

namespace {
constexpr size_t kLoggedUrlLimit = 255;
}

std::u16string UrlForLog(const std::string& commandLine) {
    return platform::WidenBytes(commandLine.substr(0, kLoggedUrlLimit));
}

int ExportFeed(QvRss& feed, const RunFolders& folders, const std::u16string& urlForLog) {
    std::unique_ptr<QvRss> channel(feed.GetChannel(0));
    if (!channel) {
        LogError(u"Unable to locate a Channel", urlForLog);
        return -1;
    }
    LogInfo(u"open file from ..\\DuCor\\RSSLinks\\Temp_RSS.xml :");
    platform::Utf16TextFile file;
    if (!file.Open(platform::Utf16ToUtf8(folders.ExportPath()), platform::Utf16TextFile::Mode::Create)) {
        LogError(u"Create file fail ..\\DuCor\\RSSLinks\\Temp_RSS.xml :");
        return -1;
    }
    WriteFeedExport(*channel, file);
    file.Close();
    channel.reset();
    LogInfo(u"XML Created. Application Successfully Ends", urlForLog);
    return 0;
}

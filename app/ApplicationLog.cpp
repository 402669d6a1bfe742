#include "app/ApplicationLog.h"

#include <cstdio>

#include "platform/FileSystem.h"
#include "platform/Utf16Text.h"
#include "platform/Utf16TextFile.h"

namespace {

std::u16string& MutableLogBaseFolder() {
    static std::u16string folder;
    return folder;
}

// "%02d%02d%04d" (file names) or "%02d/%02d/%04d" (entries) of day, month and year.
std::u16string DateText(const platform::LocalDateTime& when, bool withSlashes) {
    char text[32];
    if (withSlashes) {
        std::snprintf(text, sizeof text, "%02d/%02d/%04d", when.day, when.month, when.year);
    } else {
        std::snprintf(text, sizeof text, "%02d%02d%04d", when.day, when.month, when.year);
    }
    return platform::WidenBytes(text);
}

}  // namespace

void SetLogBaseFolder(std::u16string_view folder) { MutableLogBaseFolder() = folder; }

const std::u16string& LogBaseFolder() { return MutableLogBaseFolder(); }

std::u16string ApplicationLogType(std::u16string_view type) {
    if (type == u"Information") {
        return u"INFO";
    }
    std::u16string upper(type);
    for (char16_t& c : upper) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - 32);
        }
    }
    return upper;
}

void WriteApplicationLog(std::u16string_view software, std::u16string_view version,
                         std::u16string_view module, std::u16string_view type,
                         std::u16string_view val1, std::u16string_view val2,
                         std::u16string_view val3) {
    WriteApplicationLogAt(LogBaseFolder(), platform::LocalNow(), software, version, module, type,
                          val1, val2, val3);
}

void WriteApplicationLogAt(std::u16string_view logBaseFolder, const platform::LocalDateTime& when,
                           std::u16string_view software, std::u16string_view version,
                           std::u16string_view module, std::u16string_view type,
                           std::u16string_view val1, std::u16string_view val2,
                           std::u16string_view val3) {
    const std::string folder = platform::Utf16ToUtf8(logBaseFolder) + "/ApplicationLog";
    if (!platform::PathExists(folder)) {
        platform::CreateOneDirectory(folder);
    }

    const std::u16string fileDate = DateText(when, false);
    const std::u16string lineDate = DateText(when, true);
    const std::u16string time = platform::WidenBytes(platform::TwelveHourTimeText(when));
    const std::string path = folder + "/" + platform::Utf16ToUtf8(software) + "_" +
                             platform::Utf16ToUtf8(fileDate) + ".Log";
    const bool existed = platform::PathExists(path);

    platform::Utf16TextFile file;
    if (!file.Open(path, platform::Utf16TextFile::Mode::Append)) {
        return;
    }
    const std::u16string stamp = lineDate + u" " + time;
    if (!existed) {
        file.Write(u"#Software: " + std::u16string(software) + u"\n#Version: " +
                   std::u16string(version) + u"\n#Date: " + stamp + u"\n");
        file.Write(u"#Fields:\tdtime\tmodule\ttype\tval1\tval2\tval3\n");
    }
    file.Write(stamp + u"\t" + std::u16string(module) + u"\t" + ApplicationLogType(type) + u"\t" +
               std::u16string(val1) + u"\t" + std::u16string(val2) + u"\t" +
               std::u16string(val3) + u"\n");
    file.Close();
}

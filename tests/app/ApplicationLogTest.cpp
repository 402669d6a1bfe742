#include <gtest/gtest.h>

#include "app/ApplicationLog.h"
#include "platform/Utf16Text.h"
#include "tests/support/TestSupport.h"

using testsupport::TempFolder;
using testsupport::Utf16LeBytes;

namespace {

platform::LocalDateTime At(int year, int month, int day, int hour, int minute, int second) {
    platform::LocalDateTime t;
    t.year = year, t.month = month, t.day = day, t.hour = hour, t.minute = minute, t.second = second;
    return t;
}

void Write(const TempFolder& dir, const platform::LocalDateTime& when, std::u16string_view type,
           std::u16string_view val2, std::u16string_view val3) {
    WriteApplicationLogAt(platform::Utf8ToUtf16(dir.Path()), when, u"kFeedDoc", u"1.0.0.0",
                          u"kFeedDoc", type, u"WinMain", val2, val3);
}

const char16_t kHeader[] =
    u"#Software: kFeedDoc\r\n#Version: 1.0.0.0\r\n#Date: 08/12/2026 09:05:03 PM\r\n"
    u"#Fields:\tdtime\tmodule\ttype\tval1\tval2\tval3\r\n";

}  // namespace

TEST(ApplicationLog, NewFileGetsMarkHeaderAndEntry) {
    TempFolder dir;
    Write(dir, At(2026, 12, 8, 21, 5, 3), u"INFO", u"Module File Path is :", u"/opt/kfeeddoc");
    const std::string expected =
        "\xFF\xFE" + Utf16LeBytes(kHeader) +
        Utf16LeBytes(u"08/12/2026 09:05:03 PM\tkFeedDoc\tINFO\tWinMain\tModule File Path is :\t/opt/kfeeddoc\r\n");
    EXPECT_EQ(testsupport::ReadFileBytes(dir / "ApplicationLog/kFeedDoc_08122026.Log"), expected);
}

TEST(ApplicationLog, LaterCallsAppendOnlyTheirLine) {
    TempFolder dir;
    Write(dir, At(2026, 12, 8, 21, 5, 3), u"INFO", u"first", u"");
    Write(dir, At(2026, 12, 8, 21, 5, 4), u"ERROR", u"Downloading RSS Failed :", u"http://x/");
    const std::string expected =
        "\xFF\xFE" + Utf16LeBytes(kHeader) +
        Utf16LeBytes(u"08/12/2026 09:05:03 PM\tkFeedDoc\tINFO\tWinMain\tfirst\t\r\n"
                     u"08/12/2026 09:05:04 PM\tkFeedDoc\tERROR\tWinMain\tDownloading RSS Failed :\thttp://x/\r\n");
    EXPECT_EQ(testsupport::ReadFileBytes(dir / "ApplicationLog/kFeedDoc_08122026.Log"), expected);
}

TEST(ApplicationLog, TypeRule) {
    struct Case {
        const char16_t* given;
        const char16_t* written;
    };
    const Case cases[] = {{u"Information", u"INFO"},
                          {u"information", u"INFORMATION"},
                          {u"Error", u"ERROR"},
                          {u"INFO", u"INFO"},
                          {u"warn\u00e9", u"WARN\u00e9"}};
    for (const Case& c : cases) {
        EXPECT_EQ(ApplicationLogType(c.given), c.written);
    }
}

TEST(ApplicationLog, MidnightStartsTheNextDaysFile) {
    TempFolder dir;
    Write(dir, At(2026, 12, 31, 23, 59, 59), u"INFO", u"before", u"");
    Write(dir, At(2027, 1, 1, 0, 0, 0), u"INFO", u"after", u"");
    const std::string second = testsupport::ReadFileBytes(dir / "ApplicationLog/kFeedDoc_01012027.Log");
    EXPECT_EQ(second.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(second.find(Utf16LeBytes(u"#Date: 01/01/2027 12:00:00 AM\r\n")), std::string::npos);
    EXPECT_NE(second.find(Utf16LeBytes(u"\tafter\t\r\n")), std::string::npos);
    EXPECT_EQ(second.find(Utf16LeBytes(u"before")), std::string::npos);
}

TEST(ApplicationLog, MissingDataFolderWritesNothing) {
    TempFolder dir;
    const std::string missing = dir / "no-such-folder";
    WriteApplicationLogAt(platform::Utf8ToUtf16(missing), At(2026, 12, 8, 1, 2, 3), u"kFeedDoc",
                          u"1.0.0.0", u"kFeedDoc", u"INFO", u"WinMain", u"x", u"");
    EXPECT_FALSE(testsupport::FileExists(missing));
}

TEST(ApplicationLog, UsesTheLogBaseFolderAndTodaysDate) {
    TempFolder dir;
    SetLogBaseFolder(platform::Utf8ToUtf16(dir.Path()));
    const platform::LocalDateTime before = platform::LocalNow();
    WriteApplicationLog(u"kFeedDoc", u"1.0.0.0", u"kFeedDoc", u"INFO", u"WinMain", u"now", u"");
    char name[64];
    std::snprintf(name, sizeof name, "ApplicationLog/kFeedDoc_%02d%02d%04d.Log", before.day,
                  before.month, before.year);
    EXPECT_TRUE(testsupport::FileExists(dir / name));
}

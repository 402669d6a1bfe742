#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "platform/Utf16Text.h"
#include "platform/Utf16TextFile.h"
#include "tests/support/TestSupport.h"

using testsupport::ScopedEnv;
using testsupport::TempFolder;

TEST(Utf16TextFile, CreateWritesByteOrderMarkAndCrLf) {
    TempFolder dir;
    platform::Utf16TextFile file;
    ASSERT_TRUE(file.Open(dir / "a.txt", platform::Utf16TextFile::Mode::Create));
    file.Write(u"A\nB\u00e9");
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(testsupport::ReadFileBytes(dir / "a.txt"),
              std::string("\xFF\xFE" "A\0\r\0\n\0B\0\xE9\0", 12));
}

TEST(Utf16TextFile, AppendAddsByteOrderMarkOnlyToANewFile) {
    TempFolder dir;
    for (int round = 0; round < 2; ++round) {
        platform::Utf16TextFile file;
        ASSERT_TRUE(file.Open(dir / "log.txt", platform::Utf16TextFile::Mode::Append));
        file.Write(u"x");
    }
    EXPECT_EQ(testsupport::ReadFileBytes(dir / "log.txt"), std::string("\xFF\xFEx\0x\0", 6));
}

TEST(Utf16TextFile, CreateTruncatesAnExistingFile) {
    TempFolder dir;
    testsupport::WriteFileBytes(dir / "a.txt", "old contents");
    platform::Utf16TextFile file;
    ASSERT_TRUE(file.Open(dir / "a.txt", platform::Utf16TextFile::Mode::Create));
    file.Close();
    EXPECT_EQ(testsupport::ReadFileBytes(dir / "a.txt"), "\xFF\xFE");
}

TEST(Utf16TextFile, OpenFailsInAMissingFolder) {
    TempFolder dir;
    platform::Utf16TextFile file;
    EXPECT_FALSE(file.Open(dir / "missing/a.txt", platform::Utf16TextFile::Mode::Append));
    EXPECT_FALSE(testsupport::FileExists(dir / "missing"));
}

TEST(FileSystem, ExistenceCreationAndDeletion) {
    TempFolder dir;
    EXPECT_TRUE(platform::PathExists(dir.Path()));
    EXPECT_FALSE(platform::PathExists(dir.Path() + "/"));  // a trailing separator never exists
    EXPECT_TRUE(platform::CreateOneDirectory(dir / "one"));
    EXPECT_FALSE(platform::CreateOneDirectory(dir / "one"));      // already there
    EXPECT_FALSE(platform::CreateOneDirectory(dir / "a/b"));      // parents are not made
    testsupport::WriteFileBytes(dir / "f", "x");
    EXPECT_TRUE(platform::DeleteFilePath(dir / "f"));
    EXPECT_FALSE(platform::PathExists(dir / "f"));
    EXPECT_FALSE(platform::DeleteFilePath(dir / "f"));
}

TEST(FileSystem, DriveLetterPathsMapThroughTheirVariable) {
    TempFolder dir;
    testsupport::MakeFolders(dir / "Program Files/TALVEX");
    ScopedEnv drive("QV_DRIVE_D", dir.Path());
    ScopedEnv noDrive("QV_DRIVE_E", std::nullopt);
    EXPECT_TRUE(platform::PathExists("D:\\Program Files\\TALVEX"));
    EXPECT_TRUE(platform::PathExists("d:\\Program Files\\TALVEX"));
    EXPECT_FALSE(platform::PathExists("D:\\Program Files(x86)\\TALVEX"));
    EXPECT_FALSE(platform::PathExists("E:\\Program Files\\TALVEX"));
    EXPECT_EQ(platform::ResolveDrivePath("D:\\a\\b"), dir.Path() + "/a/b");
}

TEST(Folders, CommonAppDataFolderFollowsProgramData) {
    {
        ScopedEnv set("PROGRAMDATA", "/srv/data");
        EXPECT_EQ(platform::CommonAppDataFolder(), "/srv/data");
    }
    {
        ScopedEnv empty("PROGRAMDATA", "");
        EXPECT_EQ(platform::CommonAppDataFolder(), "/var/lib");
    }
}

TEST(Folders, SystemDirectoryStartsWithTheSystemDrive) {
    ScopedEnv drive("SystemDrive", "D:");
    EXPECT_EQ(platform::SystemDirectory(), "D:\\Windows\\system32");
    EXPECT_FALSE(platform::ModuleFileName().empty());
}

TEST(Registry, ReadsValueFilesAndReportsWindowsErrors) {
    TempFolder dir;
    ScopedEnv root("QV_REGISTRY_ROOT", dir.Path());
    testsupport::MakeFolders(dir / "HKEY_LOCAL_MACHINE/SOFTWARE/TALVEX");
    testsupport::WriteFileBytes(dir / "HKEY_LOCAL_MACHINE/SOFTWARE/TALVEX/InstallationPath",
                                "C:\\Talvex\n\n");

    platform::RegistryKey key;
    ASSERT_EQ(key.Open(platform::RegistryHive::LocalMachine, "SOFTWARE\\TALVEX"), 0);
    std::string value;
    ASSERT_EQ(key.QueryValue("InstallationPath", value), 0);
    EXPECT_EQ(value, "C:\\Talvex\n");  // exactly one trailing line feed is dropped
    EXPECT_EQ(key.QueryValue("Missing", value), platform::kErrorFileNotFound);

    platform::RegistryKey missing;
    EXPECT_EQ(missing.Open(platform::RegistryHive::LocalMachine, "SOFTWARE\\Nobody"), 2);
    EXPECT_EQ(missing.Open(platform::RegistryHive::CurrentUser, "SOFTWARE\\TALVEX"), 2);
    EXPECT_EQ(platform::WindowsErrorMessage(2), "The system cannot find the file specified.");
}

TEST(Clock, TwelveHourTimeText) {
    struct Case {
        int hour, minute, second;
        const char* text;
    };
    const Case cases[] = {{0, 0, 0, "12:00:00 AM"},  {9, 5, 7, "09:05:07 AM"},
                          {11, 59, 59, "11:59:59 AM"}, {12, 0, 1, "12:00:01 PM"},
                          {13, 30, 0, "01:30:00 PM"},  {23, 9, 9, "11:09:09 PM"}};
    for (const Case& c : cases) {
        platform::LocalDateTime t;
        t.hour = c.hour, t.minute = c.minute, t.second = c.second;
        EXPECT_EQ(platform::TwelveHourTimeText(t), c.text);
    }
}

TEST(Clock, LocalTimeHonoursTimeZone) {
    ScopedEnv utc("TZ", "UTC");
    tzset();
    const platform::LocalDateTime a = platform::LocalNow();
    {
        ScopedEnv plus("TZ", "XYZ-14");
        tzset();
        const platform::LocalDateTime b = platform::LocalNow();
        EXPECT_NE(a.hour * 60 + a.minute, b.hour * 60 + b.minute);
    }
    tzset();
}

TEST(Clock, TickCountAdvancesAcrossASleep) {
    const uint32_t start = platform::TickCount();
    platform::SleepMs(30);
    const uint32_t elapsed = platform::TickCount() - start;
    EXPECT_GE(elapsed, 29u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(SystemInfo, CodePagesComeFromTheEnvironment) {
    {
        ScopedEnv ansi("QV_ANSI_CODEPAGE", std::nullopt);
        ScopedEnv oem("QV_OEM_CODEPAGE", std::nullopt);
        EXPECT_EQ(platform::AnsiCodePage(), 1252);
        EXPECT_EQ(platform::OemCodePage(), 437);
    }
    ScopedEnv ansi("QV_ANSI_CODEPAGE", "932");
    ScopedEnv oem("QV_OEM_CODEPAGE", "bogus");
    EXPECT_EQ(platform::AnsiCodePage(), 932);
    EXPECT_EQ(platform::OemCodePage(), 437);
}

TEST(SystemInfo, UserNameAndErrorTexts) {
    EXPECT_FALSE(platform::UserName().empty());
    EXPECT_EQ(platform::SystemErrorText(2), "No such file or directory");
}

TEST(Utf16Text, RoundTripAndIllFormedInput) {
    const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    const std::u16string utf16 = platform::Utf8ToUtf16(utf8);
    EXPECT_EQ(utf16, u"a\u00e9\u20ac\U0001F600");
    EXPECT_EQ(platform::Utf16ToUtf8(utf16), utf8);
    EXPECT_EQ(platform::Utf8ToUtf16("\xC3"), u"\uFFFD");          // cut short
    EXPECT_EQ(platform::Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");      // overlong
    EXPECT_EQ(platform::Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // lone surrogate
    EXPECT_EQ(platform::WidenBytes("\x80\xFF"), u"\u0080\u00ff");
}

#include <gtest/gtest.h>

#include <filesystem>

#include "app/Registry.h"
#include "app/RunFolders.h"
#include "app/StartUp.h"
#include "platform/Utf16Text.h"
#include "tests/support/TestSupport.h"

using testsupport::ScopedEnv;
using testsupport::TempFolder;

namespace {

// A sandbox for one run: data folder, registry tree and drive folders under one temporary folder.
class StartUpTest : public ::testing::Test {
protected:
    StartUpTest()
        : programData_("PROGRAMDATA", dir_.Path()),
          registry_("QV_REGISTRY_ROOT", dir_ / "registry"),
          systemDrive_("SystemDrive", "D:"),
          driveC_("QV_DRIVE_C", std::nullopt),
          driveD_("QV_DRIVE_D", dir_ / "drive-d") {
        testsupport::MakeFolders(dir_ / "TALVEX");
    }

    void SetInstallationPath(const std::string& value) {
        testsupport::MakeFolders(dir_ / "registry/HKEY_LOCAL_MACHINE/SOFTWARE/TALVEX");
        testsupport::WriteFileBytes(dir_ / "registry/HKEY_LOCAL_MACHINE/SOFTWARE/TALVEX/InstallationPath",
                                    value);
    }

    std::string Data() const { return dir_ / "TALVEX"; }

    TempFolder dir_;
    ScopedEnv programData_, registry_, systemDrive_, driveC_, driveD_;
};

}  // namespace

TEST_F(StartUpTest, RegistryValueIsTakenExactlyAsStored) {
    SetInstallationPath("D:\\Apps\\Talvex");
    testsupport::MakeFolders(dir_ / "drive-d/Program Files/TALVEX");
    const RunFolders folders = DetermineRunFolders();
    EXPECT_EQ(folders.installationPath, u"D:\\Apps\\Talvex");
    EXPECT_EQ(folders.dataFolder, platform::Utf8ToUtf16(Data()));
    EXPECT_EQ(platform::Utf16ToUtf8(folders.moduleFolder),
              std::filesystem::read_symlink("/proc/self/exe").parent_path().string())
        << "the test program's folder, without its file name";
}

TEST_F(StartUpTest, ProgramFilesFallbacksOnTheSystemDriveGiveFixedDriveCTexts) {
    EXPECT_EQ(DetermineRunFolders().installationPath, u"");
    testsupport::MakeFolders(dir_ / "drive-d/Program Files(x86)/TALVEX");
    EXPECT_EQ(DetermineRunFolders().installationPath, u"C:\\Program Files(x86)\\TALVEX\\");
    testsupport::MakeFolders(dir_ / "drive-d/Program Files/TALVEX");
    EXPECT_EQ(DetermineRunFolders().installationPath, u"C:\\Program Files\\TALVEX\\");
}

TEST_F(StartUpTest, TooLongARegistryValueFallsBack) {
    SetInstallationPath(std::string(511, 'x'));
    EXPECT_EQ(DetermineRunFolders().installationPath, std::u16string(511, u'x'));
    SetInstallationPath(std::string(512, 'x'));
    EXPECT_EQ(DetermineRunFolders().installationPath, u"");
    CRegistry registry;
    std::u16string value = u"unchanged";
    EXPECT_FALSE(registry.ReadValue(u"SOFTWARE\\TALVEX", u"InstallationPath", value));
    EXPECT_EQ(value, u"unchanged");
    EXPECT_EQ(registry.LastError(), u"RegQueryValueEx [234]::More data is available.");
    EXPECT_FALSE(registry.ReadValue(u"SOFTWARE\\Elsewhere", u"InstallationPath", value));
    EXPECT_EQ(registry.LastError(), u"RegOpenKeyEx [2]::The system cannot find the file specified.");
}

TEST_F(StartUpTest, StartRunLogsCreatesFoldersAndDeletesTheOldExport) {
    SetInstallationPath("C:\\Talvex");
    testsupport::MakeFolders(Data() + "/vQTS/DuCor/RssLinks");
    testsupport::WriteFileBytes(Data() + "/vQTS/DuCor/RssLinks/Temp_RSS.xml", "old export");
    const RunFolders folders = DetermineRunFolders();
    StartRun(folders);

    EXPECT_FALSE(testsupport::FileExists(Data() + "/vQTS/DuCor/RssLinks/Temp_RSS.xml"));
    const auto log = testsupport::ReadApplicationLog(Data());
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].val2, "Application Started Installation Path is :");
    EXPECT_EQ(log[0].val3, "C:\\Talvex");
    EXPECT_EQ(log[1].val2, "Module File Path is :");
    EXPECT_EQ(log[1].val3, platform::Utf16ToUtf8(folders.moduleFolder));
    EXPECT_EQ(log[2].val2, "ProgramData Path is :");
    EXPECT_EQ(log[2].val3, Data());
    for (const auto& entry : log) {
        EXPECT_EQ(entry.module, "kFeedDoc");
        EXPECT_EQ(entry.type, "INFO");
        EXPECT_EQ(entry.val1, "WinMain");
    }
}

TEST_F(StartUpTest, ExportFoldersAreMadeOneLevelAtATime) {
    testsupport::MakeFolders(Data() + "/vQTS");
    StartRun(DetermineRunFolders());
    EXPECT_TRUE(testsupport::FileExists(Data() + "/vQTS/DuCor/RssLinks"));
}

TEST_F(StartUpTest, WithoutTheVqtsFolderNothingIsCreated) {
    StartRun(DetermineRunFolders());
    EXPECT_FALSE(testsupport::FileExists(Data() + "/vQTS"));
    EXPECT_EQ(testsupport::ReadApplicationLog(Data()).size(), 3u);
}

// The README's run command without a URL: it serves the bundled sample feed on loopback, runs
// the program against it, and shows the results. It must work offline. The test hands it the
// program under test, so that it does not build a second copy.

#include <gtest/gtest.h>

#include <string>

#include "tests/app/EndToEndSupport.h"
#include "tests/support/TestSupport.h"

TEST(RunCommand, WithoutAUrlItRunsTheSampleFeedAndShowsTheExport) {
    testsupport::TempFolder dir;
    const std::string data = dir / "data";
    const auto result = e2e::RunProgram({std::string(QV_SOURCE_ROOT) + "/tools/run-kfeeddoc"},
                                        {{"KFEEDDOC_PROGRAM", e2e::ProgramPath()},
                                         {"KFEEDDOC_DATA", data},
                                         {"QV_REGISTRY_ROOT", dir / "registry"},
                                         {"QV_ANSI_CODEPAGE", "1252"}},
                                        60, dir / "output.txt");
    ASSERT_FALSE(result.killed);
    EXPECT_EQ(result.exitValue, 0) << result.output;

    const std::string exportPath = data + "/TALVEX/vQTS/DuCor/RssLinks/Temp_RSS.xml";
    const std::string exported = testsupport::ReadFileBytes(exportPath);
    ASSERT_GT(exported.size(), 2u) << result.output;
    EXPECT_EQ(exported.substr(0, 2), "\xFF\xFE");
    const auto log = testsupport::ReadApplicationLog(data + "/TALVEX");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().val2, "XML Created. Application Successfully Ends");

    const std::string expectedLines[] = {
             "Exit value:    0 (success)",
             "Temp_RSS.xml:  " + exportPath,
             "Log:           " + data + "/TALVEX/ApplicationLog/kFeedDoc_",
             "INFO  WinMain  XML Created. Application Successfully Ends  http://127.0.0.1:",
             "Channel       Harbour Town Gazette",
             "3 items",
             "[2] Caf\xC3\xA9 Nordlys opens on the quay",  // decoded from the ANSI code page
             "The new caf\xC3\xA9 serves \"fish & chips\" and waffles, \xE2\x82\xAC" "4.50 each.",
             "    status   UnRead",
    };
    for (const std::string& shown : expectedLines) {
        EXPECT_NE(result.output.find(shown), std::string::npos) << "missing: " << shown << "\n" << result.output;
    }
}

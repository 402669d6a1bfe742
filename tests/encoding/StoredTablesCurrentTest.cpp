// The committed tables must be what the generator makes from the published mapping data. The
// data is not part of the repository: the test finds it at $QV_CODEPAGE_DATA or next to the
// source tree (../shared/codepages) and skips when it is not there.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "encoding/CodePageTables.h"
#include "tests/encoding/EncodingTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kGeneratorMissingTool = 3;

class StoredTablesCurrent : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const char* configured = std::getenv("QV_CODEPAGE_DATA");
        data_ = configured && *configured ? configured
                                          : std::string(QV_SOURCE_DIR) + "/../shared/codepages";
        if (!testsupport::FileExists(data_ + "/README.md")) {
            skipReason_ = "no code page data at " + data_ + " (set QV_CODEPAGE_DATA)";
            return;
        }
        output_ = new testsupport::TempFolder();
        const std::string command =
            "python3 '" + std::string(QV_SOURCE_DIR) + "/tools/gen-codepage-tables' --data '" +
            data_ + "' --output-dir '" + output_->Path() + "' --expected '" +
            (*output_ / "expected.txt") + "' 2>'" + (*output_ / "errors.txt") + "'";
        const int status = testsupport::RunShellCommand(command);
        const std::string errors = testsupport::ReadFileBytes(*output_ / "errors.txt");
        if (status == 127) {
            skipReason_ = "python3 is not available to run the generator";
        } else if (status == kGeneratorMissingTool) {
            skipReason_ = "the generator lacks a tool: " + errors;
        } else if (status != 0) {
            generatorError_ = "the generator failed (" + std::to_string(status) + "): " + errors;
        }
    }
    static void TearDownTestSuite() {
        delete output_;
        output_ = nullptr;
    }
    void SetUp() override {
        if (!skipReason_.empty()) {
            GTEST_SKIP() << skipReason_;
        }
        ASSERT_TRUE(generatorError_.empty()) << generatorError_;
    }

    static std::string Committed(const std::string& relative) {
        return testsupport::ReadFileBytes(std::string(QV_SOURCE_DIR) + "/" + relative);
    }
    static std::string Regenerated(const std::string& relative) {
        return testsupport::ReadFileBytes(*output_ / relative);
    }

    static inline std::string data_;
    static inline std::string skipReason_;
    static inline std::string generatorError_;
    static inline testsupport::TempFolder* output_ = nullptr;
};

TEST_F(StoredTablesCurrent, CommittedSourcesAreWhatTheGeneratorMakes) {
    for (const char* file : {"encoding/CodePageData.cpp", "tests/encoding/CodePageDigests.inc"}) {
        const std::string regenerated = Regenerated(file);
        ASSERT_FALSE(regenerated.empty()) << file;
        EXPECT_TRUE(Committed(file) == regenerated)
            << file << " is stale: run tools/gen-codepage-tables and commit the result";
    }
}

// Entry by entry, so that a difference names the key: lines "<cp> D <key> <unit>" and
// "<cp> E <unit> <key>", in hex.
TEST_F(StoredTablesCurrent, EngineAgreesWithTheSourceMappingEntryByEntry) {
    std::ifstream expected(*output_ / "expected.txt");
    std::string line;
    int currentPage = 0;
    std::vector<uint16_t> decoding, encoding;
    std::vector<bool> decodingSeen, encodingSeen;
    auto finishPage = [&] {
        for (size_t i = 0; currentPage && i < decoding.size(); ++i) {
            EXPECT_TRUE(decodingSeen[i] || decoding[i] == 0)
                << currentPage << " decodes key " << std::hex << i + 1 << " to " << decoding[i]
                << ", the source maps it to nothing";
        }
        for (size_t i = 0; currentPage && i < encoding.size(); ++i) {
            EXPECT_TRUE(encodingSeen[i] || encoding[i] == 0)
                << currentPage << " encodes unit " << std::hex << i + 1 << " to " << encoding[i]
                << ", the source maps it to nothing";
        }
    };
    size_t entries = 0;
    while (std::getline(expected, line)) {
        std::istringstream fields(line);
        int codePage = 0;
        char direction = 0;
        unsigned from = 0, to = 0;
        fields >> codePage >> direction >> std::hex >> from >> to;
        if (codePage != currentPage) {
            finishPage();
            currentPage = codePage;
            const bool multiByte = CodePageTables::IsMultiByte(codePage);
            decoding = enctest::EngineDecoding(codePage, multiByte);
            encoding = enctest::EngineEncoding(codePage);
            decodingSeen.assign(decoding.size(), false);
            encodingSeen.assign(encoding.size(), false);
        }
        ++entries;
        auto& engine = direction == 'D' ? decoding : encoding;
        auto& seen = direction == 'D' ? decodingSeen : encodingSeen;
        ASSERT_TRUE(from >= 1 && from <= engine.size()) << line;
        seen[from - 1] = true;
        EXPECT_EQ(engine[from - 1], to)
            << "code page " << codePage << ' ' << direction << ' ' << std::hex << from;
    }
    finishPage();
    EXPECT_GT(entries, 100000u);
}

}  // namespace

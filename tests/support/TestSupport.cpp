#include "tests/support/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace testsupport {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvtest-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) {
        previous_ = old;
    }
    if (value) {
        setenv(name, value->c_str(), 1);
    } else {
        unsetenv(name);
    }
}

ScopedEnv::~ScopedEnv() {
    if (previous_) {
        setenv(name_.c_str(), previous_->c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void MakeFolders(const std::string& path) { std::filesystem::create_directories(path); }

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

int RunShellCommand(const std::string& command) {
    const int status = std::system(command.c_str());
    return (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
}

std::string Utf16LeBytes(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

}  // namespace testsupport

namespace testsupport {
namespace {

std::u16string DecodeUtf16Le(const std::string& bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return text;
}

std::vector<std::string> SplitOn(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + separator.size()) {
        pieces.push_back(text.substr(start, at - start));
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

}  // namespace

std::vector<AppLogEntry> ReadApplicationLog(const std::string& dataFolder) {
    std::vector<std::string> files;
    const std::filesystem::path folder = std::filesystem::path(dataFolder) / "ApplicationLog";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    std::vector<AppLogEntry> entries;
    for (const std::string& file : files) {
        std::string bytes = ReadFileBytes(file);
        if (bytes.rfind("\xFF\xFE", 0) == 0) {
            bytes.erase(0, 2);
        }
        const std::u16string text = DecodeUtf16Le(bytes);
        std::string utf8;
        for (char16_t unit : text) {  // the log's texts here are ASCII and Latin-1
            if (unit < 0x80) {
                utf8.push_back(static_cast<char>(unit));
            } else {
                utf8.push_back(static_cast<char>(0xC0 | (unit >> 6)));
                utf8.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
            }
        }
        for (const std::string& line : SplitOn(utf8, "\r\n")) {
            if (line.empty() || line[0] == '#') {
                continue;
            }
            const std::vector<std::string> columns = SplitOn(line, "\t");
            if (columns.size() == 6) {
                entries.push_back({columns[1], columns[2], columns[3], columns[4], columns[5]});
            }
        }
    }
    return entries;
}

}  // namespace testsupport

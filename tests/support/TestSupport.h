#pragma once
// Helpers shared by the test programs.

#include <optional>
#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Sets (or, with nullopt, removes) an environment variable for the life of a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

std::string ReadFileBytes(const std::string& path);  // empty when the file cannot be read
void WriteFileBytes(const std::string& path, const std::string& bytes);
void MakeFolders(const std::string& path);  // like mkdir -p
bool FileExists(const std::string& path);

// Runs a command through the shell; its exit status, or -1 when it could not run or was killed.
int RunShellCommand(const std::string& command);

// The bytes of UTF-16LE text: every code unit little-endian, nothing added.
std::string Utf16LeBytes(const std::u16string& text);

}  // namespace testsupport

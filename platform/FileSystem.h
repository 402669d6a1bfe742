#pragma once
// Files and folders. Paths are UTF-8 and use "/" as separator. A path written the Windows way
// with a drive letter ("X:\rest") is looked up under the folder named by $QV_DRIVE_X; a drive
// without such a variable does not exist.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The local path a drive-letter path stands for, or none when the drive does not exist.
// Other paths are returned unchanged.
std::optional<std::string> ResolveDrivePath(const std::string& path);

// True when something exists at the path. A path ending in "/" (or "\") never exists, as a
// directory search for such a path finds nothing on Windows.
bool PathExists(const std::string& path);

// Creates one folder level (missing parents are not created). True on success.
bool CreateOneDirectory(const std::string& path);

// Removes a file. True on success.
bool DeleteFilePath(const std::string& path);

// A binary file opened for reading or writing; closed by its destructor.
class BinaryFile {
public:
    enum class Mode { Read, WriteTruncate, Append };

    BinaryFile() = default;
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    bool Open(const std::string& path, Mode mode);
    bool IsOpen() const { return fd_ >= 0; }
    void Close();

    // Size of the open file in bytes, or none when it cannot be read.
    std::optional<uint64_t> Size() const;
    // Reads up to n bytes; returns how many were read (0 at the end or on error).
    size_t Read(void* buffer, size_t n);
    // Writes all n bytes; false when any of them could not be written.
    bool Write(const void* data, size_t n);

private:
    int fd_ = -1;
};

}  // namespace platform

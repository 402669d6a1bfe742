#include "platform/FileSystem.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Environment.h"

namespace platform {

std::optional<std::string> ResolveDrivePath(const std::string& path) {
    const bool isDrivePath = path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                             path[1] == ':';
    if (!isDrivePath) {
        return path;
    }
    const char variable[] = {'Q', 'V', '_', 'D', 'R', 'I', 'V', 'E', '_',
                             static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))),
                             '\0'};
    auto root = EnvironmentValue(variable);
    if (!root) {
        return std::nullopt;
    }
    std::string rest = path.substr(2);
    for (char& c : rest) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (!rest.empty() && rest[0] != '/') {
        rest.insert(rest.begin(), '/');
    }
    return *root + rest;
}

bool PathExists(const std::string& path) {
    if (path.empty() || path.back() == '/' || path.back() == '\\') {
        return false;
    }
    auto local = ResolveDrivePath(path);
    if (!local) {
        return false;
    }
    struct stat info;
    return ::stat(local->c_str(), &info) == 0;
}

bool CreateOneDirectory(const std::string& path) {
    auto local = ResolveDrivePath(path);
    return local && ::mkdir(local->c_str(), 0777) == 0;
}

bool DeleteFilePath(const std::string& path) {
    auto local = ResolveDrivePath(path);
    return local && ::unlink(local->c_str()) == 0;
}

BinaryFile::~BinaryFile() { Close(); }

bool BinaryFile::Open(const std::string& path, Mode mode) {
    Close();
    auto local = ResolveDrivePath(path);
    if (!local) {
        return false;
    }
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read:
            flags |= O_RDONLY;
            break;
        case Mode::WriteTruncate:
            flags |= O_WRONLY | O_CREAT | O_TRUNC;
            break;
        case Mode::Append:
            flags |= O_WRONLY | O_CREAT | O_APPEND;
            break;
    }
    fd_ = ::open(local->c_str(), flags, 0666);
    return fd_ >= 0;
}

void BinaryFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::optional<uint64_t> BinaryFile::Size() const {
    struct stat info;
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(info.st_size);
}

size_t BinaryFile::Read(void* buffer, size_t n) {
    auto* out = static_cast<char*>(buffer);
    size_t total = 0;
    while (fd_ >= 0 && total < n) {
        ssize_t got = ::read(fd_, out + total, n - total);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        total += static_cast<size_t>(got);
    }
    return total;
}

bool BinaryFile::Write(const void* data, size_t n) {
    const auto* in = static_cast<const char*>(data);
    size_t total = 0;
    while (fd_ >= 0 && total < n) {
        ssize_t put = ::write(fd_, in + total, n - total);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        total += static_cast<size_t>(put);
    }
    return total == n;
}

}  // namespace platform

#include "platform/Utf16TextFile.h"

namespace platform {
namespace {

constexpr size_t kFlushThreshold = 64 * 1024;

void PutUnit(std::string& out, char16_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

}  // namespace

Utf16TextFile::~Utf16TextFile() { Close(); }

bool Utf16TextFile::Open(const std::string& path, Mode mode) {
    Close();
    failed_ = false;
    const bool existed = mode == Mode::Append && PathExists(path);
    const auto fileMode =
        mode == Mode::Create ? BinaryFile::Mode::WriteTruncate : BinaryFile::Mode::Append;
    if (!file_.Open(path, fileMode)) {
        return false;
    }
    if (!existed) {
        PutUnit(pending_, 0xFEFF);
    }
    return true;
}

void Utf16TextFile::Write(std::u16string_view text) {
    if (!file_.IsOpen()) {
        return;
    }
    for (char16_t unit : text) {
        if (unit == u'\n') {
            PutUnit(pending_, u'\r');
        }
        PutUnit(pending_, unit);
    }
    if (pending_.size() >= kFlushThreshold) {
        Flush();
    }
}

void Utf16TextFile::Flush() {
    if (!pending_.empty() && !file_.Write(pending_.data(), pending_.size())) {
        failed_ = true;
    }
    pending_.clear();
}

bool Utf16TextFile::Close() {
    if (!file_.IsOpen()) {
        return !failed_;
    }
    Flush();
    file_.Close();
    return !failed_;
}

}  // namespace platform

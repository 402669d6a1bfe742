#include "net/SocketTranscript.h"

#include <cstring>

#include "platform/FileSystem.h"

namespace {
constexpr const char* kSendingMarker = "\r\n---- Sending ----\r\n";
constexpr const char* kReceivedMarker = "\r\n---- Received ----\r\n";
}  // namespace

void SocketTranscript::SetFile(const std::string& path) {
    path_ = path;
    toFile_ = !path.empty();
}

void SocketTranscript::Mark(Direction direction) {
    if (!IsRecording() || direction == markedDirection_) {
        return;
    }
    const char* marker = direction == kSent ? kSendingMarker : kReceivedMarker;
    Write(marker, static_cast<uint32_t>(std::strlen(marker)));
    markedDirection_ = direction;
}

void SocketTranscript::Record(Direction direction, const void* bytes, uint32_t count) {
    Mark(direction);
    Append(bytes, count);
}

void SocketTranscript::Append(const void* bytes, uint32_t count) {
    if (IsRecording() && count != 0) {
        Write(bytes, count);
    }
}

void SocketTranscript::Write(const void* bytes, uint32_t count) {
    if (inMemory_) {
        buffer_.Append(bytes, count);
    }
    if (toFile_) {
        platform::BinaryFile file;
        if (file.Open(path_, platform::BinaryFile::Mode::Append)) {
            file.Write(bytes, count);
        }
    }
}

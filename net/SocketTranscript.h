#pragma once
// SocketTranscript: a connection's record of every byte sent and received, in memory and/or in
// a file. Whenever the direction changes, a marker line goes first: "\r\n---- Sending ----\r\n"
// or "\r\n---- Received ----\r\n".
//
// LastDirection() follows every send and receive, whatever its outcome (NoteDirection). The
// marker, however, is decided by the direction of the bytes last recorded, so that a failed
// receive (which records nothing) cannot leave the next received bytes under a "Sending" marker.

#include <cstdint>
#include <string>

#include "core/DataBuffer.h"

class SocketTranscript {
public:
    enum Direction : int { kNone = 0, kSent = 1, kReceived = 2 };

    void SetInMemory(bool on) { inMemory_ = on; }
    // A non-empty path switches the file transcript on; bytes are appended to the file.
    void SetFile(const std::string& path);
    DataBuffer& Buffer() { return buffer_; }

    bool IsRecording() const { return inMemory_ || toFile_; }

    // The marker for `direction` when the last recorded bytes went the other way.
    void Mark(Direction direction);
    // The marker (when needed) and the bytes.
    void Record(Direction direction, const void* bytes, uint32_t count);
    // Bytes that continue the direction marked last.
    void Append(const void* bytes, uint32_t count);

    void NoteDirection(Direction direction) { lastDirection_ = direction; }
    Direction LastDirection() const { return lastDirection_; }

private:
    void Write(const void* bytes, uint32_t count);

    bool inMemory_ = false;
    bool toFile_ = false;
    std::string path_;
    DataBuffer buffer_;
    Direction lastDirection_ = kNone;
    Direction markedDirection_ = kNone;
};

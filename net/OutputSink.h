#pragma once
// OutputSink: where a socket reader puts the bytes it receives (a response body, for example).
// Readers append to it and ask for its size; the HTTP request driver also empties it before a
// body, asks it to reserve room when the length is known, and works on the bytes of a sink that
// keeps them in memory (to expand a gzip body in place). MemoryOutput keeps the bytes in a
// DataBuffer.

#include <cstdint>

#include "core/DataBuffer.h"

class LogBase;

class OutputSink {
public:
    virtual ~OutputSink();
    // Appends the bytes; false (with the reason in the log) when they could not be kept.
    virtual bool Write(const unsigned char* bytes, uint32_t count, LogBase& log) = 0;
    virtual uint64_t Size() const = 0;
    // Drops everything written so far.
    virtual void Clear() = 0;
    // Makes room for `count` bytes in all; false when the room cannot be had.
    virtual bool Reserve(uint64_t count) = 0;
    // The bytes, for a sink that holds them in memory; null otherwise.
    virtual DataBuffer* MemoryBuffer() = 0;
};

class MemoryOutput : public OutputSink {
public:
    bool Write(const unsigned char* bytes, uint32_t count, LogBase& log) override;
    uint64_t Size() const override { return buffer_.GetSize(); }
    void Clear() override { buffer_.Clear(); }
    bool Reserve(uint64_t count) override;
    DataBuffer* MemoryBuffer() override { return &buffer_; }

    DataBuffer& Buffer() { return buffer_; }

private:
    DataBuffer buffer_;
};

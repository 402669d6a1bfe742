#pragma once
// OutputSink: where a socket reader puts the bytes it receives (a response body, for example).
// Readers append to it and ask for its size. MemoryOutput keeps the bytes in a DataBuffer.

#include <cstdint>

#include "core/DataBuffer.h"

class LogBase;

class OutputSink {
public:
    virtual ~OutputSink();
    // Appends the bytes; false (with the reason in the log) when they could not be kept.
    virtual bool Write(const unsigned char* bytes, uint32_t count, LogBase& log) = 0;
    virtual uint64_t Size() const = 0;
};

class MemoryOutput : public OutputSink {
public:
    bool Write(const unsigned char* bytes, uint32_t count, LogBase& log) override;
    uint64_t Size() const override { return buffer_.GetSize(); }

    DataBuffer& Buffer() { return buffer_; }

private:
    DataBuffer buffer_;
};

#include "net/OutputSink.h"

#include "core/LogBase.h"

OutputSink::~OutputSink() = default;

bool MemoryOutput::Write(const unsigned char* bytes, uint32_t count, LogBase& log) {
    if (buffer_.Append(bytes, count)) {
        return true;
    }
    log.AddError("Out of memory for the received data.");
    return false;
}

bool MemoryOutput::Reserve(uint64_t count) {
    return count <= UINT32_MAX && buffer_.EnsureCapacity(static_cast<uint32_t>(count));
}

#include "compress/MemoryDataSink.h"

#include "core/DataBuffer.h"

uint32_t MemoryDataSink::Put(const void* bytes, uint32_t count) {
    return out_.Append(bytes, count) ? count : 0;
}

#pragma once
// MemoryDataSink: a DataSink that appends to a caller's DataBuffer (not owned). It always
// offers 999999999 bytes of capacity; a write fails when the buffer cannot grow (memory
// exhausted, or more than 4 GB in all), which the buffer answers by emptying itself.

#include "compress/DataSink.h"

class DataBuffer;

class MemoryDataSink : public DataSink {
public:
    explicit MemoryDataSink(DataBuffer& out) : out_(out) {}

    uint64_t Capacity() const override { return 999999999; }

protected:
    uint32_t Put(const void* bytes, uint32_t count) override;

private:
    DataBuffer& out_;
};

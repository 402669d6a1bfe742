#pragma once
// MemoryDataSource: a DataSource over bytes held in memory (not owned; they must outlive the
// source).

#include "compress/DataSource.h"

class MemoryDataSource : public DataSource {
public:
    MemoryDataSource(const void* bytes, uint64_t count);

    bool ReadSource(unsigned char* buffer, uint32_t maxBytes, uint32_t& got,
                    LogBase& log) override;
    bool EndOfStream() const override { return position_ >= count_; }

private:
    const unsigned char* bytes_;
    uint64_t count_;
    uint64_t position_ = 0;
};

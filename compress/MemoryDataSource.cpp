#include "compress/MemoryDataSource.h"

#include <algorithm>
#include <cstring>

MemoryDataSource::MemoryDataSource(const void* bytes, uint64_t count)
    : bytes_(static_cast<const unsigned char*>(bytes)), count_(bytes ? count : 0) {}

bool MemoryDataSource::ReadSource(unsigned char* buffer, uint32_t maxBytes, uint32_t& got,
                                  LogBase& /*log*/) {
    got = static_cast<uint32_t>(std::min<uint64_t>(maxBytes, count_ - position_));
    if (got) {
        std::memcpy(buffer, bytes_ + position_, got);
    }
    position_ += got;
    return true;
}

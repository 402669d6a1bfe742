#include "core/ExtIntArray.h"

#include <algorithm>
#include <cstring>

#include "core/Memory.h"

namespace {
constexpr uint32_t kGrowByLimit = 100000;
}  // namespace

ExtIntArray::ExtIntArray(uint32_t capacity, uint32_t growBy)
    : growBy_(growBy ? growBy : 1), capacity_(0), count_(0), items_(nullptr) {
    const uint32_t slots = capacity ? capacity : 1;
    items_ = static_cast<int32_t*>(qvmem::Allocate(sizeof(int32_t) * slots));
    if (items_) {
        capacity_ = slots;
    }
}

ExtIntArray::~ExtIntArray() { qvmem::Free(items_); }

bool ExtIntArray::GrowToHold(uint32_t newCount) {
    if (newCount <= capacity_) {
        return true;
    }
    uint64_t newCapacity = uint64_t{capacity_} + growBy_;
    if (newCapacity < newCount) {
        newCapacity = newCount;
    }
    if (newCapacity > UINT32_MAX / sizeof(int32_t)) {
        return false;
    }
    auto* slots = static_cast<int32_t*>(qvmem::Allocate(sizeof(int32_t) * newCapacity));
    if (!slots) {
        return false;
    }
    if (count_) {
        std::memcpy(slots, items_, sizeof(int32_t) * count_);
    }
    qvmem::Free(items_);
    items_ = slots;
    capacity_ = static_cast<uint32_t>(newCapacity);
    growBy_ = std::min(capacity_, kGrowByLimit);
    return true;
}

bool ExtIntArray::Append(int32_t value) {
    if (count_ == UINT32_MAX || !GrowToHold(count_ + 1)) {
        return false;
    }
    items_[count_++] = value;
    return true;
}

void ExtIntArray::RemoveRange(uint32_t start, uint32_t count) {
    if (start >= count_ || count == 0) {
        return;
    }
    count = std::min(count, count_ - start);
    std::memmove(items_ + start, items_ + start + count, sizeof(int32_t) * (count_ - start - count));
    count_ -= count;
}

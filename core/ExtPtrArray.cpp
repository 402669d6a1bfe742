#include "core/ExtPtrArray.h"

#include <cstring>

#include "core/Memory.h"

namespace {
constexpr uint32_t kInitialGrowBy = 5;
constexpr uint32_t kGrowByLimit = 100000;
}  // namespace

ExtPtrArray::ExtPtrArray()
    : growBy_(kInitialGrowBy), capacity_(0), count_(0), items_(nullptr), ownsItems_(false) {}

ExtPtrArray::ExtPtrArray(uint32_t capacity, uint32_t growBy) : ExtPtrArray() {
    growBy_ = growBy < 1 ? kInitialGrowBy : growBy;
    const uint32_t slots = capacity < 1 ? kInitialGrowBy : capacity;
    items_ = static_cast<QuorvelObject**>(qvmem::Allocate(sizeof(QuorvelObject*) * slots));
    if (items_) {
        std::memset(items_, 0, sizeof(QuorvelObject*) * slots);
        capacity_ = slots;
    }
}

ExtPtrArray::~ExtPtrArray() {
    if (ownsItems_) {
        DeleteAll();
    }
    qvmem::Free(items_);
}

bool ExtPtrArray::GrowToHold(uint32_t newCount) {
    if (newCount <= capacity_) {
        return true;
    }
    uint64_t newCapacity = uint64_t{capacity_} + growBy_;
    if (newCapacity < newCount) {
        newCapacity = uint64_t{newCount} + 1;
    }
    if (newCapacity > UINT32_MAX / sizeof(QuorvelObject*)) {
        return false;
    }
    const size_t bytes = sizeof(QuorvelObject*) * newCapacity;
    auto** slots = static_cast<QuorvelObject**>(qvmem::Allocate(bytes));
    if (!slots) {
        return false;
    }
    std::memset(slots, 0, bytes);
    if (count_) {
        std::memcpy(slots, items_, sizeof(QuorvelObject*) * count_);
    }
    qvmem::Free(items_);
    items_ = slots;
    capacity_ = static_cast<uint32_t>(newCapacity);
    if (growBy_ < kGrowByLimit) {
        growBy_ = capacity_ < kGrowByLimit ? capacity_ : kGrowByLimit;
    }
    return true;
}

QuorvelObject* ExtPtrArray::Item(int64_t index) const {
    return (index >= 0 && index < count_) ? items_[index] : nullptr;
}

QuorvelObject* ExtPtrArray::Last() const { return count_ ? items_[count_ - 1] : nullptr; }

bool ExtPtrArray::Append(QuorvelObject* object) {
    if (count_ == UINT32_MAX || !GrowToHold(count_ + 1)) {
        return false;
    }
    items_[count_++] = object;
    return true;
}

bool ExtPtrArray::InsertAt(int64_t index, QuorvelObject* object) {
    if (count_ == UINT32_MAX || !GrowToHold(count_ + 1)) {
        return false;
    }
    const uint32_t at = index < 0 ? 0 : (index > count_ ? count_ : static_cast<uint32_t>(index));
    std::memmove(items_ + at + 1, items_ + at, sizeof(QuorvelObject*) * (count_ - at));
    items_[at] = object;
    ++count_;
    return true;
}

bool ExtPtrArray::SetAt(uint32_t index, QuorvelObject* object) {
    if (index >= count_) {
        if (index == UINT32_MAX || !GrowToHold(index + 1)) {
            return false;
        }
        count_ = index + 1;  // the new slots in between are already zero
    } else if (ownsItems_ && items_[index] != object) {
        delete items_[index];
    }
    items_[index] = object;
    return true;
}

QuorvelObject* ExtPtrArray::RemoveAt(int64_t index) {
    if (index < 0 || index >= count_) {
        return nullptr;
    }
    QuorvelObject* removed = items_[index];
    std::memmove(items_ + index, items_ + index + 1, sizeof(QuorvelObject*) * (count_ - index - 1));
    items_[--count_] = nullptr;
    return removed;
}

QuorvelObject* ExtPtrArray::RemoveLast() { return count_ ? RemoveAt(count_ - 1) : nullptr; }

void ExtPtrArray::Clear() {
    if (count_) {
        std::memset(items_, 0, sizeof(QuorvelObject*) * count_);
    }
    count_ = 0;
}

void ExtPtrArray::DeleteAll() {
    for (uint32_t i = 0; i < count_; ++i) {
        delete items_[i];
        items_[i] = nullptr;
    }
    count_ = 0;
}

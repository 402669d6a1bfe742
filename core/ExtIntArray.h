#pragma once
// ExtIntArray: a growable array of 32-bit integers. It starts with the capacity it is given and
// grows by growBy slots the first time; after that each step is as large as the capacity reached
// (at most 100000 slots), so long arrays grow geometrically instead of one small step at a time.
// An append that cannot grow the array stores nothing and returns false.

#include <cstdint>

class ExtIntArray {
public:
    ExtIntArray(uint32_t capacity, uint32_t growBy);  // each 1 when 0; slots allocated now
    ~ExtIntArray();
    ExtIntArray(const ExtIntArray&) = delete;
    ExtIntArray& operator=(const ExtIntArray&) = delete;

    uint32_t Count() const { return count_; }
    uint32_t Capacity() const { return capacity_; }
    int32_t At(uint32_t index) const { return index < count_ ? items_[index] : 0; }  // 0 outside

    bool Append(int32_t value);
    void RemoveRange(uint32_t start, uint32_t count);  // clamped to the items; later ones move up

private:
    bool GrowToHold(uint32_t newCount);

    uint32_t growBy_;
    uint32_t capacity_;
    uint32_t count_;
    int32_t* items_;
};

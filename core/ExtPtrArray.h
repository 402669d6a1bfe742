#pragma once
// ExtPtrArray: a growable ordered array of object pointers, optionally owning the objects.
// Starts with 5 slots and then roughly doubles (growBy becomes the new capacity, at most 100000).
// An append that cannot grow the array stores nothing and returns false.

#include <cstdint>

#include "core/QuorvelObject.h"

class ExtPtrArray {
public:
    ExtPtrArray();
    ExtPtrArray(uint32_t capacity, uint32_t growBy);  // each 5 when below 1; slots allocated now
    ~ExtPtrArray();  // deletes the objects when the array owns them
    ExtPtrArray(const ExtPtrArray&) = delete;
    ExtPtrArray& operator=(const ExtPtrArray&) = delete;

    void SetOwnsItems(bool owns) { ownsItems_ = owns; }
    bool OwnsItems() const { return ownsItems_; }

    uint32_t Count() const { return count_; }
    uint32_t Capacity() const { return capacity_; }
    uint32_t GrowBy() const { return growBy_; }
    QuorvelObject* Item(int64_t index) const;  // null outside 0..count-1
    QuorvelObject* Last() const;               // null when empty
    template <class T>
    T* ItemAs(int64_t index) const {
        return static_cast<T*>(Item(index));
    }

    bool Append(QuorvelObject* object);
    bool InsertAt(int64_t index, QuorvelObject* object);  // index clamped to 0..count
    // Extends the array with empty slots up to the index first. An owned object it replaces
    // is deleted.
    bool SetAt(uint32_t index, QuorvelObject* object);
    QuorvelObject* RemoveAt(int64_t index);  // later items move up; null outside
    QuorvelObject* RemoveLast();
    void Clear();      // count 0; the objects are left alone
    void DeleteAll();  // every object deleted through its virtual destructor; count 0

private:
    bool GrowToHold(uint32_t newCount);

    uint32_t growBy_;
    uint32_t capacity_;
    uint32_t count_;
    QuorvelObject** items_;
    bool ownsItems_;
};

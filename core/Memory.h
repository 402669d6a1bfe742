#pragma once
// Raw storage for the buffers. Buffers never throw: they ask for memory here and treat a null
// answer as exhaustion. Tests can make allocations fail on purpose to check that every buffer
// absorbs exhaustion the way it promises.

#include <cstddef>

namespace qvmem {

void* Allocate(size_t bytes);  // null when memory is exhausted (or a test says so)
void Free(void* block);        // accepts null

// Test hook: after `succeeding` more allocations work, the next `failing` ones fail (all of
// them when `failing` is negative). FailAllocations(0, 0) switches failures off.
void FailAllocations(long succeeding, long failing);

}  // namespace qvmem

// Makes allocations fail for the life of a scope (tests only).
class ScopedAllocationFailure {
public:
    explicit ScopedAllocationFailure(long succeeding = 0, long failing = -1) {
        qvmem::FailAllocations(succeeding, failing);
    }
    ~ScopedAllocationFailure() { qvmem::FailAllocations(0, 0); }
    ScopedAllocationFailure(const ScopedAllocationFailure&) = delete;
    ScopedAllocationFailure& operator=(const ScopedAllocationFailure&) = delete;
};

#pragma once
// Counts the heap in use by the whole benchmark process, by standing in for malloc and friends
// (the C library's own allocator does the work). Figures are usable bytes as the allocator
// reports them, so they include its rounding but not its bookkeeping.

#include <cstddef>

namespace heapcounter {

size_t InUse();
size_t Peak();
void ResetPeak();  // the peak becomes what is in use now

}  // namespace heapcounter

#include "bench/HeapCounter.h"

#include <malloc.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {
std::atomic<size_t> g_inUse{0};
std::atomic<size_t> g_peak{0};

void Count(void* block) {
    if (!block) {
        return;
    }
    const size_t now = g_inUse.fetch_add(malloc_usable_size(block)) + malloc_usable_size(block);
    size_t peak = g_peak.load(std::memory_order_relaxed);
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
}

void Uncount(void* block) {
    if (block) {
        g_inUse.fetch_sub(malloc_usable_size(block));
    }
}
}  // namespace

namespace heapcounter {
size_t InUse() { return g_inUse.load(); }
size_t Peak() { return g_peak.load(); }
void ResetPeak() { g_peak.store(g_inUse.load()); }
}  // namespace heapcounter

extern "C" {

void* malloc(size_t size) {
    void* block = __libc_malloc(size);
    Count(block);
    return block;
}

void* calloc(size_t count, size_t size) {
    void* block = __libc_calloc(count, size);
    Count(block);
    return block;
}

void* realloc(void* block, size_t size) {
    if (!block) {
        return malloc(size);
    }
    const size_t before = malloc_usable_size(block);
    void* moved = __libc_realloc(block, size);
    if (moved || size == 0) {
        g_inUse.fetch_sub(before);
        Count(moved);
    }
    return moved;
}

void free(void* block) {
    Uncount(block);
    __libc_free(block);
}

void* memalign(size_t alignment, size_t size) {
    void* block = __libc_memalign(alignment, size);
    Count(block);
    return block;
}

void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }

int posix_memalign(void** out, size_t alignment, size_t size) {
    void* block = memalign(alignment, size);
    if (!block) {
        return ENOMEM;
    }
    *out = block;
    return 0;
}

}  // extern "C"

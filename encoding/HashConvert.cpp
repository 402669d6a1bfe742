#include "encoding/HashConvert.h"

#include <algorithm>
#include <cstring>

#include "core/Memory.h"

struct HashConvert::Staged {
    uint32_t key;
    uint32_t value;
    uint8_t keyLength;
    uint8_t valueLength;
};

// A removal drops the entries with its key that were added before it (index below `before`).
struct HashConvert::Removal {
    uint32_t key;
    uint32_t before;
    uint8_t keyLength;
};

HashConvert::HashConvert(uint32_t bucketCount, bool asciiCompatible)
    : bucketCount_(bucketCount ? bucketCount : 1),
      moduloFactor_(UINT64_MAX / bucketCount_ + 1),
      asciiCompatible_(asciiCompatible) {}

HashConvert::~HashConvert() {
    qvmem::Free(buckets_);
    qvmem::Free(arena_);
    qvmem::Free(staged_);
    qvmem::Free(removals_);
}

template <class T>
bool HashConvert::Grow(T*& items, uint32_t& capacity, uint32_t count) {
    if (count < capacity) {
        return true;
    }
    const uint32_t bigger = capacity ? capacity * 2 : 256;
    auto* grown = static_cast<T*>(qvmem::Allocate(sizeof(T) * bigger));
    if (!grown) {
        return false;
    }
    if (items) {
        std::memcpy(grown, items, sizeof(T) * count);
        qvmem::Free(items);
    }
    items = grown;
    capacity = bigger;
    return true;
}

bool HashConvert::Add(uint32_t key, unsigned keyLength, uint32_t value, unsigned valueLength) {
    if (keyLength < 1 || keyLength > 4 || valueLength < 1 || valueLength > 4 || arena_ ||
        !Grow(staged_, stagedCapacity_, stagedCount_)) {
        failed_ = true;
        return false;
    }
    staged_[stagedCount_++] = {key, value, static_cast<uint8_t>(keyLength),
                               static_cast<uint8_t>(valueLength)};
    return true;
}

bool HashConvert::Remove(uint32_t key, unsigned keyLength) {
    if (arena_ || !Grow(removals_, removalCapacity_, removalCount_)) {
        failed_ = true;
        return false;
    }
    removals_[removalCount_++] = {key, stagedCount_, static_cast<uint8_t>(keyLength)};
    return true;
}

bool HashConvert::IsRemoved(const Staged& entry) const {
    // Removals are sorted by key, the latest last; only the latest of a key matters.
    const Removal* begin = removals_;
    const Removal* end = removals_ + removalCount_;
    const Removal* found =
        std::upper_bound(begin, end, entry, [](const Staged& e, const Removal& r) {
            return e.keyLength != r.keyLength ? e.keyLength < r.keyLength : e.key < r.key;
        });
    if (found == begin) {
        return false;
    }
    const Removal& latest = found[-1];
    const auto index = static_cast<uint32_t>(&entry - staged_);
    return latest.keyLength == entry.keyLength && latest.key == entry.key && index < latest.before;
}

bool HashConvert::Seal() {
    if (failed_ || arena_) {
        return false;
    }
    std::stable_sort(removals_, removals_ + removalCount_, [](const Removal& a, const Removal& b) {
        return a.keyLength != b.keyLength ? a.keyLength < b.keyLength : a.key < b.key;
    });
    auto* offsets = static_cast<uint32_t*>(qvmem::Allocate(sizeof(uint32_t) * bucketCount_));
    buckets_ = static_cast<const uint8_t**>(qvmem::Allocate(sizeof(uint8_t*) * bucketCount_));
    if (!offsets || !buckets_) {
        qvmem::Free(offsets);
        qvmem::Free(buckets_);
        buckets_ = nullptr;
        return false;
    }
    // First pass: the bytes each bucket needs; then each bucket's start in the block.
    std::memset(offsets, 0, sizeof(uint32_t) * bucketCount_);
    for (uint32_t i = 0; i < stagedCount_; ++i) {
        const Staged& entry = staged_[i];
        if (!IsRemoved(entry)) {
            offsets[Bucket(entry.key)] += 2 + entry.keyLength + entry.valueLength;
        }
    }
    uint32_t total = 0;
    for (uint32_t b = 0; b < bucketCount_; ++b) {
        const uint32_t size = offsets[b];
        offsets[b] = total;
        total += size ? size + 1 : 0;  // a non-empty bucket ends with a zero key length
    }
    arena_ = static_cast<uint8_t*>(qvmem::Allocate(total ? total : 1));
    if (!arena_) {
        qvmem::Free(offsets);
        qvmem::Free(buckets_);
        buckets_ = nullptr;
        return false;
    }
    for (uint32_t b = 0; b < bucketCount_; ++b) {
        buckets_[b] = nullptr;
    }
    // Second pass: entries in table order, each appended to its bucket.
    for (uint32_t i = 0; i < stagedCount_; ++i) {
        const Staged& entry = staged_[i];
        if (IsRemoved(entry)) {
            continue;
        }
        const uint32_t bucket = Bucket(entry.key);
        uint8_t* out = arena_ + offsets[bucket];
        if (!buckets_[bucket]) {
            buckets_[bucket] = out;
        }
        *out++ = entry.keyLength;
        for (unsigned k = 0; k < entry.keyLength; ++k) {
            *out++ = static_cast<uint8_t>(entry.key >> (8 * k));
        }
        *out++ = entry.valueLength;
        for (unsigned v = 0; v < entry.valueLength; ++v) {
            *out++ = static_cast<uint8_t>(entry.value >> (8 * v));
        }
        *out = 0;  // the end of the bucket until another entry follows
        offsets[bucket] = static_cast<uint32_t>(out - arena_);
        keyLengths_ |= 1u << entry.keyLength;
        if (entry.keyLength > 1) {
            const auto lead = static_cast<uint8_t>(entry.key);
            leadBytes_[lead >> 6] |= uint64_t{1} << (lead & 63);
        }
    }
    qvmem::Free(offsets);
    qvmem::Free(staged_);
    qvmem::Free(removals_);
    staged_ = nullptr;
    removals_ = nullptr;
    stagedCount_ = stagedCapacity_ = removalCount_ = removalCapacity_ = 0;
    return true;
}

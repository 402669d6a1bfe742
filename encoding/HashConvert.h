#pragma once
// HashConvert: one code page table unpacked for one direction. Keys of 1 to 4 bytes map to
// values of 1 to 4 bytes. For encoding, keys are the two bytes of a UTF-16LE code unit and
// values the code page's byte or two-byte sequence; for decoding, the other way round.
//
// A key's bucket is its bytes read as a little-endian number, modulo the bucket count. Each
// bucket is one packed run of entries (key length, key bytes, value length, value bytes),
// ended by a key length of 0. The first entry with a key wins a lookup; removing a key drops
// every entry with it.
//
// Building: Add and Remove in table order, then Seal once; lookups work only after Seal. The
// entries live in one block allocated at Seal; an exhausted allocation makes Seal fail.

#include <cstdint>

#include "core/QuorvelObject.h"

class HashConvert : public QuorvelObject {
public:
    HashConvert(uint32_t bucketCount, bool asciiCompatible);
    ~HashConvert() override;
    HashConvert(const HashConvert&) = delete;
    HashConvert& operator=(const HashConvert&) = delete;

    // Keys and values are given as their bytes packed little-endian (first byte lowest).
    bool Add(uint32_t key, unsigned keyLength, uint32_t value, unsigned valueLength);
    bool Remove(uint32_t key, unsigned keyLength);
    bool Seal();

    // The value of the first entry with the key, packed like keys, or false when none.
    bool Find(uint32_t key, unsigned keyLength, uint32_t& value, unsigned& valueLength) const {
        const uint8_t* entry = buckets_ ? buckets_[Bucket(key)] : nullptr;
        if (!entry) {
            return false;
        }
        for (unsigned length; (length = entry[0]) != 0; entry += 2 + length + entry[1 + length]) {
            if (length == keyLength && ReadPacked(entry + 1, keyLength) == key) {
                valueLength = entry[1 + length];
                value = ReadPacked(entry + 2 + length, valueLength);
                return true;
            }
        }
        return false;
    }

    bool IsAsciiCompatible() const { return asciiCompatible_; }
    uint32_t BucketCount() const { return bucketCount_; }
    // Whether any key has this many bytes, and whether a byte starts a key of 2 or more bytes;
    // they let decoders skip lookups that cannot succeed.
    bool HasKeysOfLength(unsigned length) const { return (keyLengths_ >> length) & 1; }
    bool StartsLongerKey(uint8_t byte) const { return (leadBytes_[byte >> 6] >> (byte & 63)) & 1; }

private:
    struct Staged;
    struct Removal;

    uint32_t Bucket(uint32_t key) const {
        // key % bucketCount_ without a division (exact for 32-bit keys and divisors).
        const uint64_t low = moduloFactor_ * key;
        return static_cast<uint32_t>((static_cast<unsigned __int128>(low) * bucketCount_) >> 64);
    }
    static uint32_t ReadPacked(const uint8_t* bytes, unsigned length) {
        uint32_t value = 0;
        for (unsigned i = 0; i < length; ++i) {
            value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
        }
        return value;
    }
    bool IsRemoved(const Staged& entry) const;
    template <class T>
    static bool Grow(T*& items, uint32_t& capacity, uint32_t count);

    uint32_t bucketCount_;
    uint64_t moduloFactor_;
    bool asciiCompatible_;
    const uint8_t** buckets_ = nullptr;
    uint8_t* arena_ = nullptr;
    uint32_t keyLengths_ = 0;     // bit n set: some key has n bytes
    uint64_t leadBytes_[4] = {};  // bit b set: byte b starts a key of 2 or more bytes

    // Working state until Seal.
    Staged* staged_ = nullptr;
    uint32_t stagedCount_ = 0;
    uint32_t stagedCapacity_ = 0;
    Removal* removals_ = nullptr;
    uint32_t removalCount_ = 0;
    uint32_t removalCapacity_ = 0;
    bool failed_ = false;
};

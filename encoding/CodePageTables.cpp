#include "encoding/CodePageTables.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>

#include "core/DataBuffer.h"
#include "encoding/CodePageData.h"
#include "encoding/HashConvert.h"
#include "encoding/StoredTableReader.h"
#include "encoding/UnicodeLookup.h"

namespace {

using codepagedata::StoredCodePage;

enum class Direction { Encoding, Decoding };

const StoredCodePage* FindStored(int codePage) {
    const StoredCodePage* begin = codepagedata::kStoredCodePages;
    const StoredCodePage* end = begin + codepagedata::kStoredCodePageCount;
    const StoredCodePage* found = std::lower_bound(
        begin, end, codePage, [](const StoredCodePage& s, int cp) { return s.codePage < cp; });
    return (found != end && found->codePage == codePage) ? found : nullptr;
}

uint16_t ReadUnit(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// Adds the entries of a full table, in order, for one direction. Entries carry running deltas:
// 3-byte single-byte entries up to a 0 byte delta, then 4-byte double-byte entries up to a 0
// sequence delta.
bool AddFullTable(const DataBuffer& table, Direction direction, HashConvert& hash) {
    const unsigned char* t = table.GetData();
    const uint32_t size = table.GetSize();
    uint32_t pos = 2;
    uint8_t byte = 0;
    uint16_t unit = 0;
    bool ok = true;
    while (pos + 3 <= size && t[pos] != 0) {
        byte = static_cast<uint8_t>(byte + t[pos]);
        unit = static_cast<uint16_t>(unit + ReadUnit(t + pos + 1));
        ok &= direction == Direction::Encoding ? hash.Add(unit, 2, byte, 1)
                                               : hash.Add(byte, 1, unit, 2);
        pos += 3;
    }
    ++pos;  // the terminator
    uint16_t sequence = 0;
    unit = 0;
    while (pos + 4 <= size && ReadUnit(t + pos) != 0) {
        sequence = static_cast<uint16_t>(sequence + ReadUnit(t + pos));
        unit = static_cast<uint16_t>(unit + ReadUnit(t + pos + 2));
        // The sequence holds the lead byte in its high half; keys keep the bytes in text order.
        const uint32_t bytes = static_cast<uint32_t>(sequence >> 8 | (sequence & 0xFF) << 8);
        ok &= direction == Direction::Encoding ? hash.Add(unit, 2, bytes, 2)
                                               : hash.Add(bytes, 2, unit, 2);
        pos += 4;
    }
    return ok;
}

// Applies a difference table to an encoding table: units to remove, then units mapped anew to
// a byte, then units mapped anew to a two-byte sequence (lead byte first).
bool ApplyDifferenceTable(const DataBuffer& table, HashConvert& hash) {
    const unsigned char* t = table.GetData();
    const uint32_t size = table.GetSize();
    uint32_t pos = 2;
    bool ok = true;
    for (; pos + 2 <= size && ReadUnit(t + pos) != 0; pos += 2) {
        ok &= hash.Remove(ReadUnit(t + pos), 2);
    }
    pos += 2;
    for (; pos + 3 <= size && t[pos] != 0; pos += 3) {
        const uint16_t unit = ReadUnit(t + pos + 1);
        ok &= hash.Remove(unit, 2) && hash.Add(unit, 2, t[pos], 1);
    }
    ++pos;
    for (; pos + 4 <= size && (t[pos] | t[pos + 1]) != 0; pos += 4) {
        const uint16_t unit = ReadUnit(t + pos + 2);
        ok &= hash.Remove(unit, 2) && hash.Add(unit, 2, t[pos] | t[pos + 1] << 8, 2);
    }
    return ok;
}

bool Unpack(const StoredCodePage& stored, DataBuffer& table) {
    return UnpackStoredTable(stored.pieces, table) && table.GetSize() >= 2;
}

// The table of a code page for one direction, sealed; null when it cannot be built.
HashConvert* BuildHash(const StoredCodePage& stored, Direction direction, uint32_t buckets) {
    const StoredCodePage* full =
        stored.differenceBase ? FindStored(stored.differenceBase) : &stored;
    DataBuffer table;
    if (!full || !Unpack(*full, table) || table.GetData()[1] != 'u') {
        return nullptr;
    }
    std::unique_ptr<HashConvert> hash(new (std::nothrow)
                                          HashConvert(buckets, table.GetData()[0] == 'a'));
    if (!hash || !AddFullTable(table, direction, *hash)) {
        return nullptr;
    }
    if (stored.differenceBase && direction == Direction::Encoding) {
        DataBuffer difference;
        if (!Unpack(stored, difference) || difference.GetData()[1] != 'd' ||
            !ApplyDifferenceTable(difference, *hash)) {
            return nullptr;
        }
    }
    return hash->Seal() ? hash.release() : nullptr;
}

// Hash sizes: the multi-byte code pages by name, every single-byte one alike (its decoding
// hash lives only while the decoding array is filled).
struct BucketCounts {
    int codePage;
    uint32_t encoding;
    uint32_t decoding;
};
constexpr BucketCounts kMultiByteBuckets[] = {
    {932, 7669, 4919}, {10001, 4919, 4919}, {51932, 4919, 4919},
    {936, 7649, 7649}, {950, 7649, 7649},   {51936, 7649, 7649},
    {949, 7669, 7669}, {1361, 7669, 7669},  {51949, 7669, 7669},
};
constexpr uint32_t kSingleByteEncodingBuckets = 269;
constexpr uint32_t kSingleByteDecodingBuckets = 283;

const BucketCounts* BucketCountsOf(int codePage) {
    for (const BucketCounts& counts : kMultiByteBuckets) {
        if (counts.codePage == codePage) {
            return &counts;
        }
    }
    return nullptr;
}

// One slot per stored code page and direction; filled once, read without a lock.
struct Slots {
    std::unique_ptr<std::atomic<const HashConvert*>[]> encoding {
        new std::atomic<const HashConvert*>[ codepagedata::kStoredCodePageCount ]()
    };
    std::unique_ptr<std::atomic<const HashConvert*>[]> multiByte {
        new std::atomic<const HashConvert*>[ codepagedata::kStoredCodePageCount ]()
    };
    std::unique_ptr<std::atomic<const UnicodeLookup*>[]> singleByte {
        new std::atomic<const UnicodeLookup*>[ codepagedata::kStoredCodePageCount ]()
    };
};

// Never destroyed: conversions may still run while static objects are torn down.
Slots& TheSlots() {
    static Slots* const slots = new Slots;
    return *slots;
}

size_t SlotOf(const StoredCodePage& stored) {
    return static_cast<size_t>(&stored - codepagedata::kStoredCodePages);
}

template <class T, class Build>
const T* GetOrBuild(std::atomic<const T*>& slot, Build build) {
    if (const T* ready = slot.load(std::memory_order_acquire)) {
        return ready;
    }
    T* built = build();
    if (!built) {
        return nullptr;
    }
    const T* expected = nullptr;
    if (slot.compare_exchange_strong(expected, built, std::memory_order_acq_rel)) {
        return built;
    }
    delete built;  // another thread was first
    return expected;
}

}  // namespace

bool CodePageTables::HasTable(int codePage) {
    return FindStored(codePage) != nullptr;
}

bool CodePageTables::IsMultiByte(int codePage) {
    const StoredCodePage* stored = FindStored(codePage);
    return stored && stored->multiByte;
}

uint32_t CodePageTables::EncodingBucketCount(int codePage) {
    const BucketCounts* counts = BucketCountsOf(codePage);
    return counts ? counts->encoding : kSingleByteEncodingBuckets;
}

uint32_t CodePageTables::DecodingBucketCount(int codePage) {
    const BucketCounts* counts = BucketCountsOf(codePage);
    return counts ? counts->decoding : kSingleByteDecodingBuckets;
}

std::unique_ptr<HashConvert> CodePageTables::BuildEncoding(int codePage) {
    const StoredCodePage* stored = FindStored(codePage);
    return std::unique_ptr<HashConvert>(
        stored ? BuildHash(*stored, Direction::Encoding, EncodingBucketCount(codePage)) : nullptr);
}

std::unique_ptr<HashConvert> CodePageTables::BuildMultiByteDecoding(int codePage) {
    const StoredCodePage* stored = FindStored(codePage);
    return std::unique_ptr<HashConvert>(
        stored && stored->multiByte
            ? BuildHash(*stored, Direction::Decoding, DecodingBucketCount(codePage))
            : nullptr);
}

std::unique_ptr<UnicodeLookup> CodePageTables::BuildSingleByteDecoding(int codePage) {
    const StoredCodePage* stored = FindStored(codePage);
    if (!stored || stored->multiByte) {
        return nullptr;
    }
    const std::unique_ptr<HashConvert> decoding(
        BuildHash(*stored, Direction::Decoding, DecodingBucketCount(codePage)));
    return std::unique_ptr<UnicodeLookup>(decoding ? new (std::nothrow) UnicodeLookup(*decoding)
                                                   : nullptr);
}

const HashConvert* CodePageTables::Encoding(int codePage) {
    const StoredCodePage* stored = FindStored(codePage);
    if (!stored) {
        return nullptr;
    }
    return GetOrBuild(TheSlots().encoding[SlotOf(*stored)],
                      [&] { return BuildEncoding(codePage).release(); });
}

const HashConvert* CodePageTables::MultiByteDecoding(int codePage) {
    const StoredCodePage* stored = FindStored(codePage);
    if (!stored || !stored->multiByte) {
        return nullptr;
    }
    return GetOrBuild(TheSlots().multiByte[SlotOf(*stored)],
                      [&] { return BuildMultiByteDecoding(codePage).release(); });
}

const UnicodeLookup* CodePageTables::SingleByteDecoding(int codePage) {
    const StoredCodePage* stored = FindStored(codePage);
    if (!stored || stored->multiByte) {
        return nullptr;
    }
    return GetOrBuild(TheSlots().singleByte[SlotOf(*stored)],
                      [&] { return BuildSingleByteDecoding(codePage).release(); });
}

#include "compress/Gzip.h"

#include <algorithm>
#include <cstdint>

#include "compress/InflateState2.h"
#include "core/DataBuffer.h"
#include "core/LogBase.h"

namespace {

constexpr uint8_t kFlagHeaderCrc = 2;
constexpr uint8_t kFlagExtra = 4;
constexpr uint8_t kFlagName = 8;
constexpr uint8_t kFlagComment = 16;
constexpr uint32_t kHeaderSize = 10;
constexpr uint32_t kTrailerSize = 8;

// No deflate stream expands more than 1032 times (a 258-byte copy for two bits of codes), so a
// reservation beyond that would only ever hold air, whatever a damaged ISIZE claims.
constexpr uint64_t kMaxExpansion = 1032;
constexpr uint64_t kReserveExtra = 200;

bool Fail(LogBase& log, const char* text) {
    log.AddError(text);
    return false;
}

// The position just past the optional header fields that start at `position`, or 0 when one
// of them runs past the end (or leaves nothing after it).
uint64_t SkipOptionalFields(const unsigned char* bytes, uint64_t size, uint8_t flags) {
    uint64_t position = kHeaderSize;
    if (flags & kFlagExtra) {
        if (size < 13) {
            return 0;
        }
        position = 12 + (bytes[10] | uint32_t{bytes[11]} << 8);
        if (position > size - 1) {
            return 0;
        }
    }
    for (uint8_t textFlag : {kFlagName, kFlagComment}) {
        if (flags & textFlag) {
            // The text ends at its NUL, which must not be the last byte.
            while (position < size && bytes[position] != 0) {
                ++position;
            }
            if (position >= size - 1) {
                return 0;
            }
            ++position;
        }
    }
    if (flags & kFlagHeaderCrc) {
        position += 2;
        if (position > size - 1) {
            return 0;
        }
    }
    return position;
}

}  // namespace

bool Gzip::unGzip(const DataBuffer& inBuffer, DataBuffer& out, LogBase& log) {
    // The output is emptied first; when it is also the input, work from a copy.
    DataBuffer ownCopy;
    const DataBuffer* in = &inBuffer;
    if (&inBuffer == &out) {
        ownCopy = inBuffer;
        if (ownCopy.GetSize() != inBuffer.GetSize()) {
            return Fail(log, "Out of memory.");  // the input stays where it was
        }
        in = &ownCopy;
    }
    out.Clear();

    const uint64_t size = in->GetSize();
    const unsigned char* bytes = in->GetData();
    if (size < kHeaderSize) {
        return Fail(log, "Gzip data too small");
    }
    if (bytes[0] != 0x1F || bytes[1] != 0x8B) {
        return Fail(log, "Invalid GZip ID");
    }
    if (bytes[2] != 8) {
        return Fail(log, "Invalid GZip compression method");
    }
    const uint64_t dataStart = SkipOptionalFields(bytes, size, bytes[3]);
    if (dataStart == 0) {
        return Fail(log, "Buffer would have been overrun");
    }
    const uint64_t remaining = size - dataStart;
    if (remaining < kTrailerSize) {
        return Fail(log, "Not enough data for trailing CRC32 or ISIZE");
    }
    if (remaining == kTrailerSize) {
        return true;
    }

    const uint64_t compressedSize = remaining - kTrailerSize;
    const unsigned char* trailer = bytes + size - kTrailerSize;
    const uint32_t isize = trailer[4] | uint32_t{trailer[5]} << 8 | uint32_t{trailer[6]} << 16 |
                           uint32_t{trailer[7]} << 24;
    log.AddDataInt64("CompressedSize", static_cast<int64_t>(compressedSize));
    log.AddDataInt64("UncompressedSize", isize);

    const uint64_t reserve = std::min<uint64_t>(isize, compressedSize * kMaxExpansion) + kReserveExtra;
    if (reserve <= UINT32_MAX) {
        out.EnsureCapacity(static_cast<uint32_t>(reserve));  // a reservation that fails is no loss
    }
    uint32_t crc32 = 0;
    return InflateState2::InflateFromMemory(bytes + dataStart, compressedSize, out, nullptr, log,
                                            false, crc32);
}

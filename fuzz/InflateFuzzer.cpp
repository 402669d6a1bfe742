// Raw inflate on arbitrary bytes. The decoder must never fail for want of anything but memory,
// must give the same bytes whether the input arrives at once or in pieces (one call of
// inflateDataB for each piece: every call resumes where the last one stopped), and must
// agree with zlib: where zlib decodes a stream completely, ours gives a prefix of zlib's bytes,
// all of them when it too finds the stream complete. (It may stop earlier on codes that zlib
// alone accepts, and it decodes some streams that zlib refuses.)

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "compress/Crc32.h"
#include "compress/InflateState2.h"
#include "compress/MemoryDataSink.h"
#include "core/DataBuffer.h"
#include "core/LogBase.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::string Bytes(const DataBuffer& buffer) {
    return buffer.GetSize() ? std::string(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize())
                            : std::string();
}

bool ZlibInflate(const uint8_t* data, size_t size, std::string& out) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) {
        return false;
    }
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    int result = Z_OK;
    char buffer[65536];
    do {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        result = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
    } while (result == Z_OK && z.avail_out == 0);
    inflateEnd(&z);
    return result == Z_STREAM_END;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LogNull log;

    // All at once, in memory.
    DataBuffer whole;
    uint32_t crc = 0;
    Require(InflateState2::InflateFromMemory(data, size, whole, nullptr, log, false, crc));
    Require(crc == Crc32::Update(0, whole.GetData(), whole.GetSize()));

    // The same, telling whether the stream ended properly.
    DataBuffer again;
    MemoryDataSink sink(again);
    InflateState2 state;
    state.setSink(&sink);
    const bool complete = state.inflateDataB(data, size, log, false);
    Require(again.Equals(whole));

    // In pieces of 1 to 13 bytes.
    const size_t step = size ? 1 + data[0] % 13 : 1;
    DataBuffer pieces;
    MemoryDataSink piecesSink(pieces);
    InflateState2 resuming;
    resuming.setSink(&piecesSink);
    bool piecesComplete = false;
    for (size_t offset = 0; offset < size; offset += step) {
        piecesComplete = resuming.inflateDataB(data + offset, std::min(step, size - offset), log, false);
    }
    Require(pieces.Equals(whole));
    Require(piecesComplete == complete);

    std::string reference;
    if (ZlibInflate(data, size, reference)) {
        const std::string ours = Bytes(whole);
        Require(reference.compare(0, ours.size(), ours) == 0);
        Require(!complete || ours == reference);
    }
    return 0;
}

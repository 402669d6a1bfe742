// Raw inflate on arbitrary bytes. The decoder must never fail for want of anything but memory,
// must give the same bytes whether the input arrives at once or in pieces (one call of
// inflateDataB for each piece: every call resumes where the last one stopped), and must
// agree with zlib: where zlib decodes a stream completely, ours gives a prefix of zlib's bytes,
// all of them when it too finds the stream complete. (It may stop earlier on codes that zlib
// alone accepts, and it decodes some streams that zlib refuses.)

#include <algorithm>
#include <cstdlib>
#include <string>

#include "compress/Crc32.h"
#include "compress/InflateState2.h"
#include "compress/MemoryDataSink.h"
#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "tests/compress/DeflateTestKit.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
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
    if (deflatekit::ZlibInflate(data, size, -15, reference)) {
        const std::string ours = deflatekit::AsBytes(whole);
        Require(reference.compare(0, ours.size(), ours) == 0);
        Require(!complete || ours == reference);
    }
    return 0;
}

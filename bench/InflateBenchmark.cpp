// Inflate speed, ours against zlib's, on 100 MB of mixed text and binary data compressed by zlib
// at level 6. Both decoders run in the same process on the same compressed bytes and write into
// output buffers that are allocated once, outside the timed loop; the rates are of output bytes.
//
//   raw:  InflateState2 into a MemoryDataSink (no CRC)  vs  zlib inflate, windowBits -15
//   gzip: Gzip::unGzip (CRC-32 of the output)           vs  zlib inflate, windowBits 31 (checks it)
//
// Run: build with -DQV_BUILD_BENCH=ON, then build/bench/bench_inflate. The data size can be
// changed with QV_BENCH_MB (default 100).

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "compress/Crc32.h"
#include "compress/Gzip.h"
#include "compress/InflateState2.h"
#include "compress/MemoryDataSink.h"
#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "tests/compress/DeflateTestKit.h"

namespace {

struct Corpus {
    std::string original;
    std::string raw;   // raw deflate, level 6
    std::string gzip;  // the same as a gzip member

    Corpus() {
        const char* megabytes = std::getenv("QV_BENCH_MB");
        const size_t size = (megabytes ? std::strtoul(megabytes, nullptr, 10) : 100) << 20;
        original = deflatekit::Mixed(size, 20240601);
        raw = deflatekit::ZlibDeflateRaw(original, {6});
        gzip = deflatekit::ZlibGzip(original, 6);
        std::fprintf(stderr, "corpus: %zu bytes, raw deflate %zu bytes (%.1f%%)\n", original.size(),
                     raw.size(), 100.0 * static_cast<double>(raw.size()) / static_cast<double>(original.size()));
    }
};

const Corpus& TheCorpus() {
    static const Corpus corpus;
    return corpus;
}

bool SameAsOriginal(const unsigned char* bytes, size_t size) {
    const std::string& original = TheCorpus().original;
    return size == original.size() && std::memcmp(bytes, original.data(), size) == 0;
}

void Finish(benchmark::State& state, bool correct) {
    if (!correct) {
        state.SkipWithError("decoded bytes differ from the original");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(TheCorpus().original.size()));
}

void OursRaw(benchmark::State& state) {
    const Corpus& corpus = TheCorpus();
    DataBuffer out;
    out.EnsureCapacity(static_cast<uint32_t>(corpus.original.size() + 1024));
    LogNull log;
    auto decoder = std::make_unique<InflateState2>();
    for (auto _ : state) {
        out.Clear();
        decoder->reset(InflateState2::kWindowSize);
        MemoryDataSink sink(out);
        decoder->setSink(&sink);
        decoder->inflateDataB(reinterpret_cast<const unsigned char*>(corpus.raw.data()),
                              corpus.raw.size(), log, false);
    }
    Finish(state, SameAsOriginal(out.GetData(), out.GetSize()));
}

void ZlibRaw(benchmark::State& state) {
    const Corpus& corpus = TheCorpus();
    std::string out(corpus.original.size() + 1024, '\0');
    size_t produced = 0;
    for (auto _ : state) {
        z_stream z{};
        inflateInit2(&z, -15);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(corpus.raw.data()));
        z.avail_in = static_cast<uInt>(corpus.raw.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        inflate(&z, Z_FINISH);
        produced = z.total_out;
        inflateEnd(&z);
    }
    Finish(state, SameAsOriginal(reinterpret_cast<const unsigned char*>(out.data()), produced));
}

void OursGzip(benchmark::State& state) {
    const Corpus& corpus = TheCorpus();
    DataBuffer in;
    in.Append(corpus.gzip.data(), static_cast<uint32_t>(corpus.gzip.size()));
    DataBuffer out;
    out.EnsureCapacity(static_cast<uint32_t>(corpus.original.size() + 1024));
    LogNull log;
    bool ok = true;
    for (auto _ : state) {
        ok = Gzip::unGzip(in, out, log) && ok;
    }
    Finish(state, ok && SameAsOriginal(out.GetData(), out.GetSize()));
}

void ZlibGzip(benchmark::State& state) {
    const Corpus& corpus = TheCorpus();
    std::string out(corpus.original.size() + 1024, '\0');
    size_t produced = 0;
    bool ok = true;
    for (auto _ : state) {
        z_stream z{};
        inflateInit2(&z, 31);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(corpus.gzip.data()));
        z.avail_in = static_cast<uInt>(corpus.gzip.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        ok = inflate(&z, Z_FINISH) == Z_STREAM_END && ok;
        produced = z.total_out;
        inflateEnd(&z);
    }
    Finish(state, ok && SameAsOriginal(reinterpret_cast<const unsigned char*>(out.data()), produced));
}

// The CRC-32 alone, which the gzip road adds to the raw one.
void OursCrc32(benchmark::State& state) {
    const std::string& original = TheCorpus().original;
    uint32_t crc = 0;
    for (auto _ : state) {
        crc = Crc32::Update(0, original.data(), original.size());
        benchmark::DoNotOptimize(crc);
    }
    Finish(state, crc == deflatekit::ZlibCrc32(original));
}

void ZlibCrc32(benchmark::State& state) {
    const std::string& original = TheCorpus().original;
    for (auto _ : state) {
        benchmark::DoNotOptimize(deflatekit::ZlibCrc32(original));
    }
    Finish(state, true);
}

}  // namespace

BENCHMARK(OursCrc32)->Unit(benchmark::kMillisecond);
BENCHMARK(ZlibCrc32)->Unit(benchmark::kMillisecond);
BENCHMARK(OursRaw)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ZlibRaw)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(OursGzip)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ZlibGzip)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();

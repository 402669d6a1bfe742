// The charset engine beside glibc's iconv on the same input, in the same run:
//   16 MB of mixed Western text, windows-1252 to UTF-8
//   16 MB of Japanese text, Shift_JIS to UTF-8
//   16 MB of mixed UTF-8 to UTF-16LE
// and the first use of a stored table (unpacking it and building its lookup form).
// Both sides write into an output buffer that is kept between iterations.

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <random>
#include <string>
#include <vector>

#include "core/DataBuffer.h"
#include "encoding/CodePageTables.h"
#include "encoding/EncodingConvert.h"
#include "encoding/HashConvert.h"
#include "encoding/UnicodeLookup.h"

namespace {

constexpr size_t kInputBytes = 16u << 20;

std::string ConvertOnce(int from, int to, const std::string& bytes) {
    DataBuffer out;
    EncodingConvert().Convert(from, to, bytes.data(), static_cast<uint32_t>(bytes.size()), out);
    return std::string(reinterpret_cast<const char*>(out.GetData()), out.GetSize());
}

std::string Utf16(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// Words of English, French, German and Spanish prose with their accents, quotes and dashes.
const std::string& WesternText() {
    static const std::string text = [] {
        const char16_t* words[] = {u"the",
                                   u"feed",
                                   u"caf\u00E9",
                                   u"na\u00EFve",
                                   u"\u00FCber",
                                   u"Stra\u00DFe",
                                   u"ni\u00F1o",
                                   u"se\u00F1or",
                                   u"fa\u00E7ade",
                                   u"r\u00E9sum\u00E9",
                                   u"and",
                                   u"of",
                                   u"news",
                                   u"\u201Cquoted\u201D",
                                   u"\u2014",
                                   u"price",
                                   u"10\u20AC",
                                   u"it\u2019s",
                                   u"M\u00FCnchen",
                                   u"Gr\u00F6\u00DFe",
                                   u"\u00E0",
                                   u"la",
                                   u"d\u00E9j\u00E0",
                                   u"vu",
                                   u"Espa\u00F1a",
                                   u"an",
                                   u"article",
                                   u"about",
                                   u"\u00C9cole",
                                   u"\u00A9",
                                   u"2011"};
        std::mt19937 random(1252);
        std::u16string prose;
        while (prose.size() < kInputBytes) {
            prose += words[random() % std::size(words)];
            prose += (random() % 12 == 0) ? u".\n" : u" ";
        }
        prose.resize(kInputBytes);
        return ConvertOnce(1200, 1252, Utf16(prose));
    }();
    return text;
}

// Kana, kanji of JIS level 1 and some ASCII, as Shift_JIS.
const std::string& JapaneseText() {
    static const std::string text = [] {
        std::mt19937 random(932);
        std::string sjis;
        while (sjis.size() < kInputBytes) {
            const unsigned pick = random() % 10;
            if (pick < 3) {
                sjis += static_cast<char>(0x82);
                sjis += static_cast<char>(0x9F + random() % 83);  // hiragana
            } else if (pick < 4) {
                sjis += static_cast<char>(0x83);
                sjis += static_cast<char>(0x40 + random() % 63);  // katakana
            } else if (pick < 9) {
                sjis += static_cast<char>(0x89 + random() % 8);  // level 1 kanji
                sjis += static_cast<char>(0x40 + random() % 63);
            } else {
                sjis += (random() % 2) ? "\x81\x42" : " 2011 ";
            }
        }
        // Keep whole characters only.
        return ConvertOnce(1200, 932, ConvertOnce(932, 1200, sjis.substr(0, kInputBytes)));
    }();
    return text;
}

const std::string& MixedUtf8() {
    static const std::string text = [] {
        std::string utf8 = ConvertOnce(1252, 65001, WesternText().substr(0, kInputBytes / 2));
        utf8 += ConvertOnce(932, 65001, JapaneseText());
        return utf8.substr(0, kInputBytes);
    }();
    return text;
}

void Ours(benchmark::State& state, int from, int to, const std::string& input) {
    DataBuffer out;
    for (auto _ : state) {
        out.Clear();
        EncodingConvert().Convert(from, to, input.data(), static_cast<uint32_t>(input.size()), out);
        benchmark::DoNotOptimize(out.GetData());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
    state.counters["out_MB"] = out.GetSize() / 1048576.0;
}

void Iconv(benchmark::State& state, const char* from, const char* to, const std::string& input) {
    iconv_t handle = iconv_open(to, from);
    if (handle == reinterpret_cast<iconv_t>(-1)) {
        state.SkipWithError("iconv has no such converter");
        return;
    }
    std::vector<char> in(input.begin(), input.end());
    std::vector<char> out(input.size() * 3 + 16);
    size_t written = 0;
    for (auto _ : state) {
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = in.data();
        size_t inLeft = in.size();
        char* outPtr = out.data();
        size_t outLeft = out.size();
        iconv(handle, &inPtr, &inLeft, &outPtr, &outLeft);
        written = out.size() - outLeft;
        benchmark::DoNotOptimize(out.data());
    }
    iconv_close(handle);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
    state.counters["out_MB"] = written / 1048576.0;
}

void BM_Windows1252ToUtf8_Ours(benchmark::State& s) {
    Ours(s, 1252, 65001, WesternText());
}
void BM_Windows1252ToUtf8_Iconv(benchmark::State& s) {
    Iconv(s, "CP1252", "UTF-8", WesternText());
}
void BM_ShiftJisToUtf8_Ours(benchmark::State& s) {
    Ours(s, 932, 65001, JapaneseText());
}
void BM_ShiftJisToUtf8_Iconv(benchmark::State& s) {
    Iconv(s, "CP932", "UTF-8", JapaneseText());
}
void BM_Utf8ToUtf16_Ours(benchmark::State& s) {
    Ours(s, 65001, 1200, MixedUtf8());
}
void BM_Utf8ToUtf16_Iconv(benchmark::State& s) {
    Iconv(s, "UTF-8", "UTF-16LE", MixedUtf8());
}

// First use of a table: unpacking the stored text (base64, bzip2) and building its lookup
// form, as the first conversion with that code page does.
void BM_FirstUse_1252Decoding(benchmark::State& s) {
    for (auto _ : s) {
        benchmark::DoNotOptimize(CodePageTables::BuildSingleByteDecoding(1252));
    }
}
void BM_FirstUse_1252Encoding(benchmark::State& s) {
    for (auto _ : s) {
        benchmark::DoNotOptimize(CodePageTables::BuildEncoding(1252));
    }
}
void BM_FirstUse_932Decoding(benchmark::State& s) {
    for (auto _ : s) {
        benchmark::DoNotOptimize(CodePageTables::BuildMultiByteDecoding(932));
    }
}
void BM_FirstUse_936Decoding(benchmark::State& s) {
    for (auto _ : s) {
        benchmark::DoNotOptimize(CodePageTables::BuildMultiByteDecoding(936));
    }
}
void BM_FirstUse_936Encoding(benchmark::State& s) {
    for (auto _ : s) {
        benchmark::DoNotOptimize(CodePageTables::BuildEncoding(936));
    }
}

}  // namespace

BENCHMARK(BM_Windows1252ToUtf8_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Windows1252ToUtf8_Iconv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShiftJisToUtf8_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShiftJisToUtf8_Iconv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8ToUtf16_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8ToUtf16_Iconv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstUse_1252Decoding)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstUse_1252Encoding)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstUse_932Decoding)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstUse_936Decoding)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstUse_936Encoding)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

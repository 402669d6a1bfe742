// Converts arbitrary bytes between random pairs of code pages (every stored table, the Unicode
// forms, ISO-2022 and some without a table), and checks that text which decoded completely
// comes back the same after encoding and decoding again.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "core/DataBuffer.h"
#include "encoding/CodePageData.h"
#include "encoding/EncodingConvert.h"
#include "encoding/XString.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

const int kOtherCodePages[] = {0,     1200,  1201,  65000, 65001, 65005, 65006,
                               50220, 50221, 50222, 50225, 20932, 54936, 50000};

int PickCodePage(FuzzedDataProvider& input) {
    const size_t stored = static_cast<size_t>(codepagedata::kStoredCodePageCount);
    const size_t pick =
        input.ConsumeIntegralInRange<size_t>(0, stored + std::size(kOtherCodePages) - 1);
    return pick < stored ? codepagedata::kStoredCodePages[pick].codePage
                         : kOtherCodePages[pick - stored];
}

std::string Bytes(const DataBuffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize());
}

std::string ConvertBytes(int from, int to, const std::string& bytes, bool& complete) {
    DataBuffer out;
    complete =
        EncodingConvert().Convert(from, to, bytes.data(), static_cast<uint32_t>(bytes.size()), out);
    return Bytes(out);
}

// A table code page whose encoding is the inverse of its decoding (10001 encodes with its own
// differences; 10004 reorders right-to-left runs before decoding).
bool RoundTrips(int codePage) {
    for (int i = 0; i < codepagedata::kStoredCodePageCount; ++i) {
        const auto& stored = codepagedata::kStoredCodePages[i];
        if (stored.codePage == codePage) {
            return stored.differenceBase == 0 && codePage != 10004;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int from = PickCodePage(input);
    const int to = PickCodePage(input);
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    bool complete = false;
    const std::string converted = ConvertBytes(from, to, bytes, complete);
    Require(converted.size() <= 16 * bytes.size() + 16);

    if (RoundTrips(from)) {
        bool decoded = false, encoded = false, again = false;
        const std::string utf16 = ConvertBytes(from, 1200, bytes, decoded);
        const std::string back = ConvertBytes(1200, from, utf16, encoded);
        const std::string utf16Again = ConvertBytes(from, 1200, back, again);
        Require(encoded);
        Require(utf16Again == utf16);
    }

    XString text;
    text.SetFromUtf8N(bytes.data(), static_cast<uint32_t>(bytes.size()));
    text.GetAnsi();
    text.GetUtf16();
    text.AppendAnsi(text.GetAnsi());
    Require(text.GetUtf8() != nullptr);
    return 0;
}

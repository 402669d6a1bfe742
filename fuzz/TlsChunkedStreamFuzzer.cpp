// Two checks of the TLS chunked-stream decoder. Raw input: decoding arbitrary bytes never reads
// outside them and never yields more body than stream. Round trip: chunks taken from the input,
// encoded with sizes, extensions and the last chunk, decode back to exactly their bytes.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "http/TlsChunkedStream.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

DataBuffer Bytes(const std::string& text) {
    DataBuffer bytes;
    bytes.Append(text.data(), static_cast<uint32_t>(text.size()));
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) {
        return 0;
    }
    LogNull log;
    {
        DataBuffer body;
        DecodeChunkedStream(Bytes(std::string(reinterpret_cast<const char*>(data), size)), body,
                            log, nullptr);
        Require(body.GetSize() <= size);
        IsCompleteChunkedStream(Bytes(std::string(reinterpret_cast<const char*>(data), size)));
    }

    FuzzedDataProvider input(data, size);
    std::string stream;
    std::string expected;
    while (input.remaining_bytes() > 0) {
        std::string chunk = input.ConsumeRandomLengthString(64);
        if (chunk.empty()) {
            break;
        }
        char sizeText[32];
        std::snprintf(sizeText, sizeof sizeText, input.ConsumeBool() ? "%zx" : "%zX", chunk.size());
        stream += sizeText;
        if (input.ConsumeBool()) {
            stream += ";ext=" + std::string(input.ConsumeIntegralInRange<size_t>(0, 40), 'e');
        }
        stream += "\r\n" + chunk + "\r\n";
        expected += chunk;
    }
    const bool endsWithLastChunk = input.ConsumeBool();
    // "0000" counts as the last chunk only after another chunk's CR LF.
    const bool longForm = !stream.empty() && input.ConsumeBool();
    if (endsWithLastChunk) {
        stream += longForm ? "0000\r\n\r\n" : "0\r\n\r\n";
    }
    DataBuffer body;
    Require(DecodeChunkedStream(Bytes(stream), body, log, nullptr));
    Require(std::string(reinterpret_cast<const char*>(body.GetData()), body.GetSize()) == expected);
    if (endsWithLastChunk) {
        Require(IsCompleteChunkedStream(Bytes(stream)));
    }
    return 0;
}

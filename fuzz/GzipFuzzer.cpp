// Gzip::unGzip on arbitrary bytes: a failure always says why, success never, the output never
// exceeds what deflate can expand to, and where zlib decodes the first member completely our
// output is a prefix of its bytes.

#include <cstdlib>
#include <string>

#include "compress/Gzip.h"
#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "tests/compress/DeflateTestKit.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

class ErrorCount : public LogBase {
public:
    bool AddError(const char*) override {
        ++errors;
        return true;
    }
    int errors = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DataBuffer in;
    in.Append(data, static_cast<uint32_t>(size));
    DataBuffer out;
    ErrorCount log;
    const bool ok = Gzip::unGzip(in, out, log);
    Require(ok == (log.errors == 0));
    Require(uint64_t{out.GetSize()} <= uint64_t{size} * 1032);

    // In place, the result is the same.
    DataBuffer inPlace;
    inPlace.Append(data, static_cast<uint32_t>(size));
    ErrorCount quiet;
    Require(Gzip::unGzip(inPlace, inPlace, quiet) == ok);
    Require(inPlace.Equals(out));

    std::string reference;
    if (deflatekit::ZlibInflate(data, size, 16 + 15, reference)) {
        Require(ok);
        const std::string ours = deflatekit::AsBytes(out);
        Require(reference.compare(0, ours.size(), ours) == 0);
    }
    return 0;
}

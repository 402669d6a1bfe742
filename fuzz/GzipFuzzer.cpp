// Gzip::unGzip on arbitrary bytes: a failure always says why, success never, the output never
// exceeds what deflate can expand to, and where zlib decodes the first member completely our
// output is a prefix of its bytes.

#include <zlib.h>

#include <cstdlib>
#include <string>

#include "compress/Gzip.h"
#include "core/DataBuffer.h"
#include "core/LogBase.h"

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

bool ZlibGunzip(const uint8_t* data, size_t size, std::string& out) {
    z_stream z{};
    if (inflateInit2(&z, 16 + 15) != Z_OK) {
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
    if (ZlibGunzip(data, size, reference)) {
        Require(ok);
        const std::string ours(reinterpret_cast<const char*>(out.GetData()), out.GetSize());
        Require(reference.compare(0, ours.size(), ours) == 0);
    }
    return 0;
}

#include "encoding/StoredTableReader.h"

#include <bzlib.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "core/DataBuffer.h"
#include "encoding/Base64.h"

namespace {

constexpr unsigned char kMagic[4] = {0xE1, 0xA7, 0x94, 0xB3};
constexpr size_t kContainerHeader = 8;  // magic and unpacked length

// bzip2 refuses sizes beyond unsigned int; tables are far smaller.
bool Decompress(const unsigned char* packed, size_t packedLength, DataBuffer& table) {
    if (packedLength < kContainerHeader || std::memcmp(packed, kMagic, 4) != 0) {
        return false;
    }
    const uint32_t length =
        packed[4] | packed[5] << 8 | packed[6] << 16 | static_cast<uint32_t>(packed[7]) << 24;
    if (length == 0 || !table.EnsureCapacity(length)) {
        return false;
    }
    unsigned int produced = length;
    const int status = BZ2_bzBuffToBuffDecompress(
        reinterpret_cast<char*>(table.GetMutableData()), &produced,
        const_cast<char*>(reinterpret_cast<const char*>(packed + kContainerHeader)),
        static_cast<unsigned int>(packedLength - kContainerHeader), 0, 0);
    if (status != BZ_OK || produced != length) {
        return false;
    }
    return table.SetSize(length);
}

}  // namespace

bool UnpackStoredTable(const char* const* pieces, DataBuffer& table) {
    table.Clear();
    std::string text;
    for (const char* const* piece = pieces; piece && *piece; ++piece) {
        text += *piece;
    }
    if (text.size() < 2 || (text[0] != 'c' && text[0] != 'x')) {
        return false;
    }
    DataBuffer decoded;
    if (!DecodeBase64(text.data() + 1, text.size() - 1, decoded)) {
        return false;
    }
    if (text[0] == 'x') {
        return table.Append(decoded);
    }
    if (!Decompress(decoded.GetData(), decoded.GetSize(), table)) {
        table.Clear();
        return false;
    }
    return true;
}

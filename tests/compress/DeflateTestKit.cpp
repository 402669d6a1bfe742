#include "tests/compress/DeflateTestKit.h"

#include <zlib.h>

#include "core/DataBuffer.h"
#include "core/Logger.h"
#include "core/StringBuffer.h"

#include <algorithm>
#include <random>
#include <stdexcept>

namespace deflatekit {

Bytes AsBytes(const DataBuffer& buffer) {
    return buffer.GetSize() ? Bytes(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize())
                            : Bytes();
}

std::string LogText(Logger& log) {
    StringBuffer text;
    log.GetAsText(text);
    return text.GetString();
}

// ---------------------------------------------------------------- test data

Bytes RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes out(size, '\0');
    for (char& c : out) {
        c = static_cast<char>(random() & 0xFF);
    }
    return out;
}

namespace {

// A vocabulary of made-up words whose use follows a skewed distribution, as in real text.
class Words {
public:
    explicit Words(std::mt19937& random) : random_(random) {
        static const char* syllables[] = {"ka", "lo", "mi", "ren", "sto", "vel", "da",  "quor",
                                          "tel", "an", "is", "ur",  "pe",  "xo",  "bri", "fen"};
        for (int i = 0; i < 400; ++i) {
            std::string word;
            const int count = 1 + static_cast<int>(random_() % 4);
            for (int s = 0; s < count; ++s) {
                word += syllables[random_() % 16];
            }
            words_.push_back(word);
        }
    }
    const std::string& Next() {
        // The square of a uniform number favours the first words strongly.
        const double u = std::uniform_real_distribution<double>(0, 1)(random_);
        return words_[static_cast<size_t>(u * u * static_cast<double>(words_.size()))];
    }

private:
    std::mt19937& random_;
    std::vector<std::string> words_;
};

void AppendText(Bytes& out, size_t size, std::mt19937& random, Words& words) {
    static const char* tags[] = {"<item>", "</item>\n", "<title>", "</title>", "<link>http://",
                                 "</link>\n", "<description><![CDATA[", "]]></description>\n"};
    const size_t end = out.size() + size;
    while (out.size() < end) {
        const uint32_t pick = random() % 20;
        if (pick == 0) {
            out += tags[random() % 8];
        } else if (pick == 1) {
            out += std::to_string(random() % 100000);
        } else if (pick == 2) {
            out += ".\n";
        } else {
            out += words.Next();
            out += pick == 3 ? ", " : " ";
        }
    }
    out.resize(end);
}

void AppendRecords(Bytes& out, size_t size, std::mt19937& random) {
    const size_t end = out.size() + size;
    uint32_t counter = random();
    while (out.size() < end) {
        const uint32_t fields[4] = {counter++, static_cast<uint32_t>(random() % 256),
                                    static_cast<uint32_t>(0x3F800000u + random() % 4096),
                                    static_cast<uint32_t>(counter % 7 == 0 ? random() : 0)};
        out.append(reinterpret_cast<const char*>(fields), sizeof fields);
    }
    out.resize(end);
}

void AppendRuns(Bytes& out, size_t size, std::mt19937& random) {
    const size_t end = out.size() + size;
    while (out.size() < end) {
        const size_t length = 1 + random() % 600;
        switch (random() % 3) {
            case 0:
                out.append(length, static_cast<char>(random()));
                break;
            case 1: {
                Bytes period(1 + random() % 20, '\0');
                for (char& c : period) {
                    c = static_cast<char>('a' + random() % 26);
                }
                for (size_t i = 0; i < length; ++i) {
                    out += period[i % period.size()];
                }
                break;
            }
            default:
                for (size_t i = 0; i < length % 40; ++i) {
                    out += static_cast<char>(random());
                }
                break;
        }
    }
    out.resize(end);
}

}  // namespace

Bytes TextLike(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Words words(random);
    Bytes out;
    AppendText(out, size, random, words);
    return out;
}

Bytes RunsAndPatterns(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes out;
    AppendRuns(out, size, random);
    return out;
}

Bytes Mixed(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Words words(random);
    Bytes out;
    out.reserve(size);
    while (out.size() < size) {
        const size_t chunk = std::min<size_t>(size - out.size(), 4096 + random() % 60000);
        switch (random() % 6) {
            case 0:
            case 1:
            case 2: AppendText(out, chunk, random, words); break;
            case 3: AppendRecords(out, chunk, random); break;
            case 4: AppendRuns(out, chunk, random); break;
            default: out += RandomBytes(chunk / 4, random()); break;  // incompressible, shorter
        }
    }
    out.resize(size);
    return out;
}

// ---------------------------------------------------------------- zlib

namespace {

Bytes Deflate(const Bytes& data, int level, int strategy, int windowBits, int memLevel,
              size_t pieces, int flush) {
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, windowBits, memLevel, strategy) != Z_OK) {
        throw std::runtime_error("deflateInit2 failed");
    }
    Bytes out(deflateBound(&stream, data.size()) + 64 * pieces + 64, '\0');
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const size_t step = pieces ? (data.size() + pieces - 1) / std::max<size_t>(pieces, 1) : 0;
    for (size_t offset = 0; pieces && offset < data.size(); offset += step) {
        const size_t count = std::min(step, data.size() - offset);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + offset));
        stream.avail_in = static_cast<uInt>(count);
        if (deflate(&stream, flush) != Z_OK) {
            throw std::runtime_error("deflate failed");
        }
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = pieces ? 0 : static_cast<uInt>(data.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) {
        throw std::runtime_error("deflate did not finish");
    }
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

}  // namespace

Bytes ZlibDeflateRaw(const Bytes& data, const ZlibOptions& options) {
    return Deflate(data, options.level, options.strategy, -options.windowBits, options.memLevel, 0,
                   Z_NO_FLUSH);
}

Bytes ZlibDeflateRawFlushed(const Bytes& data, size_t pieces, int flush, int level) {
    return Deflate(data, level, Z_DEFAULT_STRATEGY, -15, 8, pieces, flush);
}

Bytes ZlibGzip(const Bytes& data, int level) {
    return Deflate(data, level, Z_DEFAULT_STRATEGY, 16 + 15, 8, 0, Z_NO_FLUSH);
}

bool ZlibInflate(const void* data, size_t size, int windowBits, Bytes& out) {
    z_stream z{};
    if (inflateInit2(&z, windowBits) != Z_OK) {
        return false;
    }
    out.clear();
    z.next_in = static_cast<Bytef*>(const_cast<void*>(data));
    z.avail_in = static_cast<uInt>(size);
    int result = Z_OK;
    char buffer[65536];
    do {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        result = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
        // Z_OK with an output buffer left unfilled means the input ended before the stream.
    } while (result == Z_OK && z.avail_out == 0);
    inflateEnd(&z);
    return result == Z_STREAM_END;
}

uint32_t ZlibCrc32(const Bytes& data) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// ---------------------------------------------------------------- deflate by hand

void BitWriter::Put(uint32_t value, uint32_t bits) {
    bits_ |= uint64_t{value & ((uint64_t{1} << bits) - 1)} << count_;
    count_ += bits;
    while (count_ >= 8) {
        bytes_ += static_cast<char>(bits_ & 0xFF);
        bits_ >>= 8;
        count_ -= 8;
    }
}

void BitWriter::PutCode(uint32_t code, uint32_t length) {
    for (uint32_t i = length; i-- > 0;) {
        Put((code >> i) & 1, 1);
    }
}

void BitWriter::AlignToByte() {
    if (count_ % 8) {
        Put(0, 8 - count_ % 8);
    }
}

void BitWriter::PutByte(uint8_t byte) { Put(byte, 8); }

Bytes BitWriter::Finish() {
    AlignToByte();
    return bytes_;
}

void BitWriter::StoredBlock(bool last, const Bytes& data) {
    BlockHeader(last, 0);
    AlignToByte();
    const uint32_t length = static_cast<uint32_t>(data.size());
    Put(length, 16);
    Put(~length & 0xFFFF, 16);
    for (char c : data) {
        PutByte(static_cast<uint8_t>(c));
    }
}

void BitWriter::FixedSymbol(uint32_t symbol) {
    if (symbol < 144) {
        PutCode(0x30 + symbol, 8);
    } else if (symbol < 256) {
        PutCode(0x190 + symbol - 144, 9);
    } else if (symbol < 280) {
        PutCode(symbol - 256, 7);
    } else {
        PutCode(0xC0 + symbol - 280, 8);
    }
}

void BitWriter::FixedLiteral(uint8_t byte) { FixedSymbol(byte); }

void BitWriter::FixedDistanceSymbol(uint32_t symbol) { PutCode(symbol, 5); }

void BitWriter::FixedMatch(uint32_t length, uint32_t distance) {
    const CodeWithExtra l = LengthCode(length);
    FixedSymbol(l.symbol);
    Put(l.extraValue, l.extraBits);
    const CodeWithExtra d = DistanceCode(distance);
    FixedDistanceSymbol(d.symbol);
    Put(d.extraValue, d.extraBits);
}

void BitWriter::DynamicCounts(uint32_t literalCodes, uint32_t distanceCodes) {
    static const uint8_t order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    Put(literalCodes - 257, 5);
    Put(distanceCodes - 1, 5);
    Put(19 - 4, 4);
    for (uint8_t symbol : order) {
        Put(symbol <= 12 || symbol >= 16 ? 4 : 0, 3);
    }
}

void BitWriter::CodeLengthSymbol(uint32_t symbol, uint32_t extraBits, uint32_t extraValue) {
    PutCode(symbol <= 12 ? symbol : symbol - 3, 4);  // canonical: 0..12, then 16..18
    Put(extraValue, extraBits);
}

void BitWriter::DynamicHeader(const std::vector<uint8_t>& literalLengths,
                              const std::vector<uint8_t>& distanceLengths) {
    DynamicCounts(static_cast<uint32_t>(literalLengths.size()),
                  static_cast<uint32_t>(distanceLengths.size()));
    for (const auto* lengths : {&literalLengths, &distanceLengths}) {
        for (uint8_t length : *lengths) {
            if (length > 12) {
                throw std::invalid_argument("code length above 12");
            }
            CodeLengthSymbol(length);
        }
    }
}

void BitWriter::CodedSymbol(const std::vector<uint8_t>& lengths, uint32_t symbol) {
    uint32_t count[16] = {};
    for (uint8_t length : lengths) {
        ++count[length];
    }
    count[0] = 0;
    uint32_t next[16] = {};
    for (uint32_t bits = 1, code = 0; bits < 16; ++bits) {
        code = (code + count[bits - 1]) << 1;
        next[bits] = code;
    }
    for (uint32_t s = 0; s < symbol; ++s) {
        if (lengths[s]) {
            ++next[lengths[s]];
        }
    }
    PutCode(next[lengths[symbol]], lengths[symbol]);
}

CodeWithExtra LengthCode(uint32_t length) {
    static const uint16_t base[29] = {3,  4,  5,  6,  7,  8,  9,  10,  11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const uint8_t extra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    for (uint32_t i = 29; i-- > 0;) {
        if (base[i] <= length) {
            return {257 + i, extra[i], length - base[i]};
        }
    }
    throw std::invalid_argument("length below 3");
}

CodeWithExtra DistanceCode(uint32_t distance) {
    for (uint32_t symbol = 30; symbol-- > 0;) {
        const uint32_t extra = symbol < 4 ? 0 : symbol / 2 - 1;
        const uint32_t base = symbol < 4 ? symbol + 1 : ((2 + symbol % 2) << extra) + 1;
        if (base <= distance) {
            return {symbol, extra, distance - base};
        }
    }
    throw std::invalid_argument("distance 0");
}

Bytes Expand(const std::vector<Lz77Item>& items) {
    Bytes out;
    for (const Lz77Item& item : items) {
        if (item.length == 0) {
            out += static_cast<char>(item.distance);
            continue;
        }
        for (uint32_t i = 0; i < item.length; ++i) {
            const int64_t from = static_cast<int64_t>(out.size()) - item.distance;
            out += from < 0 ? '\0' : out[static_cast<size_t>(from)];
        }
    }
    return out;
}

Bytes FixedBlockStream(const std::vector<Lz77Item>& items) {
    BitWriter writer;
    writer.BlockHeader(true, 1);
    for (const Lz77Item& item : items) {
        if (item.length == 0) {
            writer.FixedLiteral(static_cast<uint8_t>(item.distance));
        } else {
            writer.FixedMatch(item.length, item.distance);
        }
    }
    writer.FixedEndOfBlock();
    return writer.Finish();
}

// ---------------------------------------------------------------- recording sink

Bytes RecordingSink::Joined() const {
    Bytes all;
    for (const Bytes& piece : pieces) {
        all += piece;
    }
    return all;
}

uint32_t RecordingSink::Put(const void* bytes, uint32_t count) {
    const uint64_t room = failAfterBytes > taken_ ? failAfterBytes - taken_ : 0;
    const uint32_t taken = static_cast<uint32_t>(std::min<uint64_t>(count, room));
    pieces.emplace_back(static_cast<const char*>(bytes), taken);
    taken_ += taken;
    return taken;
}

}  // namespace deflatekit

// The gzip reader: which headers it accepts, what it skips, and what it decodes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compress/Gzip.h"
#include "core/DataBuffer.h"
#include "core/Logger.h"
#include "core/Memory.h"
#include "core/StringBuffer.h"
#include "tests/compress/DeflateTestKit.h"

using namespace deflatekit;

namespace {

DataBuffer Buffer(const Bytes& bytes) {
    DataBuffer buffer;
    buffer.Append(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return buffer;
}

Bytes LittleEndian32(uint32_t value) {
    Bytes bytes;
    for (int i = 0; i < 4; ++i) {
        bytes += static_cast<char>(value >> (8 * i));
    }
    return bytes;
}

// A gzip member: the 10-byte header with `flags`, the optional fields (already laid out),
// the deflate data and the trailer.
Bytes Member(uint8_t flags, const Bytes& optionalFields, const Bytes& deflate, uint32_t crc,
             uint32_t isize) {
    Bytes member("\x1F\x8B\x08", 3);
    member += static_cast<char>(flags);
    member += Bytes("\x00\x00\x00\x00\x00\x03", 6);  // MTIME, XFL, OS
    return member + optionalFields + deflate + LittleEndian32(crc) + LittleEndian32(isize);
}

Bytes MemberOf(const Bytes& original, uint8_t flags = 0, const Bytes& optionalFields = "") {
    return Member(flags, optionalFields, ZlibDeflateRaw(original, {6}), ZlibCrc32(original),
                  static_cast<uint32_t>(original.size()));
}

struct Outcome {
    bool ok;
    Bytes output;
    std::string log;
};

Outcome UnGzip(const Bytes& member) {
    const DataBuffer in = Buffer(member);
    DataBuffer out = Buffer("stale bytes that must go");
    Logger log;
    const bool ok = Gzip::unGzip(in, out, log);
    return {ok, AsBytes(out), LogText(log)};
}

}  // namespace

TEST(Gzip, HeaderErrors) {
    const Bytes header("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x03", 10);
    struct Case {
        const char* name;
        Bytes member;
        const char* error;
    };
    const Case cases[] = {
        {"9 bytes", header.substr(0, 9), "Gzip data too small"},
        {"nothing", "", "Gzip data too small"},
        {"wrong second ID byte", Bytes("\x1F\x8C\x08", 3) + header.substr(3) + Bytes(10, 'x'),
         "Invalid GZip ID"},
        {"wrong first ID byte", Bytes("\x1E\x8B\x08", 3) + header.substr(3), "Invalid GZip ID"},
        {"compression method 9", Bytes("\x1F\x8B\x09", 3) + header.substr(3) + Bytes(10, 'x'),
         "Invalid GZip compression method"},
        {"header and 5 bytes", header + "12345", "Not enough data for trailing CRC32 or ISIZE"},
        {"header alone", header, "Not enough data for trailing CRC32 or ISIZE"},
        {"header, FHCRC and 7 bytes", Member(2, "hc", "", 0, 0).substr(0, 19),
         "Not enough data for trailing CRC32 or ISIZE"},
        {"FEXTRA length past the end", Member(4, Bytes("\x40\x00", 2), "", 0, 0),
         "Buffer would have been overrun"},
        {"FEXTRA without room for its length", Member(4, "", "", 0, 0).substr(0, 12),
         "Buffer would have been overrun"},
        {"FEXTRA reaching the end", Member(4, Bytes("\x08\x00", 2), "", 0, 0),
         "Buffer would have been overrun"},
        {"FNAME without its NUL", header.substr(0, 3) + '\x08' + header.substr(4) + "name.txt",
         "Buffer would have been overrun"},
        {"FNAME whose NUL is the last byte",
         header.substr(0, 3) + '\x08' + header.substr(4) + Bytes("name\0", 5),
         "Buffer would have been overrun"},
        {"FCOMMENT without its NUL", header.substr(0, 3) + '\x10' + header.substr(4) + "comment",
         "Buffer would have been overrun"},
        {"FHCRC past the end", header.substr(0, 3) + '\x02' + header.substr(4) + "h",
         "Buffer would have been overrun"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = UnGzip(c.member);
        EXPECT_FALSE(outcome.ok) << c.name;
        EXPECT_EQ(outcome.log, std::string("QuorvelLog:\r\n  ") + c.error + "\r\n") << c.name;
        EXPECT_EQ(outcome.output, "") << c.name;
    }
}

TEST(Gzip, EmptyMembers) {
    // The 20-byte member of an empty input: the header, an empty fixed block, the trailer.
    const Outcome empty = UnGzip(Member(0, "", Bytes("\x03\x00", 2), 0, 0));
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(empty.output, "");
    EXPECT_EQ(empty.log, "QuorvelLog:\r\n  CompressedSize: 2\r\n  UncompressedSize: 0\r\n");

    // Exactly a trailer after the header: nothing to inflate.
    const Outcome trailerOnly = UnGzip(Member(0, "", "", 0, 0));
    EXPECT_TRUE(trailerOnly.ok);
    EXPECT_EQ(trailerOnly.output, "");
    EXPECT_EQ(trailerOnly.log, "QuorvelLog:\r\n");

    // zlib's own gzip form of nothing.
    const Outcome fromZlib = UnGzip(ZlibGzip(""));
    EXPECT_TRUE(fromZlib.ok);
    EXPECT_EQ(fromZlib.output, "");
}

// Optional header fields are skipped whatever they hold; the data decodes as without them.
TEST(Gzip, OptionalFieldsAreSkipped) {
    const Bytes original = TextLike(40000, 1);
    const Bytes extra = Bytes("\x06\x00" "AB\x02\x00zz", 8);
    struct Case {
        const char* name;
        uint8_t flags;
        Bytes fields;
    };
    const Case cases[] = {
        {"none", 0, ""},
        {"FNAME", 8, Bytes("feed.xml\0", 9)},
        {"FCOMMENT", 16, Bytes("a comment\0", 10)},
        {"FEXTRA", 4, extra},
        {"FHCRC", 2, "\x12\x34"},
        {"FTEXT and the reserved bits", 1 | 0x20 | 0x40 | 0x80, ""},
        {"all in order", 4 | 8 | 16 | 2, extra + Bytes("n\0", 2) + Bytes("c\0", 2) + "hc"},
        {"empty FEXTRA, FNAME and FCOMMENT", 4 | 8 | 16, Bytes("\x00\x00\0\0", 4)},
    };
    for (const Case& c : cases) {
        const Outcome outcome = UnGzip(MemberOf(original, c.flags, c.fields));
        EXPECT_TRUE(outcome.ok) << c.name;
        EXPECT_TRUE(outcome.output == original) << c.name;
        EXPECT_NE(outcome.log.find("UncompressedSize: 40000"), std::string::npos) << c.name;
    }
}

// The trailer is not checked: a wrong CRC-32 or ISIZE changes nothing but the reservation.
TEST(Gzip, TrailerIsNotVerified) {
    const Bytes original = Mixed(70000, 2);
    const Bytes deflate = ZlibDeflateRaw(original, {6});
    for (const auto& [crc, isize] : {std::pair<uint32_t, uint32_t>{ZlibCrc32(original) ^ 1, 70000},
                                     {0, 5}, {0, 0xFFFFFFFF}}) {
        const Outcome outcome = UnGzip(Member(0, "", deflate, crc, isize));
        EXPECT_TRUE(outcome.ok);
        EXPECT_TRUE(outcome.output == original);
    }
}

// A claimed size far beyond what the data could ever expand to reserves no more than that.
TEST(Gzip, HugeClaimedSizeReservesOnlyWhatTheDataCanHold) {
    const DataBuffer in = Buffer(Member(0, "", Bytes("\x03\x00", 2), 0, 0xFFFFFF00));
    DataBuffer out;
    Logger log;
    EXPECT_TRUE(Gzip::unGzip(in, out, log));
    EXPECT_LE(out.GetCapacity(), 2u * 1032 + 200);
}

TEST(Gzip, OnlyTheFirstOfTwoMembersIsDecoded) {
    const Outcome outcome = UnGzip(MemberOf("first member ") + MemberOf("second member"));
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.output, "first member ");
}

// A member cut short decodes what it can and reports success (the trailer is then taken from
// the last 8 bytes that did arrive).
TEST(Gzip, TruncatedMemberGivesWhatCouldBeDecoded) {
    const Bytes original = TextLike(200000, 3);
    const Bytes member = MemberOf(original);
    const Outcome outcome = UnGzip(member.substr(0, member.size() / 2));
    EXPECT_TRUE(outcome.ok);
    EXPECT_GT(outcome.output.size(), 0u);
    EXPECT_LT(outcome.output.size(), original.size());
    EXPECT_TRUE(original.compare(0, outcome.output.size(), outcome.output) == 0);
}

TEST(Gzip, InputAndOutputMayBeOneBuffer) {
    const Bytes original = TextLike(50000, 4);
    DataBuffer buffer = Buffer(MemberOf(original));
    LogNull log;
    EXPECT_TRUE(Gzip::unGzip(buffer, buffer, log));
    EXPECT_TRUE(AsBytes(buffer) == original);
}

// A log that keeps its errors in standard strings, so that it needs none of the memory that a
// test takes away from the buffers.
class ErrorList : public LogBase {
public:
    bool AddError(const char* text) override {
        errors.emplace_back(text);
        return true;
    }
    std::vector<std::string> errors;
};

TEST(Gzip, InPlaceWithoutMemoryForTheCopyKeepsTheInput) {
    const Bytes member = MemberOf("some text");
    DataBuffer buffer = Buffer(member);
    ErrorList log;
    {
        ScopedAllocationFailure noMemory;
        EXPECT_FALSE(Gzip::unGzip(buffer, buffer, log));
    }
    EXPECT_EQ(log.errors, std::vector<std::string>{"Out of memory."});
    EXPECT_TRUE(AsBytes(buffer) == member);
}

TEST(Gzip, InflateFailureIsReported) {
    const Bytes original = TextLike(100000, 5);
    const DataBuffer in = Buffer(MemberOf(original));
    DataBuffer out;
    ErrorList log;
    {
        // The reservation fails (no loss), then the buffer cannot take the first piece.
        ScopedAllocationFailure noMemory(0, 2);
        EXPECT_FALSE(Gzip::unGzip(in, out, log));
    }
    EXPECT_EQ(log.errors, (std::vector<std::string>{"Sink write failed.",
                                                    "Inflate from memory source failed.",
                                                    "Compressed to uncompressed failed."}));
}

#include <gtest/gtest.h>

#include <string>

#include "core/DataBuffer.h"
#include "core/Memory.h"
#include "tests/support/TestSupport.h"

namespace {
std::string Bytes(const DataBuffer& db) {
    return db.GetSize() ? std::string(reinterpret_cast<const char*>(db.GetData()), db.GetSize()) : "";
}
}  // namespace

TEST(DataBufferGrowth, CapacityFollowsTheStepTable) {
    struct Case {
        uint32_t length, count;
        uint32_t capacity;
    };
    const Case cases[] = {
        {0, 10, 20000},             {0, 30000, 30000},          {60000, 10, 110000},
        {100000, 10, 200000},       {1000000, 10, 2000000},     {2500000, 10, 4500000},
        {3000000, 10, 6000000},     {12000000, 10, 24000000},   {60000, 60000, 120000},
        {100000, 200000, 300000},
    };
    for (const Case& c : cases) {
        DataBuffer db;
        const std::string filler(c.length, 'a');
        if (c.length) {
            ASSERT_TRUE(db.EnsureCapacity(c.length));
            ASSERT_TRUE(db.Append(filler.data(), c.length));
        }
        ASSERT_EQ(db.GetCapacity(), c.length);
        const std::string more(c.count, 'b');
        ASSERT_TRUE(db.Append(more.data(), c.count));
        EXPECT_EQ(db.GetCapacity(), c.capacity) << c.length << " + " << c.count;
        EXPECT_EQ(db.GetSize(), c.length + c.count);
    }
}

TEST(DataBufferGrowth, SingleBytesAndCharacters) {
    DataBuffer db;
    db.AppendByte(1);
    EXPECT_EQ(db.GetCapacity(), 10000u);
    DataBuffer repeated;
    repeated.AppendByteN('x', 5);
    EXPECT_EQ(repeated.GetCapacity(), 10005u);
    DataBuffer utf8;
    utf8.AppendUtf8Char(0x20AC);
    EXPECT_EQ(utf8.GetCapacity(), 20000u);
    EXPECT_EQ(Bytes(utf8), "\xE2\x82\xAC");
    utf8.Clear();
    for (uint32_t cp : {0x41u, 0xE9u, 0x1F600u}) {
        utf8.AppendUtf8Char(cp);
    }
    EXPECT_EQ(Bytes(utf8), "A\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_FALSE(utf8.AppendUtf8Char(0x110000));
}

TEST(DataBufferMemory, ExhaustionWhileGrowingEmptiesTheBuffer) {
    DataBuffer db;
    db.Append("abc", 3);
    const std::string big(30000, 'x');
    {
        ScopedAllocationFailure fail;
        EXPECT_FALSE(db.Append(big.data(), 30000));
    }
    EXPECT_EQ(db.GetSize(), 0u);
    EXPECT_EQ(db.GetCapacity(), 0u);
    EXPECT_EQ(db.GetData(), nullptr);
    EXPECT_TRUE(db.Append("ok", 2));
}

TEST(DataBufferBorrow, BorrowedBytesAreNeverWrittenOrFreed) {
    char outside[] = "abcd";
    DataBuffer db = DataBuffer::Borrowing(outside, 4);
    EXPECT_TRUE(db.IsBorrowed());
    EXPECT_EQ(db.GetCapacity(), 4u);
    db.ReplaceByte('a', 'z');
    EXPECT_STREQ(outside, "abcd");
    EXPECT_FALSE(db.IsBorrowed());
    EXPECT_EQ(Bytes(db), "zbcd");
    DataBuffer other = DataBuffer::Borrowing(outside, 4);
    other.Append("e", 1);
    EXPECT_EQ(Bytes(other), "abcde");
    EXPECT_STREQ(outside, "abcd");
}

TEST(DataBufferTransform, BytesUnitsAndXor) {
    DataBuffer db;
    db.Append("abc", 3);
    db.Reverse();
    EXPECT_EQ(Bytes(db), "cba");
    EXPECT_EQ(*db.ByteAt(0), 'c');
    EXPECT_EQ(db.ByteAt(3), nullptr);
    EXPECT_EQ(db.FirstByte(), 'c');
    EXPECT_EQ(db.LastByte(), 'a');

    DataBuffer text;
    text.AppendUtf16String(u"a/b/c");
    EXPECT_EQ(text.GetSize(), 12u);
    text.ReplaceUtf16Unit(u'/', u'\\');
    EXPECT_EQ(Bytes(text), std::string("a\0\\\0b\0\\\0c\0\0\0", 12));
    EXPECT_TRUE(text.TruncateUtf16AtUnit(u'\\'));
    EXPECT_EQ(Bytes(text), std::string("a\0\0\0", 4));
    EXPECT_FALSE(text.TruncateUtf16AtUnit(u'q'));

    DataBuffer a, b, c;
    a.Append("\x0F\xF0", 2);
    b.Append("\xFF\xFF", 2);
    c.Append("\x01", 1);
    EXPECT_TRUE(a.XorWith(b));
    EXPECT_EQ(Bytes(a), "\xF0\x0F");
    EXPECT_FALSE(a.XorWith(c));
}

TEST(DataBufferSet, LengthShortenTakeCompare) {
    DataBuffer db(16);
    EXPECT_EQ(db.GetCapacity(), 16u);
    EXPECT_TRUE(db.SetSize(16));
    EXPECT_EQ(Bytes(db), std::string(16, '\0'));
    EXPECT_FALSE(db.SetSize(17));
    db.Shorten(10);
    EXPECT_EQ(db.GetSize(), 6u);
    db.MinimizeMemory();
    EXPECT_EQ(db.GetCapacity(), 10u);
    EXPECT_TRUE(db.Equals(std::string(6, '\0').data(), 6));
    DataBuffer copy(db);
    EXPECT_TRUE(copy.Equals(db));
    copy.AppendByte(1);
    EXPECT_FALSE(copy.Equals(db));
    unsigned char* taken = db.TakeStorage();
    ASSERT_NE(taken, nullptr);
    qvmem::Free(taken);
    EXPECT_EQ(db.GetSize(), 0u);
    EXPECT_EQ(db.GetData(), nullptr);
}

TEST(DataBufferSet, SelfAppendDoublesTheContents) {
    DataBuffer db;
    db.Append("xyz", 3);
    EXPECT_TRUE(db.Append(db));
    EXPECT_EQ(Bytes(db), "xyzxyz");
}

TEST(DataBufferFiles, LoadFileReadsEveryByte) {
    testsupport::TempFolder dir;
    std::string content(100000, '\0');
    for (size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7);
    }
    testsupport::WriteFileBytes(dir / "blob", content);
    DataBuffer db;
    ASSERT_TRUE(db.LoadFile(dir / "blob"));
    EXPECT_EQ(Bytes(db), content);
    EXPECT_FALSE(db.LoadFile(dir / "missing"));
    EXPECT_EQ(db.GetSize(), 0u);
    testsupport::WriteFileBytes(dir / "empty", "");
    EXPECT_TRUE(db.LoadFile(dir / "empty"));
}

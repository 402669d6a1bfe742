#include <gtest/gtest.h>

#include <vector>

#include "core/ExtIntArray.h"
#include "core/Memory.h"
#include "core/StringBuffer.h"

TEST(ExtIntArray, GrowsByItsStepOnceThenGeometrically) {
    ExtIntArray array(6, 15);
    std::vector<uint32_t> capacities{array.Capacity()};
    for (int32_t i = 0; i < 100; ++i) {
        ASSERT_TRUE(array.Append(i * 3));
        if (capacities.back() != array.Capacity()) {
            capacities.push_back(array.Capacity());
        }
    }
    EXPECT_EQ(capacities, (std::vector<uint32_t>{6, 21, 42, 84, 168}));
    EXPECT_EQ(array.At(99), 297);
    EXPECT_EQ(array.At(100), 0);
}

TEST(ExtIntArray, RemoveAndExhaustion) {
    ExtIntArray array(2, 2);
    for (int32_t i = 0; i < 6; ++i) {
        array.Append(i);
    }
    array.RemoveRange(1, 2);
    EXPECT_EQ(array.Count(), 4u);
    EXPECT_EQ(array.At(1), 3);
    array.RemoveRange(3, 10);
    EXPECT_EQ(array.Count(), 3u);
    ExtIntArray full(1, 1);
    ASSERT_TRUE(full.Append(7));
    {
        ScopedAllocationFailure fail;
        ExtIntArray none(1, 1);
        EXPECT_EQ(none.Capacity(), 0u);
        EXPECT_FALSE(none.Append(1));
        EXPECT_FALSE(full.Append(8)) << "full, and no room can be had";
    }
    EXPECT_EQ(full.Count(), 1u);
    EXPECT_EQ(full.At(0), 7);
}

TEST(StringBuffer, MutableTextEditsInPlace) {
    StringBuffer text("a&b");
    text.MutableText()[1] = '\0';
    text.RemoveChar('\0');
    EXPECT_STREQ(text.GetString(), "ab");
    StringBuffer empty;
    EXPECT_EQ(empty.MutableText(), nullptr);
}

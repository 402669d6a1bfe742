#include <gtest/gtest.h>

#include "core/ExtPtrArray.h"
#include "core/Memory.h"
#include "core/StringBuffer.h"

namespace {

// Counts how many of its kind are alive, to check ownership.
class Counted : public QuorvelObject {
public:
    explicit Counted(int v) : value(v) { ++alive; }
    ~Counted() override { --alive; }
    int value;
    static int alive;
};
int Counted::alive = 0;

int ValueAt(const ExtPtrArray& a, int64_t i) { return a.ItemAs<Counted>(i)->value; }

}  // namespace

TEST(ExtPtrArray, GrowsInStepsOfFiveThenDoubles) {
    ExtPtrArray array;
    array.SetOwnsItems(true);
    std::vector<uint32_t> capacities;
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(array.Append(new Counted(i)));
        if (capacities.empty() || capacities.back() != array.Capacity()) {
            capacities.push_back(array.Capacity());
        }
    }
    EXPECT_EQ(capacities, (std::vector<uint32_t>{5, 10, 20}));
    EXPECT_EQ(array.GrowBy(), 20u);
}

TEST(ExtPtrArray, InsertSetRemoveAndBounds) {
    ExtPtrArray array;
    array.SetOwnsItems(true);
    array.Append(new Counted(1));
    array.Append(new Counted(3));
    array.InsertAt(1, new Counted(2));
    array.InsertAt(-5, new Counted(0));
    array.InsertAt(99, new Counted(4));
    ASSERT_EQ(array.Count(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ValueAt(array, i), i);
    }
    EXPECT_EQ(array.Item(5), nullptr);
    EXPECT_EQ(array.Item(-1), nullptr);

    ASSERT_TRUE(array.SetAt(8, new Counted(8)));
    EXPECT_EQ(array.Count(), 9u);
    EXPECT_EQ(array.Item(6), nullptr) << "the slots in between are empty";
    ASSERT_TRUE(array.SetAt(0, new Counted(10)));  // the owned object it replaces is deleted
    EXPECT_EQ(Counted::alive, 6);

    std::unique_ptr<QuorvelObject> removed(array.RemoveAt(1));
    EXPECT_EQ(static_cast<Counted*>(removed.get())->value, 1);
    EXPECT_EQ(ValueAt(array, 1), 2) << "later items move up";
    std::unique_ptr<QuorvelObject> last(array.RemoveLast());
    EXPECT_EQ(static_cast<Counted*>(last.get())->value, 8);
    EXPECT_EQ(array.RemoveAt(42), nullptr);
}

TEST(ExtPtrArray, ClearKeepsObjectsDeleteAllDeletesThem) {
    Counted::alive = 0;
    Counted kept(7);
    {
        ExtPtrArray array;
        array.Append(&kept);
        array.Clear();
        EXPECT_EQ(array.Count(), 0u);
    }
    EXPECT_EQ(Counted::alive, 1);
    ExtPtrArray owning;
    owning.Append(new Counted(1));
    owning.Append(new Counted(2));
    owning.DeleteAll();
    EXPECT_EQ(owning.Count(), 0u);
    EXPECT_EQ(Counted::alive, 1);
    {
        ExtPtrArray array;
        array.SetOwnsItems(true);
        array.Append(new Counted(3));
    }
    EXPECT_EQ(Counted::alive, 1) << "an owning array deletes its objects";
}

TEST(ExtPtrArray, PresizedArrayAndFailedGrowth) {
    ExtPtrArray presized(0, 0);
    EXPECT_EQ(presized.Capacity(), 5u);
    EXPECT_EQ(presized.GrowBy(), 5u);
    ExtPtrArray array;
    StringBuffer a("a");
    {
        ScopedAllocationFailure fail;
        EXPECT_FALSE(array.Append(&a));
    }
    EXPECT_EQ(array.Count(), 0u);
}

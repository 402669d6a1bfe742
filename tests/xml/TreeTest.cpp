#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "XmlTestSupport.h"
#include "core/Memory.h"
#include "xml/AttributeSet.h"
#include "xml/TreeInfo.h"
#include "xml/TreeNode.h"

using xmltest::Describe;
using xmltest::Tree;

namespace {

std::string Value(const AttributeSet& set, const char* name) {
    StringBuffer value;
    return set.GetValue(name, value) ? xmltest::Text(value) : "<none>";
}

TEST(AttributeSet, PairsInOrderWithDuplicatesAndRemoval) {
    AttributeSet set;
    EXPECT_FALSE(set.Add("", 0, "v", 1)) << "an empty name is refused";
    EXPECT_TRUE(set.Add("a", 1, "1", 1));
    EXPECT_TRUE(set.Add("bb", 2, nullptr, 5));
    EXPECT_TRUE(set.Add("a", 1, "2", 1));
    EXPECT_TRUE(set.Add("ab", 2, "3", 1));
    EXPECT_EQ(set.Count(), 4u);
    EXPECT_EQ(Value(set, "a"), "1") << "the first pair of a name wins";
    EXPECT_EQ(Value(set, "bb"), "");
    EXPECT_EQ(Value(set, "A"), "<none>") << "names are case-sensitive";
    EXPECT_FALSE(set.Has("b", 1)) << "a name is matched whole";
    AttributeView third{};
    ASSERT_TRUE(set.At(2, third));
    EXPECT_EQ(std::string(third.value, third.valueLength), "2");
    EXPECT_FALSE(set.At(4, third));

    EXPECT_TRUE(set.RemoveFirst("bb", 2));
    EXPECT_EQ(Value(set, "ab"), "3") << "the pairs after a removed one stay intact";
    set.RemoveAll("a", 1);
    EXPECT_EQ(set.Count(), 1u);
    EXPECT_FALSE(set.RemoveFirst("a", 1));
}

TEST(AttributeSet, RemoveAllStopsAfter101Pairs) {
    AttributeSet set;
    for (int i = 0; i < 105; ++i) {
        set.Add("x", 1, "v", 1);
    }
    set.RemoveAll("x", 1);
    EXPECT_EQ(set.Count(), 4u);
}

TEST(TreeNode, TagsAndAttributeNamesPassTheNameFilter) {
    Tree node(TreeNode::CreateRoot("a b<c>!\xE2\x82\xAC:_.-9"));
    EXPECT_STREQ(node->TagText(), "abc!\xE2\x82\xAC:_.-9");
    EXPECT_TRUE(node->SetTag("@#", 2));
    EXPECT_STREQ(node->TagText(), "") << "a tag the filter empties leaves no name";
    EXPECT_TRUE(node->AddAttribute("9x", "1"));
    EXPECT_TRUE(node->AddAttribute("@", "2"));  // emptied: not stored, but no failure
    EXPECT_TRUE(node->AddAttribute(" -y", "3"));
    EXPECT_EQ(Describe(node.get()), "{A9x=1,-y=3}") << "the prefix looks at the name before filtering";
}

TEST(TreeNode, AppendChildRules) {
    Tree parent(TreeNode::CreateRoot("p"));
    TreeNode* first = parent->AppendNewChild("c", 1);
    ASSERT_TRUE(first);
    EXPECT_FALSE(parent->AppendChild(first)) << "already has a parent";
    EXPECT_FALSE(parent->AppendChild(parent.get())) << "same tree";

    // A whole tree joins: its TreeInfo goes, its nodes take the parent's, its handles come along.
    TreeNode* other = TreeNode::CreateRoot("o");
    TreeNode* inner = other->AppendNewChild("i", 1);
    other->TakeHandle();
    inner->TakeHandle();
    ASSERT_TRUE(parent->AppendChild(other));
    EXPECT_EQ(other->Info(), parent->Info());
    EXPECT_EQ(inner->Info(), parent->Info());
    EXPECT_EQ(parent->Info()->HandleCount(), 2);
    EXPECT_EQ(first->NextSibling(), other);
    EXPECT_EQ(other->PrevSibling(), first);
    EXPECT_EQ(other->Parent(), parent.get());
    EXPECT_EQ(Describe(parent.get()), "p(c,o(i))");
    inner->ReleaseHandle();
    EXPECT_EQ(parent->Info()->HandleCount(), 1);
    parent.release();
    other->ReleaseHandle();  // the last handle on the joined tree: all of it goes
}

TEST(TreeNode, ChildByTagCountsMatchingChildrenOnly) {
    Tree root(TreeNode::CreateRoot("r"));
    const char* tags[] = {"title", "item", "link", "item", "Item", "item"};
    TreeNode* children[6] = {};
    for (int i = 0; i < 6; ++i) {
        children[i] = root->AppendNewChild(tags[i], static_cast<uint32_t>(std::strlen(tags[i])));
    }
    EXPECT_EQ(root->ChildByTag("item", 4, 2), children[5]);
    EXPECT_EQ(root->CountChildrenByTag("item", 4), 3);
    EXPECT_EQ(root->ChildByTag("item", 4, -1), nullptr);
    EXPECT_EQ(root->ChildByTag("item", 4, 3), nullptr);
    EXPECT_EQ(root->ChildByTag("ite", 3, 0), nullptr);
}

TEST(TreeNode, HandlesKeepTheTreeAlive) {
    TreeNode* root = TreeNode::CreateRoot("r");
    TreeNode* child = root->AppendNewChild("c", 1);
    root->TakeHandle();
    child->TakeHandle();
    EXPECT_EQ(root->Info()->HandleCount(), 2);
    EXPECT_EQ(child->HandleCount(), 1);
    root->ReleaseHandle();
    ASSERT_TRUE(TreeNode::IsLive(child));
    EXPECT_EQ(child->Info()->HandleCount(), 1);
    child->ReleaseHandle();  // the last handle: the tree goes (the sanitizers see it freed)
}

TEST(TreeNode, ExhaustedMemoryMakesNoNode) {
    ScopedAllocationFailure fail;
    EXPECT_EQ(TreeNode::CreateRoot("r"), nullptr);
}

}  // namespace

namespace {

// The index-th child tagged `tag`, counted from the first child: what every lookup must answer.
TreeNode* CountedChild(const TreeNode& parent, const char* tag, int64_t index) {
    for (uint32_t i = 0; i < parent.ChildCount(); ++i) {
        TreeNode* child = parent.ChildAt(i);
        if (std::strcmp(child->TagText(), tag) == 0 && index-- == 0) return child;
    }
    return nullptr;
}

}  // namespace

// Lookups go on from the previous answer when they walk forward; any order of lookups, over
// two parents, with children appended and tags changed in between, must still count from the
// first child.
TEST(TreeNodeLookup, ChildByTagAnswersAsACountFromTheFirstChild) {
    Tree root(TreeNode::CreateRoot("rss"));
    TreeNode* channel = root->AppendNewChild("channel", 7);
    TreeNode* other = root->AppendNewChild("other", 5);
    for (int i = 0; i < 30; ++i) {
        channel->AppendNewChild(i % 3 == 0 ? "title" : "item", i % 3 == 0 ? 5 : 4);
        other->AppendNewChild("item", 4);
    }
    const struct {
        TreeNode* parent;
        const char* tag;
        int64_t index;
    } lookups[] = {
        {channel, "item", 0},  {channel, "item", 1},  {channel, "item", 5},   {channel, "item", 5},
        {channel, "item", 2},  {other, "item", 7},    {channel, "item", 8},   {channel, "title", 3},
        {channel, "item", 9},  {channel, "item", 19}, {channel, "item", 20},  {channel, "item", 25},
        {other, "item", 29},   {other, "item", 30},   {channel, "title", 0},  {channel, "item", 19},
    };
    for (const auto& lookup : lookups) {
        EXPECT_EQ(lookup.parent->ChildByTag(lookup.tag, std::strlen(lookup.tag), lookup.index),
                  CountedChild(*lookup.parent, lookup.tag, lookup.index))
            << lookup.tag << " " << lookup.index;
    }

    ASSERT_EQ(channel->ChildByTag("item", 4, 10), CountedChild(*channel, "item", 10));
    channel->ChildAt(1)->SetTag("title", 5);  // an item before the last answer is renamed
    EXPECT_EQ(channel->ChildByTag("item", 4, 11), CountedChild(*channel, "item", 11));
    channel->AppendNewChild("item", 4);
    EXPECT_EQ(channel->ChildByTag("item", 4, 19), CountedChild(*channel, "item", 19));
    EXPECT_EQ(channel->ChildByTag("title", 5, 0), CountedChild(*channel, "title", 0));
    EXPECT_EQ(channel->ChildByTag("item", 4, 19), CountedChild(*channel, "item", 19));
    EXPECT_EQ(channel->ChildByTag("item", 4, 20), nullptr);
}

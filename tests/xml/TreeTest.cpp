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

#include "xml/TreeNode.h"

#include <cstring>
#include <new>

#include "xml/TreeInfo.h"

namespace {
constexpr uint32_t kDefaultChildSlots = 5;
constexpr uint32_t kChildGrowBy = 5;

bool StartsLikeNumber(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// A tag or attribute name with the name filter applied (and "A" before it when asked); null when
// memory is exhausted. The result may be empty.
StringBuffer* FilteredName(const char* name, uint32_t nameLength, bool prefixWithA) {
    auto* filtered = new (std::nothrow) StringBuffer(StringBuffer::WithCapacity(nameLength + 2));
    if (!filtered || (prefixWithA && !filtered->AppendChar('A')) || !filtered->AppendN(name, nameLength)) {
        delete filtered;
        return nullptr;
    }
    filtered->KeepNameChars();
    return filtered;
}
}  // namespace

TreeNode::TreeNode()
    : info_(nullptr),
      tag_(nullptr),
      attributes_(nullptr),
      content_(nullptr),
      handleCount_(0),
      isCdata_(0),
      children_(nullptr),
      parent_(nullptr),
      nextSibling_(nullptr),
      prevSibling_(nullptr),
      magic_(NodeMagic::kLive) {}

TreeNode* TreeNode::CreateDetached(const char* tag, uint32_t tagLength) {
    auto* node = new (std::nothrow) TreeNode();
    if (node && !node->SetTag(tag, tagLength)) {
        delete node;
        return nullptr;
    }
    return node;
}

TreeNode* TreeNode::CreateRoot(const char* tag, uint32_t tagLength) {
    TreeNode* node = CreateDetached(tag, tagLength);
    if (!node) {
        return nullptr;
    }
    node->info_ = new (std::nothrow) TreeInfo(node);
    if (!node->info_) {
        delete node;
        return nullptr;
    }
    return node;
}

TreeNode* TreeNode::CreateRoot(const char* tag) {
    return CreateRoot(tag, tag ? static_cast<uint32_t>(std::strlen(tag)) : 0);
}

TreeNode::~TreeNode() {
    DestroyChildren();
    delete children_;
    delete tag_;
    delete attributes_;
    delete content_;
    if (IsRoot()) {
        delete info_;
    }
    info_ = nullptr;
    magic_ = NodeMagic::kDestroyed;
}

// Takes the subtree apart from the bottom: it always descends into the last remaining child and
// deletes nodes only once they have no children left, so no destructor ever descends.
void TreeNode::DestroyChildren() {
    TreeNode* node = this;
    for (;;) {
        if (node->children_ && node->children_->Count() > 0) {
            auto* child = static_cast<TreeNode*>(node->children_->RemoveLast());
            if (IsLive(child)) {
                node = child;
            }
            continue;
        }
        if (node == this) {
            return;
        }
        TreeNode* parent = node->parent_;
        delete node;
        node = parent;
    }
}

bool TreeNode::IsRoot() const { return TreeInfo::IsLive(info_) && info_->root_ == this; }

bool TreeNode::HasTag(const char* tag, uint32_t tagLength) const {
    return TagLength() == tagLength && (tagLength == 0 || std::memcmp(TagText(), tag, tagLength) == 0);
}

bool TreeNode::SetTag(const char* tag, uint32_t tagLength) {
    StringBuffer* filtered = nullptr;
    if (tag && tagLength) {
        filtered = FilteredName(tag, tagLength, false);
        if (!filtered) {
            return false;
        }
        if (filtered->IsEmpty()) {
            delete filtered;
            filtered = nullptr;
        }
    }
    delete tag_;
    tag_ = filtered;
    if (TreeInfo::IsLive(info_)) {
        ++info_->tagVersion_;  // earlier lookups may have counted this node under its old tag
    }
    return true;
}

bool TreeNode::AddAttribute(const char* name, uint32_t nameLength, const char* value, uint32_t valueLength) {
    if (!name || nameLength == 0) {
        return true;
    }
    StringBuffer* filtered = FilteredName(name, nameLength, StartsLikeNumber(name[0]));
    if (!filtered) {
        return false;
    }
    bool stored = true;
    if (!filtered->IsEmpty()) {
        if (!attributes_) {
            attributes_ = new (std::nothrow) AttributeSet();
        }
        stored = attributes_ && attributes_->Add(filtered->GetString(), filtered->GetSize(), value, valueLength);
    }
    delete filtered;
    return stored;
}

bool TreeNode::AddAttribute(const char* name, const char* value) {
    return AddAttribute(name, name ? static_cast<uint32_t>(std::strlen(name)) : 0, value,
                        value ? static_cast<uint32_t>(std::strlen(value)) : 0);
}

StringBuffer* TreeNode::EnsureContent(uint32_t capacity) {
    if (!content_) {
        content_ = new (std::nothrow) StringBuffer(StringBuffer::WithCapacity(capacity));
    }
    return content_;
}

bool TreeNode::CreateContent(const char* bytes, uint32_t count) {
    auto* content = new (std::nothrow) StringBuffer(bytes, count);
    if (!content || content->GetSize() != count) {
        delete content;
        return false;
    }
    delete content_;
    content_ = content;
    return true;
}

TreeNode* TreeNode::ChildByTag(const char* tag, uint32_t tagLength, int64_t index) const {
    if (index < 0) {
        return nullptr;
    }
    // First-child lookups (a field of an item) neither need the hint nor overwrite it, so that
    // the walk over the items survives the reading of each item's fields.
    TreeInfo::ChildLookupHint* hint =
        index > 0 && TreeInfo::IsLive(info_) ? &info_->childLookupHint_ : nullptr;
    uint32_t from = 0;
    int64_t remaining = index;
    if (hint && hint->parent == this && hint->tagVersion == info_->tagVersion_ &&
        hint->index >= 0 && hint->index <= index && hint->position < ChildCount() &&
        hint->tag.GetSize() == tagLength && std::memcmp(hint->tag.GetString(), tag, tagLength) == 0) {
        from = hint->position;
        remaining = index - hint->index;
    }
    for (uint32_t i = from; i < ChildCount(); ++i) {
        TreeNode* child = ChildAt(i);
        if (IsLive(child) && child->HasTag(tag, tagLength) && remaining-- == 0) {
            if (hint && hint->tag.SetBytes(tag, tagLength)) {
                hint->parent = this;
                hint->index = index;
                hint->position = i;
                hint->tagVersion = info_->tagVersion_;
            } else if (hint) {
                hint->parent = nullptr;
            }
            return child;
        }
    }
    return nullptr;
}

int32_t TreeNode::CountChildrenByTag(const char* tag, uint32_t tagLength) const {
    int32_t count = 0;
    for (uint32_t i = 0; i < ChildCount(); ++i) {
        const TreeNode* child = ChildAt(i);
        count += IsLive(child) && child->HasTag(tag, tagLength);
    }
    return count;
}

TreeNode* TreeNode::AppendNewChild(const char* tag, uint32_t tagLength) {
    TreeNode* child = CreateDetached(tag, tagLength);
    if (child && !AppendChild(child)) {
        delete child;
        return nullptr;
    }
    return child;
}

bool TreeNode::AppendChild(TreeNode* child) {
    if (!IsLive(child) || child->parent_ || child == this || child->info_ == info_) {
        return false;
    }
    if (!children_) {
        // Siblings tend to look alike: start with as many slots as the previous sibling filled.
        const uint32_t slots = prevSibling_ && prevSibling_->ChildCount() ? prevSibling_->ChildCount()
                                                                          : kDefaultChildSlots;
        children_ = new (std::nothrow) ExtPtrArray(slots, kChildGrowBy);
        if (!children_ || children_->Capacity() == 0) {
            delete children_;
            children_ = nullptr;
            return false;
        }
        children_->SetOwnsItems(true);
    }
    TreeNode* last = static_cast<TreeNode*>(children_->Last());
    if (!children_->Append(child)) {
        return false;
    }
    int32_t handles = 0;
    if (TreeInfo::IsLive(child->info_)) {
        handles = child->info_->handleCount_;
        if (child->info_->root_ == child) {
            delete child->info_;
        }
    }
    child->info_ = nullptr;
    if (last) {
        last->nextSibling_ = child;
    }
    child->prevSibling_ = last;
    child->nextSibling_ = nullptr;
    child->parent_ = this;
    child->SetInfoThroughSubtree(info_);
    if (TreeInfo::IsLive(info_)) {
        info_->handleCount_ += handles;
    }
    return true;
}

// Pre-order walk over the subtree through the child, sibling and parent links.
void TreeNode::SetInfoThroughSubtree(TreeInfo* info) {
    TreeNode* node = this;
    for (;;) {
        node->info_ = info;
        if (node->ChildCount() > 0) {
            node = node->ChildAt(0);
            continue;
        }
        while (node != this && !node->nextSibling_) {
            node = node->parent_;
        }
        if (node == this) {
            return;
        }
        node = node->nextSibling_;
    }
}

void TreeNode::TakeHandle() {
    ++handleCount_;
    if (TreeInfo::IsLive(info_)) {
        ++info_->handleCount_;
    }
}

void TreeNode::ReleaseHandle() {
    TreeInfo* info = TreeInfo::IsLive(info_) ? info_ : nullptr;
    if (info && info->handleCount_ > 0) {
        --info->handleCount_;
    }
    if (handleCount_ > 0) {
        --handleCount_;
    }
    if (info && info->handleCount_ == 0) {
        delete info->root_;
    }
}

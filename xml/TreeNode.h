#pragma once
// TreeNode: one element of a parsed XML document. Every node of a tree points at the same
// TreeInfo (the document record), which the root owns. Nodes own their children; deleting a node
// deletes its whole subtree, and deleting a root also deletes the tree's TreeInfo.
//
// Nothing here recurses: building, walking and destroying a tree use the parent and sibling
// links, so a document nested a million levels deep is handled in constant stack space.
//
// A node is live while its marker is NodeMagic::kLive; operations that are handed a node check
// that first and treat anything else as absent.
//
// Text is UTF-8 (the parser's input); tags and attribute names pass the name filter: a byte stays
// when it is an ASCII letter or digit, ".", "-", "_", ":", "!", or any byte of 0x80 and above.

#include <cstdint>

#include "core/ExtPtrArray.h"
#include "core/QuorvelObject.h"
#include "core/StringBuffer.h"
#include "xml/AttributeSet.h"

class TreeInfo;

namespace NodeMagic {
constexpr uint8_t kLive = 0xCE;
constexpr uint8_t kDestroyed = 0x31;
}  // namespace NodeMagic

class TreeNode : public QuorvelObject {
public:
    // A root with a TreeInfo of its own; null when memory is exhausted.
    static TreeNode* CreateRoot(const char* tag, uint32_t tagLength);
    static TreeNode* CreateRoot(const char* tag);
    // A node that belongs to no tree (a declaration or a node awaiting insertion).
    static TreeNode* CreateDetached(const char* tag, uint32_t tagLength);

    ~TreeNode() override;
    TreeNode(const TreeNode&) = delete;
    TreeNode& operator=(const TreeNode&) = delete;

    static bool IsLive(const TreeNode* node) { return node && node->magic_ == NodeMagic::kLive; }

    // --- the document
    TreeInfo* Info() const { return info_; }
    bool IsRoot() const;  // the root of a live TreeInfo

    // --- tag ("" when the node has none)
    const char* TagText() const { return tag_ ? tag_->GetString() : ""; }
    uint32_t TagLength() const { return tag_ ? tag_->GetSize() : 0; }
    bool HasTag(const char* tag, uint32_t tagLength) const;
    bool SetTag(const char* tag, uint32_t tagLength);  // name filter applied; false on exhaustion

    // --- attributes
    AttributeSet* Attributes() const { return attributes_; }
    // Applies the name filter; a name that began with a digit, "-" or "." gets "A" put before
    // it. A name the filter empties is not stored (true: nothing went wrong). False only when
    // memory is exhausted.
    bool AddAttribute(const char* name, uint32_t nameLength, const char* value, uint32_t valueLength);
    bool AddAttribute(const char* name, const char* value);

    // --- content
    StringBuffer* Content() const { return content_; }
    const char* ContentText() const { return content_ ? content_->GetString() : ""; }
    // The content buffer, made empty with `capacity` when there is none; null on exhaustion.
    StringBuffer* EnsureContent(uint32_t capacity);
    // Makes the content buffer hold the bytes; false on exhaustion (nothing changed).
    bool CreateContent(const char* bytes, uint32_t count);
    bool IsCdata() const { return isCdata_ != 0; }
    void MarkCdata() { isCdata_ = 1; }

    // --- structure
    TreeNode* Parent() const { return parent_; }
    TreeNode* NextSibling() const { return nextSibling_; }
    TreeNode* PrevSibling() const { return prevSibling_; }
    bool HasChildArray() const { return children_ != nullptr; }
    uint32_t ChildCount() const { return children_ ? children_->Count() : 0; }
    TreeNode* ChildAt(uint32_t index) const {
        return children_ ? children_->ItemAs<TreeNode>(index) : nullptr;
    }
    // The index-th direct child (0-based, counting matching children only) whose tag equals
    // `tag` byte for byte; null when there is none.
    TreeNode* ChildByTag(const char* tag, uint32_t tagLength, int64_t index) const;
    int32_t CountChildrenByTag(const char* tag, uint32_t tagLength) const;

    // A new node with the tag, appended as the last child; null on exhaustion.
    TreeNode* AppendNewChild(const char* tag, uint32_t tagLength);
    // Appends a node that has no parent and is not of this tree as the last child. Its own
    // TreeInfo (if any) is destroyed, and it and its subtree join this tree, bringing their
    // handle count along.
    bool AppendChild(TreeNode* child);

    // --- handles (ClsXml): each counts on the node and on its tree
    int32_t HandleCount() const { return handleCount_; }
    void TakeHandle();
    // Drops one handle; when the tree has none left, the whole tree is destroyed (the node is
    // then gone).
    void ReleaseHandle();

private:
    TreeNode();
    void DestroyChildren();
    void SetInfoThroughSubtree(TreeInfo* info);

    TreeInfo* info_;
    StringBuffer* tag_;
    AttributeSet* attributes_;
    StringBuffer* content_;
    int32_t handleCount_;
    uint8_t isCdata_;
    ExtPtrArray* children_;
    TreeNode* parent_;
    TreeNode* nextSibling_;
    TreeNode* prevSibling_;
    uint8_t magic_;

    friend class TreeInfo;
};

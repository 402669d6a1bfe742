#pragma once
// TreeInfo: what belongs to a parsed document as a whole. The root node owns it; every node of
// the tree points at it. It holds the XML declaration (a detached node whose attributes are the
// declaration's pseudo-attributes as written), the <?xml-stylesheet?> nodes, the texts of the
// DOCTYPE and of the other processing instructions, and the number of ClsXml handles standing
// on nodes of the tree: when that number drops to 0 the tree is destroyed.

#include <cstdint>

#include "core/ExtPtrArray.h"
#include "core/QuorvelObject.h"
#include "core/StringBuffer.h"
#include "xml/TreeNode.h"

class TreeInfo : public QuorvelObject {
public:
    explicit TreeInfo(TreeNode* root);
    ~TreeInfo() override;
    TreeInfo(const TreeInfo&) = delete;
    TreeInfo& operator=(const TreeInfo&) = delete;

    static bool IsLive(const TreeInfo* info) { return info && info->magic_ == NodeMagic::kLive; }

    TreeNode* Root() const { return root_; }
    TreeNode* Declaration() const { return declaration_; }
    void SetDeclaration(TreeNode* declaration);  // takes ownership; an earlier one is destroyed
    ExtPtrArray& Stylesheets() { return stylesheets_; }  // owns its nodes
    const ExtPtrArray& Stylesheets() const { return stylesheets_; }
    const StringBuffer* PiText() const { return piText_; }
    const StringBuffer* DoctypeText() const { return doctypeText_; }
    // Each stores a copy of the bytes; no bytes leave the field as it is. False on exhaustion.
    bool SetPiText(const char* bytes, uint32_t count);
    bool SetDoctypeText(const char* bytes, uint32_t count);

    int32_t Serial() const { return serial_; }
    int32_t HandleCount() const { return handleCount_; }

private:
    uint8_t magic_;
    TreeNode* root_;
    TreeNode* declaration_;
    ExtPtrArray stylesheets_;
    StringBuffer* piText_;
    StringBuffer* doctypeText_;
    int32_t serial_;
    int32_t handleCount_;

    // The last answer of a child lookup by tag and index, so that walking a long run of
    // same-tagged children by increasing index (item 0, 1, 2, ...) goes on from where the
    // previous lookup stopped instead of counting from the first child every time. Child arrays
    // only ever grow at their end, so a position stays valid; renaming any node of the tree
    // (tagVersion_) makes the hint stale.
    struct ChildLookupHint {
        const TreeNode* parent = nullptr;
        StringBuffer tag;
        int64_t index = -1;
        uint32_t position = 0;
        uint32_t tagVersion = 0;
    };
    ChildLookupHint childLookupHint_;
    uint32_t tagVersion_ = 0;

    friend class TreeNode;
};

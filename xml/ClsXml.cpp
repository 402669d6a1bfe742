#include "xml/ClsXml.h"

#include <cstring>
#include <new>

#include "xml/TreeInfo.h"
#include "xml/TreeNode.h"
#include "xml/XmlParser.h"
#include "xml/XmlSerializer.h"

namespace {
StringBuffer TrimmedTag(const char* tag) {
    StringBuffer trimmed(tag);
    trimmed.Trim();
    return trimmed;
}
}  // namespace

ClsXml::ClsXml() : currentNode_(TreeNode::CreateRoot("unnamed")) {
    if (currentNode_) {
        currentNode_->TakeHandle();
    }
}

ClsXml::~ClsXml() {
    CritSecExitor hold(*this);
    ReleaseNode();
}

TreeNode* ClsXml::CurrentNode() const { return TreeNode::IsLive(currentNode_) ? currentNode_ : nullptr; }

void ClsXml::ReleaseNode() {
    if (TreeNode::IsLive(currentNode_)) {
        currentNode_->ReleaseHandle();
    }
    currentNode_ = nullptr;
}

void ClsXml::StandOnNewRoot(TreeNode* root) {
    ReleaseNode();
    currentNode_ = root;
    currentNode_->TakeHandle();
}

bool ClsXml::LoadXml(const char* text, bool trimWhitespace) {
    CritSecExitor hold(*this);
    log_.ResetLog();
    LogContext context(log_, "LoadXml");
    TreeNode* root = nullptr;
    ParseXmlTree(text ? text : "", &log_, nullptr, &root, trimWhitespace);
    if (!root) {
        return false;
    }
    StandOnNewRoot(root);
    return true;
}

int32_t ClsXml::CountChildrenByTag(const char* tag) {
    CritSecExitor hold(*this);
    const TreeNode* node = CurrentNode();
    if (!node) {
        return 0;
    }
    const StringBuffer trimmed = TrimmedTag(tag);
    return node->CountChildrenByTag(trimmed.GetString(), trimmed.GetSize());
}

ClsXml* ClsXml::ChildByTag(const char* tag, int32_t index) {
    const TreeNode* node = CurrentNode();
    if (!node) {
        return nullptr;
    }
    const StringBuffer trimmed = TrimmedTag(tag);
    TreeNode* child = node->ChildByTag(trimmed.GetString(), trimmed.GetSize(), index);
    if (!child) {
        return nullptr;
    }
    auto* handle = new (std::nothrow) ClsXml();
    if (!handle) {
        return nullptr;
    }
    handle->ReleaseNode();  // its own "unnamed" tree goes
    handle->currentNode_ = child;
    child->TakeHandle();
    return handle;
}

bool ClsXml::ChildContentByTag(const char* tag, StringBuffer& out) {
    out.Clear();
    const TreeNode* node = CurrentNode();
    if (!node) {
        return false;
    }
    const TreeNode* child = node->ChildByTag(tag ? tag : "", tag ? static_cast<uint32_t>(std::strlen(tag)) : 0, 0);
    if (!child) {
        return false;
    }
    if (child->Content()) {
        out.Append(*child->Content());
    }
    return true;
}

void ClsXml::TakeTree(ClsXml& other) {
    if (&other == this) {
        return;  // giving a handle its own node would release it first and lose it
    }
    CritSecExitor hold(*this);
    ReleaseNode();
    currentNode_ = other.currentNode_;
    other.currentNode_ = nullptr;
}

bool ClsXml::GetXml(StringBuffer& out) {
    out.Clear();
    CritSecExitor hold(*this);
    TreeNode* node = CurrentNode();
    return node && SerializeNode(*node, out, 0, 0, false);
}

#include "xml/ClsXml.h"

#include <cstring>
#include <new>
#include <string>

#include "core/DataBuffer.h"
#include "encoding/EncodingConvert.h"
#include "platform/FileSystem.h"

#include "xml/TreeInfo.h"
#include "xml/TreeNode.h"
#include "xml/XmlDeclaration.h"
#include "xml/XmlEncodingDetection.h"
#include "xml/XmlParser.h"
#include "xml/XmlSerializer.h"

namespace {

constexpr uint32_t kFileNameLimit = 100;
constexpr int kUtf8 = 65001;

StringBuffer TrimmedTag(const char* tag) {
    StringBuffer trimmed(tag);
    trimmed.Trim();
    return trimmed;
}

// A text without markup that reads as the name of an XML file.
bool LooksLikeFileName(const char* text) {
    if (!text || std::strchr(text, '<')) {
        return false;
    }
    StringBuffer name(text);
    name.Trim();
    if (name.GetSize() >= kFileNameLimit) {
        return false;
    }
    name.ToLowerCase();
    return name.EndsWith(".xml");
}

// A document in memory declared in one of the UTF-16 names is UTF-8 once loaded.
bool DeclaresUtf16(const TreeInfo& tree) {
    StringBuffer encoding;
    return DeclaredEncoding(tree, encoding) &&
           (encoding.EqualsNoCase("utf-16") || encoding.EqualsNoCase("ucs-2") || encoding.EqualsNoCase("unicode"));
}

bool WriteWholeFile(const char* path, const void* bytes, uint32_t count) {
    platform::BinaryFile file;
    return file.Open(path, platform::BinaryFile::Mode::WriteTruncate) && file.Write(bytes, count);
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
    if (LooksLikeFileName(text)) {
        return LoadXmlFile(text, trimWhitespace);
    }
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

bool ClsXml::LoadXmlFile(const char* path, bool trimWhitespace) {
    CritSecExitor hold(*this);
    log_.ResetLog();
    LogContext context(log_, "LoadXmlFile");
    log_.AddData("filename", path ? path : "");
    StringBuffer trimmedPath(path);
    trimmedPath.Trim();
    DataBuffer bytes;
    TreeNode* root = nullptr;
    if (bytes.LoadFile(trimmedPath.GetString()) && ConvertToUtf8ForParse(bytes, log_)) {
        ParseEngine engine(bytes);
        ParseXmlTree(engine, &log_, nullptr, &root, trimWhitespace);
    }
    if (root) {
        if (DeclaresUtf16(*root->Info()) && !SetDeclEncoding(*root->Info(), "utf-8")) {
            delete root;
            root = nullptr;
        } else {
            StandOnNewRoot(root);
        }
    }
    LogOutcome(root != nullptr);
    return root != nullptr;
}

bool ClsXml::SaveXml(const char* path) {
    CritSecExitor hold(*this);
    log_.ResetLog();
    LogContext context(log_, "SaveXml");
    if (!currentNode_) {
        log_.AddError("null tree");
        return false;
    }
    if (!TreeNode::IsLive(currentNode_) || !TreeInfo::IsLive(currentNode_->Info())) {
        log_.AddError("invalid tree");
        return false;
    }
    TreeInfo& tree = *currentNode_->Info();
    StringBuffer encoding;
    if (!DeclaredEncoding(tree, encoding)) {
        if (!SetDeclEncoding(tree, "utf-8") || !encoding.SetString("utf-8")) {
            return false;
        }
    }
    StringBuffer text;
    if (!SerializeNode(*currentNode_, text, 0, 0, false)) {
        return false;
    }
    if (encoding.EqualsNoCase("utf-8")) {
        return WriteWholeFile(path, text.GetString(), text.GetSize());
    }
    DataBuffer converted;
    EncodingConvert().ConvertToName(kUtf8, encoding.GetString(), text.GetString(), text.GetSize(), converted);
    if (converted.GetSize() == 0 && !text.IsEmpty()) {
        // Writing the empty result would replace the file by nothing and call it a success.
        log_.AddError("Cannot convert to the declared encoding");
        log_.AddData("encoding", encoding.GetString());
        return false;
    }
    return WriteWholeFile(path, converted.GetData(), converted.GetSize());
}

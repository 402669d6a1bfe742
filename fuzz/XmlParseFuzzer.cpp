// Parses arbitrary bytes in both whitespace modes and checks the shape of every tree: links agree
// with the child arrays, every node belongs to the root's TreeInfo, names pass the name filter,
// and no content keeps the NUL bytes the text builder uses as blanks. Then walks the tree through
// ClsXml handles the way the RSS object does.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/LogBase.h"
#include "xml/ClsXml.h"
#include "xml/TreeInfo.h"
#include "xml/TreeNode.h"
#include "xml/XmlParser.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsNameByte(unsigned char c) {
    return c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '!' ||
           c == '-' || c == '.' || c == ':' || c == '_';
}

void RequireName(const char* name, uint32_t length) {
    for (uint32_t i = 0; i < length; ++i) {
        Require(IsNameByte(static_cast<unsigned char>(name[i])));
    }
}

void RequireNodeShape(const TreeNode& node, const TreeInfo* info) {
    Require(TreeNode::IsLive(&node));
    Require(node.Info() == info);
    RequireName(node.TagText(), node.TagLength());
    if (const StringBuffer* content = node.Content()) {
        Require(std::strlen(content->GetString()) == content->GetSize());
    }
    if (const AttributeSet* attributes = node.Attributes()) {
        attributes->ForEach([](const AttributeView& pair) {
            Require(pair.nameLength > 0);
            RequireName(pair.name, pair.nameLength);
        });
    }
    for (uint32_t i = 0; i < node.ChildCount(); ++i) {
        const TreeNode* child = node.ChildAt(i);
        Require(child && child->Parent() == &node);
        Require(child->PrevSibling() == (i ? node.ChildAt(i - 1) : nullptr));
        Require(child->NextSibling() == node.ChildAt(i + 1));
    }
}

// Visits every node without recursion (the input may nest deeply).
void RequireTreeShape(const TreeNode* root) {
    if (!root) {
        return;
    }
    const TreeInfo* info = root->Info();
    Require(TreeInfo::IsLive(info) && info->Root() == root && !root->Parent());
    const TreeNode* node = root;
    for (;;) {
        RequireNodeShape(*node, info);
        if (node->ChildCount()) {
            node = node->ChildAt(0);
            continue;
        }
        while (node != root && !node->NextSibling()) {
            node = node->Parent();
        }
        if (node == root) {
            break;
        }
        node = node->NextSibling();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const bool trim : {true, false}) {
        LogNull log;
        TreeNode* root = nullptr;
        Require(ParseXmlTree(text.c_str(), &log, nullptr, &root, trim));
        RequireTreeShape(root);
        delete root;
    }

    ClsXml xml;
    if (xml.LoadXml(text.c_str(), true)) {
        const TreeNode* root = xml.CurrentNode();
        Require(root != nullptr);
        if (root->ChildCount()) {
            const TreeNode* first = root->ChildAt(0);
            std::unique_ptr<ClsXml> child(xml.ChildByTag(first->TagText(), 0));
            Require(child && child->CurrentNode() == first);
            StringBuffer content;
            Require(xml.ChildContentByTag(first->TagText(), content));
            Require(content.Equals(first->ContentText()));
            Require(xml.CountChildrenByTag(first->TagText()) >= 1);
        }
    }
    return 0;
}

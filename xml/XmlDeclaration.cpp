#include "xml/XmlDeclaration.h"

#include "core/StringBuffer.h"
#include "xml/TreeInfo.h"
#include "xml/TreeNode.h"

namespace {
bool DeclaredValue(const TreeInfo& tree, const char* name, StringBuffer& value) {
    value.Clear();
    const TreeNode* declaration = tree.Declaration();
    return TreeNode::IsLive(declaration) && declaration->Attributes() &&
           declaration->Attributes()->GetValue(name, value);
}
}  // namespace

bool DeclaredEncoding(const TreeInfo& tree, StringBuffer& encoding) {
    return DeclaredValue(tree, "encoding", encoding);
}

bool DeclaredStandalone(const TreeInfo& tree, StringBuffer& standalone) {
    return DeclaredValue(tree, "standalone", standalone);
}

bool SetDeclEncoding(TreeInfo& tree, const char* name) {
    if (!TreeNode::IsLive(tree.Declaration())) {
        TreeNode* declaration = TreeNode::CreateDetached("xml", 3);
        if (!declaration || !declaration->AddAttribute("version", "1.0")) {
            delete declaration;
            return false;
        }
        tree.SetDeclaration(declaration);
    }
    TreeNode* declaration = tree.Declaration();
    if (AttributeSet* attributes = declaration->Attributes()) {
        attributes->RemoveAll("encoding", 8);
    }
    return declaration->AddAttribute("encoding", name ? name : "");
}

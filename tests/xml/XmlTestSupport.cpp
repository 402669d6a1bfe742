#include "XmlTestSupport.h"

#include "xml/XmlParser.h"

namespace xmltest {

Tree Parse(const std::string& text, bool trimWhitespace, LogBase* log) {
    TreeNode* root = nullptr;
    ParseXmlTree(text.c_str(), log, nullptr, &root, trimWhitespace);
    return Tree(root);
}

std::string Describe(const TreeNode* node) {
    if (!node) {
        return "-";
    }
    std::string out = node->TagText();
    if (const AttributeSet* attributes = node->Attributes(); attributes && attributes->Count()) {
        out += "{";
        bool first = true;
        attributes->ForEach([&](const AttributeView& pair) {
            out += (first ? "" : ",") + std::string(pair.name, pair.nameLength) + "=" +
                   std::string(pair.value, pair.valueLength);
            first = false;
        });
        out += "}";
    }
    if (node->Content()) {
        out += "'" + Text(*node->Content()) + "'";
    }
    if (node->IsCdata()) {
        out += "*";
    }
    if (node->ChildCount()) {
        out += "(";
        for (uint32_t i = 0; i < node->ChildCount(); ++i) {
            out += (i ? "," : "") + Describe(node->ChildAt(i));
        }
        out += ")";
    }
    return out;
}

std::string Text(const StringBuffer& text) { return std::string(text.GetString(), text.GetSize()); }

std::string LogText(Logger& log) {
    StringBuffer out;
    log.GetAsText(out);
    return Text(out);
}

}  // namespace xmltest

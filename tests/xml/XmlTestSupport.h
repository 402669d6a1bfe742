#pragma once
// Helpers of the XML tests: parse a text, describe a tree compactly, and own parsed trees.

#include <memory>
#include <string>

#include "core/Logger.h"
#include "core/StringBuffer.h"
#include "xml/TreeNode.h"

namespace xmltest {

struct TreeDeleter {
    void operator()(TreeNode* node) const { delete node; }
};
using Tree = std::unique_ptr<TreeNode, TreeDeleter>;

Tree Parse(const std::string& text, bool trimWhitespace = true, LogBase* log = nullptr);

// tag{name=value,...}'content'*(child,child): attributes in braces, content in quotes, "*" for
// isCdata, children in parentheses. "-" for no tree.
std::string Describe(const TreeNode* node);

std::string Text(const StringBuffer& text);
std::string LogText(Logger& log);

}  // namespace xmltest

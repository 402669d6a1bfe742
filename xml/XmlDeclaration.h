#pragma once
// The XML declaration of a parsed document: the TreeInfo's `declaration` node, whose attributes
// are the pseudo-attributes as written ("version", "encoding", "standalone").

class StringBuffer;
class TreeInfo;

// The value of the declaration's first "encoding" (or "standalone") attribute; false, with the
// output empty, when the tree has no declaration or the declaration has no such attribute.
bool DeclaredEncoding(const TreeInfo& tree, StringBuffer& encoding);
bool DeclaredStandalone(const TreeInfo& tree, StringBuffer& standalone);

// Makes the tree declare `name` as its encoding: a declaration <?xml version="1.0"?> is made
// when there is none, its "encoding" attributes are removed and encoding=name is added last.
// False when memory is exhausted.
bool SetDeclEncoding(TreeInfo& tree, const char* name);

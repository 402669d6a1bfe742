#pragma once
// Writes a tree back as XML text: UTF-8, CR LF line ends, two blanks of indentation a level.
//
// For the tree's root the prolog comes first: the declaration (its "standalone" attribute moved
// last, which changes the tree), the stylesheet instructions that have attributes, the DOCTYPE
// text and the other instructions. Then every element: a line break before the first child of
// each parent, the start tag with its attributes, the content (escaped, or in a CDATA section
// for an element marked isCdata), the children, and the end tag; an element with neither
// content nor children is written "<tag />". Attribute values are escaped too, except that a
// numeric character reference ("&#" and a digit or "x") is written as it stands.
//
// Nothing recurses, so a tree of any depth is written.

#include <cstdint>

class StringBuffer;
class TreeNode;

// Appends the node and its subtree to `out` (nothing when the node's TreeInfo is not live).
// `index` is the node's position among its siblings, `depth` its indentation level. False when
// memory is exhausted.
bool SerializeNode(TreeNode& node, StringBuffer& out, uint32_t index, uint32_t depth, bool omitDeclaration);

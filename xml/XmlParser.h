#pragma once
// The XML parser: one forward pass over UTF-8 bytes that builds a TreeNode tree. It never
// rejects a document: malformed markup is skipped or repaired by fixed rules, and whatever tree
// was built is returned. Three kinds of trouble are written to the log as errors:
// "Unclosed comment", "Failed to parse DTD" and "Error in closing tag" (followed by the data
// entry "error_tag" with the tag of the element it closed).
//
// What the parser does with markup:
// - Text is added to the innermost open element in pieces (text between two pieces of markup);
//   pieces are joined with one blank, and after each piece the five predefined entities are
//   replaced over the element's whole content (see ElementTextBuilder). CDATA sections are
//   appended as they are and mark the element isCdata; text after a CDATA section up to the
//   next "<" is dropped. Text outside elements is dropped.
// - With trimWhitespace, whitespace around each piece is dropped; without it, the whitespace
//   before a piece is kept, and a piece of only whitespace adds nothing.
// - A closing tag closes the innermost open element whatever its name. A closing tag cut short
//   by a "<" is logged and still closes it.
// - Comments are dropped; the DOCTYPE and other processing instructions are kept as text on
//   the TreeInfo; "<?xml " becomes the tree's declaration node and "<?xml-stylesheet" nodes its
//   stylesheet list.
// - Of several top-level elements the last completed one is the root. At the end of the input,
//   elements left open are closed (when there is no completed root yet) or discarded.
// Nothing recurses: depth of nesting is unlimited.

#include "xml/ParseEngine.h"

class LogBase;
class ProgressMonitor;
class TreeNode;

// Parses the engine's text. `log` may be null (a null log is used), `progress` may be null.
// The caller owns the tree put into *root (null when no element was found, or when memory ran
// out). False only when `root` is null.
bool ParseXmlTree(ParseEngine& engine, LogBase* log, ProgressMonitor* progress, TreeNode** root,
                  bool trimWhitespace);

// The same for a NUL-terminated text.
bool ParseXmlTree(const char* text, LogBase* log, ProgressMonitor* progress, TreeNode** root,
                  bool trimWhitespace);

#pragma once
// ClsXml: a handle on one node of a shared XML tree.
//
// API summary (what the RSS object uses)
//   ClsXml xml;                          // stands on its own one-node tree tagged "unnamed"
//   xml.LoadXml(utf8Text, true);         // parse (whitespace trimmed); on success the handle
//                                        // stands on the new root, on failure (no element in
//                                        // the text) it keeps its old tree and returns false
//   ClsXml* channel = xml.ChildByTag("channel", 0);   // new handle on the first <channel>
//                                        // child, or null; the tag is trimmed, the index counts
//                                        // matching children only; the caller deletes it
//   channel->CountChildrenByTag("item"); // direct children tagged exactly "item"
//   StringBuffer title;
//   channel->ChildContentByTag("title", title);  // content of the first <title> child (tag
//                                        // compared as given, not trimmed); false and empty
//                                        // when there is none
//   ClsXml mine; mine.TakeTree(*channel);  // mine now stands on channel's node, channel on
//                                        // nothing; no counts change
//   delete channel;
// Also: LoadXmlFile(path, trim) (bytes turned into UTF-8 from their byte-order mark or declared
// encoding), GetXml(out) (the node as XML text), SaveXml(path) (in the declared encoding).
// Handle lifetime: a tree lives as long as any handle stands on one of its nodes. Handles made
// by ChildByTag keep the whole tree alive, also after the handle they came from has loaded
// another document or been deleted. Tags are compared byte for byte, case-sensitively.
// Content is UTF-8 as the parser stored it: the five predefined entities replaced, numeric
// references left in place, CDATA bytes verbatim.
//
// Each handle is its own lock: LoadXml, CountChildrenByTag and TakeTree hold it. Handles on the
// same tree do not exclude each other; a tree is for one thread at a time.

#include <cstdint>

#include "core/ClsBase.h"
#include "core/QuorvelCritSec.h"
#include "core/StringBuffer.h"

class TreeNode;

class ClsXml : public ClsBase, public QuorvelCritSec {
public:
    ClsXml();
    ~ClsXml() override;
    ClsXml(const ClsXml&) = delete;
    ClsXml& operator=(const ClsXml&) = delete;

    // Parses a NUL-terminated UTF-8 text (null parses nothing). Logged in the context "LoadXml".
    // A text without "<" that, trimmed, is shorter than 100 bytes and ends with ".xml" in any
    // letter case is taken as a file name and loaded with LoadXmlFile.
    bool LoadXml(const char* text, bool trimWhitespace);
    // Loads a file (the path is trimmed), turning its bytes into UTF-8 from their byte-order
    // mark or declared encoding first. A document declared "utf-16", "ucs-2" or "unicode" then
    // declares "utf-8". Logged in the context "LoadXmlFile" with "filename".
    bool LoadXmlFile(const char* path, bool trimWhitespace);
    // Writes the handle's node (see GetXml) to a file in the document's declared encoding,
    // declaring "utf-8" when it declares none. Logged in the context "SaveXml".
    bool SaveXml(const char* path);

    int32_t CountChildrenByTag(const char* tag);
    ClsXml* ChildByTag(const char* tag, int32_t index);
    bool ChildContentByTag(const char* tag, StringBuffer& out);
    void TakeTree(ClsXml& other);

    // The handle's node and its subtree as XML text (with the document's prolog when the node
    // is the root); `out` is cleared first. False when memory is exhausted or there is no node.
    bool GetXml(StringBuffer& out);

    // The node the handle stands on; null when it stands on nothing (after giving its node away
    // with TakeTree, or when memory ran out while it was made).
    TreeNode* CurrentNode() const;

private:
    // Stands on the parser's new root in place of the current node.
    void StandOnNewRoot(TreeNode* root);
    void ReleaseNode();

    TreeNode* currentNode_;
};

#pragma once
// ElementTextBuilder: puts together the content of the parser's open elements.
//
// The content of an element grows by text pieces and CDATA sections:
// - a text piece is added (after a separating blank when the content is not empty, and after
//   the whitespace that preceded it when whitespace is kept); then, if the whole content
//   contains "&", the five predefined entities are replaced over the whole content;
// - a CDATA section is appended as it is.
// Because the replacement runs over the whole content every time, an "&amp;lt;" in an early
// piece has become "<" once a later piece is added.
//
// Doing that literally costs a pass over the whole content per piece, which is quadratic for an
// element of many pieces. The result only ever changes at an "&": the bytes after an "&" up to
// the next "&" decide what becomes of it, and a replacement never produces a letter or ";". So
// each "&" evolves on its own, and one that is followed by something that is not (the start of)
// an entity name is settled for good. The builder keeps the unsettled ones (an "&" followed by
// "amp;", by another entity name, or by the start of one at the very end of the content) and
// at each replacement pass looks only at those. Replaced bytes are blanked with NUL bytes
// (which the parser's text never contains) and squeezed out once, when the element is closed.
// The total work is linear in the size of the content.
//
// Elements are handled innermost first: only the innermost open element receives text, so the
// builder keeps its working state as a stack that follows the open elements.

#include <cstdint>
#include <vector>

class StringBuffer;
class TreeNode;

class ElementTextBuilder {
public:
    ElementTextBuilder() = default;
    ElementTextBuilder(const ElementTextBuilder&) = delete;
    ElementTextBuilder& operator=(const ElementTextBuilder&) = delete;

    // `leading` (may be null) is the whitespace kept before the piece. False when memory is
    // exhausted.
    bool AddText(TreeNode& node, const StringBuffer* leading, const char* piece, uint32_t length);
    bool AddCdata(TreeNode& node, const char* bytes, uint32_t length);
    // The element is closed (or abandoned): its content is made final.
    void Finish(TreeNode& node);

private:
    struct PendingAmp {
        uint32_t amp;   // where the "&" stands
        uint32_t next;  // the first byte after it that is not blanked
    };
    struct OpenText {
        TreeNode* node;
        uint32_t ampCount;  // "&" bytes in the content
        bool blanked;       // NUL bytes wait to be squeezed out
        std::vector<PendingAmp> pending;
    };

    OpenText* StateFor(TreeNode& node);
    bool NoteAmpersands(OpenText& state, const StringBuffer& content, uint32_t from);
    static void ReplacementPass(OpenText& state, StringBuffer& content);

    std::vector<OpenText> open_;
};

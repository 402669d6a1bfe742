#include "xml/XmlSerializer.h"

#include <cstring>
#include <initializer_list>

#include "core/StringBuffer.h"
#include "xml/AttributeSet.h"
#include "xml/TreeInfo.h"
#include "xml/TreeNode.h"

namespace {

constexpr uint32_t kMaxIndent = 100;
constexpr char kLineEnd[] = "\r\n";

// Collects the output and remembers whether every append worked.
class XmlWriter {
public:
    explicit XmlWriter(StringBuffer& out) : out_(out) {}

    bool Ok() const { return ok_; }

    void Text(const char* text) { ok_ = out_.Append(text) && ok_; }
    void Bytes(const char* bytes, uint32_t count) { ok_ = out_.AppendN(bytes, count) && ok_; }
    void Text(const StringBuffer& text) { Bytes(text.GetString(), text.GetSize()); }
    void Indent(uint32_t depth) {
        const uint64_t blanks = uint64_t{depth} * 2;
        ok_ = out_.AppendCharN(' ', blanks < kMaxIndent ? static_cast<uint32_t>(blanks) : kMaxIndent) && ok_;
    }

    // The bytes with " & ' < > written as entities; with keepNumericReferences an "&" that
    // starts "&#" followed by a digit or "x" stays as it is.
    void Escaped(const char* bytes, uint32_t count, bool keepNumericReferences) {
        uint32_t runStart = 0;
        for (uint32_t i = 0; i < count; ++i) {
            const char* entity = EntityFor(bytes, count, i, keepNumericReferences);
            if (entity) {
                Bytes(bytes + runStart, i - runStart);
                Text(entity);
                runStart = i + 1;
            }
        }
        Bytes(bytes + runStart, count - runStart);
    }

    void Attributes(const AttributeSet* attributes) {
        if (!attributes) {
            return;
        }
        attributes->ForEach([this](const AttributeView& pair) {
            Text(" ");
            Bytes(pair.name, pair.nameLength);
            Text("=\"");
            Escaped(pair.value, pair.valueLength, true);
            Text("\"");
        });
    }

    void Prolog(TreeInfo& info, bool omitDeclaration);
    // The start tag and content; false when the element was written whole ("<tag />").
    bool Opening(const TreeNode& node, uint32_t index, uint32_t depth);
    void Closing(const TreeNode& node, uint32_t depth);

private:
    static const char* EntityFor(const char* bytes, uint32_t count, uint32_t at, bool keepNumericReferences) {
        switch (bytes[at]) {
            case '"':
                return "&quot;";
            case '\'':
                return "&apos;";
            case '<':
                return "&lt;";
            case '>':
                return "&gt;";
            case '&':
                if (keepNumericReferences && at + 2 < count && bytes[at + 1] == '#' &&
                    ((bytes[at + 2] >= '0' && bytes[at + 2] <= '9') || bytes[at + 2] == 'x')) {
                    return nullptr;
                }
                return "&amp;";
            default:
                return nullptr;
        }
    }

    void Cdata(const StringBuffer& content);
    void Tag(const TreeNode& node) {
        if (node.TagLength()) {
            Bytes(node.TagText(), node.TagLength());
        } else {
            Text("nothing");
        }
    }

    StringBuffer& out_;
    bool ok_ = true;
};

void XmlWriter::Prolog(TreeInfo& info, bool omitDeclaration) {
    TreeNode* declaration = info.Declaration();
    if (!omitDeclaration && TreeNode::IsLive(declaration)) {
        Text("<?xml");
        if (AttributeSet* attributes = declaration->Attributes()) {
            StringBuffer standalone;
            if (attributes->GetValue("standalone", standalone)) {
                attributes->RemoveFirst("standalone", 10);
                ok_ = attributes->Add("standalone", 10, standalone.GetString(), standalone.GetSize()) && ok_;
            }
            Attributes(attributes);
        }
        Text(" ?>");
        Text(kLineEnd);
    }
    for (uint32_t i = 0; i < info.Stylesheets().Count(); ++i) {
        const auto* stylesheet = info.Stylesheets().ItemAs<TreeNode>(i);
        if (TreeNode::IsLive(stylesheet) && stylesheet->Attributes() && stylesheet->Attributes()->Count()) {
            Text("<?xml-stylesheet");
            Attributes(stylesheet->Attributes());
            Text(" ?>");
            Text(kLineEnd);
        }
    }
    for (const StringBuffer* text : {info.DoctypeText(), info.PiText()}) {
        if (text && !text->IsEmpty()) {
            Text(*text);
            Text(kLineEnd);
        }
    }
}

// A CDATA section cannot hold "]]>": such content is written without the markers, dropping
// "<![CDATA[" and then "]]>" until none is left (a removal can bring a new "]]>" together, as
// in "]]]>>", so the output is checked as it grows).
void XmlWriter::Cdata(const StringBuffer& content) {
    Text("<![CDATA[");
    if (!content.Contains("]]>")) {
        Text(content);
    } else {
        StringBuffer copy(content);
        copy.ReplaceAll("<![CDATA[", "");
        StringBuffer kept = StringBuffer::WithCapacity(copy.GetSize() + 1);
        for (uint32_t i = 0; i < copy.GetSize(); ++i) {
            ok_ = kept.AppendChar(copy.CharAt(i)) && ok_;
            if (kept.EndsWith("]]>")) {
                kept.Shorten(3);
            }
        }
        Text(kept);
    }
    Text("]]>");
}

bool XmlWriter::Opening(const TreeNode& node, uint32_t index, uint32_t depth) {
    if (index == 0) {
        Text(kLineEnd);
    }
    Indent(depth);
    Text("<");
    Tag(node);
    Attributes(node.Attributes());
    const StringBuffer* content = node.Content();
    const bool hasContent = content && !content->IsEmpty();
    if (!hasContent && !node.HasChildArray()) {
        Text(" />");
        Text(kLineEnd);
        return false;
    }
    Text(">");
    if (hasContent) {
        if (node.IsCdata()) {
            Cdata(*content);
        } else {
            Escaped(content->GetString(), content->GetSize(), false);
        }
    }
    return true;
}

void XmlWriter::Closing(const TreeNode& node, uint32_t depth) {
    if (node.HasChildArray() || out_.LastChar() == '\n') {
        Indent(depth);
    }
    Text("</");
    Tag(node);
    Text(">");
    Text(kLineEnd);
}

}  // namespace

bool SerializeNode(TreeNode& node, StringBuffer& out, uint32_t index, uint32_t depth, bool omitDeclaration) {
    if (!TreeNode::IsLive(&node) || !TreeInfo::IsLive(node.Info())) {
        return true;
    }
    XmlWriter writer(out);
    if (node.IsRoot()) {
        writer.Prolog(*node.Info(), omitDeclaration);
    }
    // Depth-first through the child, sibling and parent links; each element is opened on the
    // way down and closed once its last child is done.
    TreeNode* current = &node;
    uint32_t level = depth;
    bool first = index == 0;
    for (;;) {
        const bool open = writer.Opening(*current, first ? 0 : 1, level);
        if (open && current->ChildCount()) {
            current = current->ChildAt(0);
            ++level;
            first = true;
            continue;
        }
        if (open) {
            writer.Closing(*current, level);
        }
        while (current != &node && !current->NextSibling()) {
            current = current->Parent();
            --level;
            writer.Closing(*current, level);
        }
        if (current == &node) {
            break;
        }
        current = current->NextSibling();
        first = false;
    }
    return writer.Ok();
}

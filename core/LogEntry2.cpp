#include "core/LogEntry2.h"

#include <new>
#include <vector>

#include "core/StringBuffer.h"

namespace {

StringBuffer* CopyText(const char* text) { return text ? new (std::nothrow) StringBuffer(text) : nullptr; }

bool NeedsCdata(const StringBuffer& text) {
    const bool special = text.Contains("\n") || text.Contains("\t") || text.Contains("&") ||
                         text.Contains("<") || text.Contains(">");
    const bool alreadyWrapped = text.Contains("<![CDATA[") && text.Contains("]]>");
    return special && !alreadyWrapped;
}

void AppendXmlValue(StringBuffer& out, const StringBuffer& text) {
    if (NeedsCdata(text)) {
        out.Append("<![CDATA[");
        out.Append(text);
        out.Append("]]>");
    } else {
        out.Append(text);
    }
}

void AppendHtmlEscaped(StringBuffer& out, const StringBuffer& text) {
    StringBuffer escaped(text);
    escaped.ReplaceAll("&", "&amp;");
    escaped.ReplaceAll("<", "&lt;");
    escaped.ReplaceAll(">", "&gt;");
    escaped.ReplaceAll("\"", "&quot;");
    out.Append(escaped);
}

void Indent(StringBuffer& out, size_t depth) { out.AppendCharN(' ', static_cast<uint32_t>(depth * 2)); }

// Walks the tree below `root` without recursion (log trees can be nested as deeply as callers
// open contexts). `enter` renders a context and says whether to descend into it; `leave` closes
// it; `leaf` renders every other entry. Depth 0 is the root.
template <class Enter, class Leave, class Leaf>
void Walk(const LogEntry2& root, Enter enter, Leave leave, Leaf leaf) {
    struct Frame {
        const LogEntry2* context;
        uint32_t next;
    };
    if (!enter(root, size_t{0})) {
        return;
    }
    std::vector<Frame> stack{{&root, 0}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next >= top.context->ChildCount()) {
            leave(*top.context, stack.size() - 1);
            stack.pop_back();
            continue;
        }
        const LogEntry2* child = top.context->Child(top.next++);
        if (!child) {
            continue;
        }
        if (child->GetKind() == LogEntry2::Context) {
            if (enter(*child, stack.size())) {
                stack.push_back({child, 0});
            }
        } else {
            leaf(*child, stack.size());
        }
    }
}

}  // namespace

LogEntry2* LogEntry2::MakeContext(const char* tag) {
    auto* entry = new (std::nothrow) LogEntry2(Context);
    if (entry) {
        entry->tag_ = CopyText(tag);
        entry->children_ = new (std::nothrow) ExtPtrArray();
    }
    return entry;
}

LogEntry2* LogEntry2::MakeMessage(Kind kind, const char* text) {
    auto* entry = new (std::nothrow) LogEntry2(kind);
    if (entry) {
        entry->text_ = CopyText(text);
    }
    return entry;
}

LogEntry2* LogEntry2::MakeData(const char* tag, const char* value) {
    auto* entry = new (std::nothrow) LogEntry2(Data);
    if (entry) {
        entry->tag_ = CopyText(tag);
        entry->text_ = CopyText(value);
    }
    return entry;
}

LogEntry2::~LogEntry2() {
    // Move every descendant onto one work list and delete them one by one, each with its own
    // children already taken away, so that deleting a deep tree never recurses.
    std::vector<QuorvelObject*> pending;
    if (children_) {
        for (uint32_t i = 0; i < children_->Count(); ++i) {
            pending.push_back(children_->Item(i));
        }
        children_->Clear();
    }
    while (!pending.empty()) {
        auto* entry = static_cast<LogEntry2*>(pending.back());
        pending.pop_back();
        if (entry && entry->children_) {
            for (uint32_t i = 0; i < entry->children_->Count(); ++i) {
                pending.push_back(entry->children_->Item(i));
            }
            entry->children_->Clear();
        }
        delete entry;
    }
    delete children_;
    delete tag_;
    delete text_;
}

LogEntry2* LogEntry2::Child(uint32_t index) const {
    return children_ ? children_->ItemAs<LogEntry2>(index) : nullptr;
}

void LogEntry2::RenderXml(StringBuffer& out) const {
    Walk(
        *this,
        [&out](const LogEntry2& context, size_t) {
            if (!context.tag_ || !context.children_) {
                return false;
            }
            out.Append("<");
            out.Append(*context.tag_);
            out.Append(">\r\n");
            return true;
        },
        [&out](const LogEntry2& context, size_t) {
            out.Append("</");
            out.Append(*context.tag_);
            out.Append(">\r\n");
        },
        [&out](const LogEntry2& entry, size_t) {
            if (!entry.text_ || (entry.kind_ == Data && !entry.tag_)) {
                return;
            }
            switch (entry.kind_) {
                case Error:
                    out.Append("<error>");
                    AppendXmlValue(out, *entry.text_);
                    out.Append("</error>\r\n");
                    break;
                case Info:
                    out.Append("<info>");
                    AppendXmlValue(out, *entry.text_);
                    out.Append("</info>\r\n");
                    break;
                case Data:
                    out.Append("<");
                    out.Append(*entry.tag_);
                    out.Append(">");
                    AppendXmlValue(out, *entry.text_);
                    out.Append("</");
                    out.Append(*entry.tag_);
                    out.Append(">\r\n");
                    break;
                default:
                    out.Append(*entry.text_);
                    out.Append("\r\n");
            }
        });
}

void LogEntry2::RenderText(StringBuffer& out) const {
    Walk(
        *this,
        [&out](const LogEntry2& context, size_t depth) {
            if (!context.tag_ || !context.children_) {
                return false;
            }
            Indent(out, depth);
            out.Append(*context.tag_);
            out.Append(":\r\n");
            return true;
        },
        [](const LogEntry2&, size_t) {},
        [&out](const LogEntry2& entry, size_t depth) {
            if (!entry.text_ || (entry.kind_ == Data && !entry.tag_)) {
                return;
            }
            Indent(out, depth);
            if (entry.kind_ == Data) {
                out.Append(*entry.tag_);
                out.Append(": ");
            }
            out.Append(*entry.text_);
            out.Append("\r\n");
        });
}

void LogEntry2::RenderHtml(StringBuffer& out) const {
    Walk(
        *this,
        [&out](const LogEntry2& context, size_t) {
            if (!context.tag_ || !context.children_) {
                return false;
            }
            out.Append(*context.tag_);
            out.Append(":<blockquote>\r\n");
            return true;
        },
        [&out](const LogEntry2&, size_t) { out.Append("</blockquote>\r\n<br>\r\n"); },
        [&out](const LogEntry2& entry, size_t) {
            if (!entry.text_ || (entry.kind_ == Data && !entry.tag_)) {
                return;
            }
            if (entry.kind_ == Data) {
                out.Append(*entry.tag_);
                out.Append(": ");
            }
            AppendHtmlEscaped(out, *entry.text_);
            out.Append("<br>\r\n");
        });
}

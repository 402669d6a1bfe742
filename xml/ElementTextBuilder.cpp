#include "xml/ElementTextBuilder.h"

#include <cstring>
#include <new>

#include "core/StringBuffer.h"
#include "xml/TreeNode.h"
#include "xml/XmlEntities.h"

namespace {
constexpr uint32_t kCdataContentCapacity = 120;
}  // namespace

// The state of the innermost open element, made when it first gets content. A node that has
// content but no state (content set by someone else) has its "&" bytes noted now.
ElementTextBuilder::OpenText* ElementTextBuilder::StateFor(TreeNode& node) {
    if (!open_.empty() && open_.back().node == &node) {
        return &open_.back();
    }
    try {
        open_.push_back(OpenText{&node, 0, false, {}});
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    OpenText* state = &open_.back();
    if (node.Content() && !NoteAmpersands(*state, *node.Content(), 0)) {
        return nullptr;
    }
    return state;
}

bool ElementTextBuilder::NoteAmpersands(OpenText& state, const StringBuffer& content, uint32_t from) {
    const char* bytes = content.GetString();
    const uint32_t length = content.GetSize();
    try {
        for (uint32_t at = from; at < length;) {
            const void* amp = std::memchr(bytes + at, '&', length - at);
            if (!amp) {
                break;
            }
            at = static_cast<uint32_t>(static_cast<const char*>(amp) - bytes);
            state.pending.push_back(PendingAmp{at, at + 1});
            ++state.ampCount;
            ++at;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool ElementTextBuilder::AddText(TreeNode& node, const StringBuffer* leading, const char* piece, uint32_t length) {
    if (length == 0) {
        return true;
    }
    OpenText* state = StateFor(node);
    if (!state) {
        return false;
    }
    StringBuffer* content = node.Content();
    uint32_t from = 0;
    if (!content) {
        if (leading && !leading->IsEmpty()) {
            StringBuffer* created = node.EnsureContent(leading->GetSize() + length + 1);
            if (!created || !created->Append(*leading) || !created->AppendN(piece, length)) {
                return false;
            }
        } else if (!node.CreateContent(piece, length)) {
            return false;
        }
        content = node.Content();
    } else {
        from = content->GetSize();
        const bool appended = (!leading || content->Append(*leading)) &&
                              (content->IsEmpty() || content->AppendChar(' ')) &&
                              content->AppendN(piece, length);
        if (!appended) {
            content->Shorten(content->GetSize() - from);
            return false;
        }
    }
    if (!NoteAmpersands(*state, *content, from)) {
        return false;
    }
    if (state->ampCount > 0) {
        ReplacementPass(*state, *content);
    }
    return true;
}

bool ElementTextBuilder::AddCdata(TreeNode& node, const char* bytes, uint32_t length) {
    OpenText* state = StateFor(node);
    StringBuffer* content = state ? node.EnsureContent(kCdataContentCapacity) : nullptr;
    if (!content) {
        return false;
    }
    const uint32_t from = content->GetSize();
    if (!content->AppendN(bytes, length)) {
        return false;
    }
    return NoteAmpersands(*state, *content, from);
}

// One replacement over the whole content, visiting only the unsettled "&" bytes. Each moves at
// most one step: "&amp;" leaves its "&" (which is looked at again next time, not now), the other
// four names become their byte, and an "&" followed by anything else is settled.
void ElementTextBuilder::ReplacementPass(OpenText& state, StringBuffer& content) {
    char* bytes = content.MutableText();
    const char* end = bytes + content.GetSize();
    size_t kept = 0;
    for (PendingAmp amp : state.pending) {
        const EntityMatch match = MatchPredefinedEntity(bytes + amp.next, end);
        switch (match.kind) {
            case EntityMatch::Amp:
                std::memset(bytes + amp.next, 0, match.length);
                amp.next += match.length;
                state.blanked = true;
                state.pending[kept++] = amp;
                break;
            case EntityMatch::Other:
                bytes[amp.amp] = match.replacement;
                std::memset(bytes + amp.next, 0, match.length);
                state.blanked = true;
                --state.ampCount;
                break;
            case EntityMatch::Partial:
                state.pending[kept++] = amp;  // the content may yet go on without a blank
                break;
            case EntityMatch::None:
                break;
        }
    }
    state.pending.resize(kept);
}

void ElementTextBuilder::Finish(TreeNode& node) {
    if (open_.empty() || open_.back().node != &node) {
        return;
    }
    if (open_.back().blanked && node.Content()) {
        node.Content()->RemoveChar('\0');
    }
    open_.pop_back();
}

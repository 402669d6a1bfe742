#pragma once
// One node of the diagnostic log tree: a context (which holds further entries), an error, an
// information, a tagged data value or a raw text.

#include <cstdint>

#include "core/ExtPtrArray.h"
#include "core/QuorvelObject.h"

class StringBuffer;

class LogEntry2 : public QuorvelObject {
public:
    enum Kind : char { Context = 'C', Error = 'E', Info = 'I', Data = 'T', Raw = 'X' };

    // Null when memory is exhausted. Contexts get a children array; tag and text may be null.
    static LogEntry2* MakeContext(const char* tag);
    static LogEntry2* MakeMessage(Kind kind, const char* text);
    static LogEntry2* MakeData(const char* tag, const char* value);
    ~LogEntry2() override;  // destroys the whole subtree without recursion

    Kind GetKind() const { return kind_; }
    const StringBuffer* GetTag() const { return tag_; }
    const StringBuffer* GetText() const { return text_; }
    ExtPtrArray* Children() const { return children_; }
    uint32_t ChildCount() const { return children_ ? children_->Count() : 0; }
    LogEntry2* Child(uint32_t index) const;

    // Renderings of this entry and everything below it, appended to `out` (see ErrorLog).
    void RenderXml(StringBuffer& out) const;
    void RenderText(StringBuffer& out) const;
    void RenderHtml(StringBuffer& out) const;

private:
    explicit LogEntry2(Kind kind) : kind_(kind) {}

    ExtPtrArray* children_ = nullptr;
    Kind kind_;
    StringBuffer* tag_ = nullptr;
    StringBuffer* text_ = nullptr;
};

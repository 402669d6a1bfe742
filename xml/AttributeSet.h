#pragma once
// AttributeSet: the attributes of one element, kept compactly in two arrays instead of one object
// per attribute: `lengths` holds a name length and a value length for each pair, in insertion
// order, and `text` holds all names and values back to back without separators. Both are made
// on the first attribute.
//
// Names are compared byte for byte (case-sensitive). Duplicate names are allowed; lookups find
// the first pair. The set stores names as given: filtering them is the caller's business.

#include <cstdint>

#include "core/ExtIntArray.h"
#include "core/StringBuffer.h"

// One stored pair, pointing into the set's text (valid until the set changes).
struct AttributeView {
    const char* name;
    uint32_t nameLength;
    const char* value;
    uint32_t valueLength;
};

class AttributeSet {
public:
    AttributeSet();
    virtual ~AttributeSet();
    AttributeSet(const AttributeSet&) = delete;
    AttributeSet& operator=(const AttributeSet&) = delete;

    // Appends a pair; an empty name (or exhausted memory) is refused. A null value is empty.
    bool Add(const char* name, uint32_t nameLength, const char* value, uint32_t valueLength);
    uint32_t Count() const;

    // The index-th pair in insertion order; false outside the pairs.
    bool At(uint32_t index, AttributeView& out) const;
    // Calls visit(const AttributeView&) for every pair in order (one pass over the arrays).
    template <class Visit>
    void ForEach(Visit visit) const;

    // The value of the first pair named `name`; false (and `value` untouched) when there is none.
    bool Find(const char* name, uint32_t nameLength, AttributeView& pair) const;
    bool Has(const char* name, uint32_t nameLength) const;
    bool GetValue(const char* name, StringBuffer& value) const;  // value cleared first
    bool RemoveFirst(const char* name, uint32_t nameLength);
    void RemoveAll(const char* name, uint32_t nameLength);  // at most 101 removals

private:
    ExtIntArray* lengths_;
    StringBuffer* text_;
};

template <class Visit>
void AttributeSet::ForEach(Visit visit) const {
    if (!lengths_ || !text_) {
        return;
    }
    const char* cursor = text_->GetString();
    for (uint32_t i = 0; i + 1 < lengths_->Count(); i += 2) {
        const auto nameLength = static_cast<uint32_t>(lengths_->At(i));
        const auto valueLength = static_cast<uint32_t>(lengths_->At(i + 1));
        visit(AttributeView{cursor, nameLength, cursor + nameLength, valueLength});
        cursor += nameLength + valueLength;
    }
}

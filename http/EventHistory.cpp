#include "http/EventHistory.h"

#include <new>

#include "core/QuorvelObject.h"
#include "core/StringBuffer.h"

namespace {

struct NamedValue : QuorvelObject {
    StringBuffer name;
    StringBuffer value;
};

}  // namespace

EventHistory::EventHistory() {
    entries_.SetOwnsItems(true);
}

EventHistory::~EventHistory() = default;

bool EventHistory::Add(const char* name, const char* value) {
    NamedValue* entry = new (std::nothrow) NamedValue();
    if (!entry || !entry->name.SetString(name) || !entry->value.SetString(value)) {
        delete entry;
        return false;
    }
    CritSecExitor lock(*this);
    if (!entries_.Append(entry)) {
        delete entry;
        return false;
    }
    return true;
}

void EventHistory::Clear() {
    CritSecExitor lock(*this);
    entries_.DeleteAll();
}

uint32_t EventHistory::Count() {
    CritSecExitor lock(*this);
    return entries_.Count();
}

bool EventHistory::Entry(uint32_t index, StringBuffer& name, StringBuffer& value) {
    CritSecExitor lock(*this);
    const NamedValue* entry = entries_.ItemAs<NamedValue>(index);
    if (!entry) {
        return false;
    }
    return name.SetString(entry->name) && value.SetString(entry->value);
}

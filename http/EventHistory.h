#pragma once
// EventHistory: the named events an HTTP object recorded, as name/value pairs in arrival order.
// Its own lock lets a background task add entries while the caller reads them.

#include <cstdint>

#include "core/ExtPtrArray.h"
#include "core/QuorvelCritSec.h"

class StringBuffer;

class EventHistory : public QuorvelCritSec {
public:
    EventHistory();
    ~EventHistory() override;

    // False when memory is exhausted (the entry is then not kept).
    bool Add(const char* name, const char* value);
    void Clear();
    uint32_t Count();
    // Copies entry `index` into name and value; false outside the list.
    bool Entry(uint32_t index, StringBuffer& name, StringBuffer& value);

private:
    ExtPtrArray entries_;
};

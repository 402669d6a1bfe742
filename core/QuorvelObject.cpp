#include "core/QuorvelObject.h"

#include <atomic>

namespace {
std::atomic<uint64_t> g_objectsMade{0};
}

QuorvelObject::QuorvelObject() : creationNumber_(++g_objectsMade) {}

// A copy is a new object and gets a number of its own.
QuorvelObject::QuorvelObject(const QuorvelObject&) : creationNumber_(++g_objectsMade) {}

QuorvelObject::~QuorvelObject() = default;

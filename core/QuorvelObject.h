#pragma once
// Base of the library's internal objects. The virtual destructor lets any object be deleted
// through a base pointer (pointer arrays own their items that way); the creation number, taken
// from one process-wide counter, tells objects apart in diagnostics.

#include <cstdint>

class QuorvelObject {
public:
    QuorvelObject();
    virtual ~QuorvelObject();
    QuorvelObject(const QuorvelObject&);
    QuorvelObject& operator=(const QuorvelObject&) { return *this; }

    uint64_t CreationNumber() const { return creationNumber_; }

private:
    uint64_t creationNumber_;
};

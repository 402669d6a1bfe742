#pragma once
// MimeField: one header field, a name and a value. Names are compared without regard to letter
// case by every lookup; the value is kept as parsed (UTF-8) and may hold any bytes.

#include <cstdint>

#include "core/QuorvelObject.h"
#include "core/StringBuffer.h"

class MimeField : public QuorvelObject {
public:
    MimeField() = default;
    ~MimeField() override;

    const StringBuffer& Name() const { return name_; }
    const StringBuffer& Value() const { return value_; }
    // Whether the name is "User-Agent" in any letter case (mail writers fold that field
    // differently from the others).
    bool IsUserAgent() const { return isUserAgent_; }
    bool NameIs(const char* name) const { return name_.EqualsNoCase(name); }

    // Each returns false when memory is exhausted (the old text then stays).
    bool SetName(const char* bytes, uint32_t count);
    bool SetValue(const char* bytes, uint32_t count);
    bool Set(const StringBuffer& name, const StringBuffer& value);

private:
    StringBuffer name_;
    StringBuffer value_;
    bool isUserAgent_ = false;
};

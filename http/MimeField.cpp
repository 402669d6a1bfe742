#include "http/MimeField.h"

MimeField::~MimeField() = default;

bool MimeField::SetName(const char* bytes, uint32_t count) {
    bool stored = name_.SetBytes(bytes, count);
    isUserAgent_ = name_.EqualsNoCase("User-Agent");
    return stored;
}

bool MimeField::SetValue(const char* bytes, uint32_t count) {
    return value_.SetBytes(bytes, count);
}

bool MimeField::Set(const StringBuffer& name, const StringBuffer& value) {
    return SetName(name.GetString(), name.GetSize()) &&
           SetValue(value.GetString(), value.GetSize());
}

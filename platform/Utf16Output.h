#pragma once
// Somewhere UTF-16 text can be written: a UTF-16LE file, or memory.

#include <string_view>

namespace platform {

class Utf16Output {
public:
    virtual ~Utf16Output() = default;
    virtual void Write(std::u16string_view text) = 0;
};

}  // namespace platform

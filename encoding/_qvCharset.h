#pragma once
// _qvCharset: one charset value, a canonical name and its code page. A new value has code page
// 0 ("no charset") and an empty name.
//   SetByName("Shift_JIS")   -> 932, "shift_jis"
//   SetByName("asmo-449")    -> 709, "" (the code page has no canonical name)
//   SetByName("x-user-defined") or "default" -> 0, "" (CodePageOfName would give 50000)
//   SetByName("ANSI") / ("oem") -> the process's ANSI / OEM code page
// Unknown names and code pages give 0 and "".

#include "core/StringBuffer.h"

class _qvCharset {
public:
    void SetByName(const char* name);  // null changes nothing
    void SetByCodePage(int codePage);

    int GetCodePage() const { return codePage_; }
    const char* GetName() const { return name_.GetString(); }

private:
    void Reset();

    StringBuffer name_;
    int codePage_ = 0;
};

#include "encoding/_qvCharset.h"

#include <cstring>

#include "encoding/CharsetRegistry.h"
#include "platform/SystemInfo.h"

void _qvCharset::SetByName(const char* name) {
    if (!name) {
        return;
    }
    const StringBuffer given(name);
    if (std::strcmp(name, "default") == 0 || std::strcmp(name, "x-user-defined") == 0) {
        Reset();
    } else if (given.EqualsNoCase("ansi")) {
        SetByCodePage(platform::AnsiCodePage());
    } else if (given.EqualsNoCase("oem")) {
        SetByCodePage(platform::OemCodePage());
    } else if (IsKnownCharset(name)) {
        codePage_ = CodePageOfName(name);
        NameOfCodePage(codePage_, name_);
    } else {
        Reset();
    }
    name_.MinimizeMemory();
}

void _qvCharset::SetByCodePage(int codePage) {
    if (NameOfCodePage(codePage, name_)) {
        codePage_ = codePage;
    } else {
        Reset();
    }
}

void _qvCharset::Reset() {
    codePage_ = 0;
    name_.Clear();
}

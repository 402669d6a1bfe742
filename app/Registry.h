#pragma once
// CRegistry: reads one value below HKEY_LOCAL_MACHINE (on Linux, from the registry folder tree of
// the platform layer). The value is taken exactly as stored, into a buffer of 1024 bytes (511
// UTF-16 code units and the terminator); a longer value fails as the registry call would.

#include <string>

class CRegistry {
public:
    // Clears the last-error text, opens the key, reads the value into `out` and closes the key.
    // On failure `out` is untouched and the last-error text says which call failed:
    // "RegOpenKeyEx [<code>]::<message>" or "RegQueryValueEx [<code>]::<message>".
    bool ReadValue(const std::u16string& subKey, const std::u16string& valueName, std::u16string& out);

    const std::u16string& LastError() const { return lastError_; }

private:
    void SetLastError(const char* call, long code);

    std::u16string lastError_;  // at most 1000 characters
};

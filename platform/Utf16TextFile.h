#pragma once
// A text file written as UTF-16 little-endian, the way the C run-time's wide streams opened with
// "ccs=UTF-16LE" write it: a byte-order mark FF FE when the file is created (never when appending
// to a file that exists), and every line feed written as carriage return plus line feed.

#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Utf16Output.h"

namespace platform {

class Utf16TextFile : public Utf16Output {
public:
    enum class Mode {
        Create,  // "w": create or truncate; always starts with the byte-order mark
        Append,  // "a": append; the byte-order mark only when the file is new
    };

    Utf16TextFile() = default;
    ~Utf16TextFile() override;  // flushes and closes
    Utf16TextFile(const Utf16TextFile&) = delete;
    Utf16TextFile& operator=(const Utf16TextFile&) = delete;

    bool Open(const std::string& path, Mode mode);
    bool IsOpen() const { return file_.IsOpen(); }
    // Writes the code units, each line feed as CR LF. Output is buffered until Close.
    void Write(std::u16string_view text) override;
    // Flushes and closes; false when any byte could not be written.
    bool Close();

private:
    void Flush();

    BinaryFile file_;
    std::string pending_;  // encoded bytes not yet written
    bool failed_ = false;
};

}  // namespace platform

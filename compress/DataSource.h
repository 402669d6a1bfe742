#pragma once
// DataSource: where a streaming decoder's input comes from, in reads of a size the decoder
// chooses. The source says when it has nothing more to give.

#include <cstdint>

class LogBase;

class DataSource {
public:
    DataSource() = default;
    virtual ~DataSource();
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;

    // Reads up to `maxBytes` into `buffer` and sets `got` to the number read (0 is allowed).
    // False when the source failed; it explains why in `log`.
    virtual bool ReadSource(unsigned char* buffer, uint32_t maxBytes, uint32_t& got,
                            LogBase& log) = 0;
    // True once every byte has been read.
    virtual bool EndOfStream() const = 0;
};

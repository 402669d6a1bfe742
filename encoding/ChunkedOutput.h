#pragma once
// ChunkedOutput: gathers converted bytes in a 512-byte chunk and appends the chunk to the result
// buffer whenever it fills and at the end, so that the result grows in few steps. Ok() turns
// false once an append has failed (memory exhausted; the buffer's own rule then empties it).

#include <cstddef>
#include <cstdint>

#include "core/DataBuffer.h"

class ChunkedOutput {
public:
    explicit ChunkedOutput(DataBuffer& out) : out_(out) {}
    ~ChunkedOutput() { Flush(); }
    ChunkedOutput(const ChunkedOutput&) = delete;
    ChunkedOutput& operator=(const ChunkedOutput&) = delete;

    // Room for `count` bytes (at most the chunk's 512) at the returned position; Advance(n)
    // keeps the first n of them.
    uint8_t* Room(size_t count) {
        if (used_ + count > sizeof chunk_) {
            Flush();
        }
        return chunk_ + used_;
    }
    void Advance(size_t count) { used_ += count; }
    void Put(uint8_t byte) {
        *Room(1) = byte;
        ++used_;
    }

    bool Flush() {
        if (used_) {
            ok_ &= out_.Append(chunk_, static_cast<uint32_t>(used_));
            used_ = 0;
        }
        return ok_;
    }
    bool Ok() const { return ok_; }

private:
    DataBuffer& out_;
    uint8_t chunk_[512];
    size_t used_ = 0;
    bool ok_ = true;
};

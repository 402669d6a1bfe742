#pragma once
// BitReader: the input side of the inflate decoder. Deflate packs its fields starting at the
// least significant bit of each byte, so the reader keeps a 64-bit buffer whose low `count_`
// bits are the next bits of the stream, in order.
//
// Two ways of filling it:
// - RefillFast (the decoder's hot loop): one unaligned 8-byte load tops the buffer up to 56..63
//   bits without a loop or a branch. It needs 8 readable bytes. The load also
//   leaves bits above `count_`; they are the true next bits of the input, so a later fill that
//   ORs the same bytes in again changes nothing.
// - FillSlow (near the end of the input): byte by byte, never past the end.
//
// Every other operation is a tiny named step (peek, drop, take, drop to a byte boundary) so
// that the decoder reads like the format. Nothing here reads outside [next_, end_).

#include <bit>
#include <cstdint>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "RefillFast reads the input as little-endian words");

class BitReader {
public:
    // Points the reader at new input; the bits already in the buffer are kept (they precede it).
    void SetInput(const unsigned char* next, const unsigned char* end) {
        next_ = next;
        end_ = end;
    }
    // Forgets everything: no input, no buffered bits.
    void Clear() { *this = BitReader(); }

    const unsigned char* Next() const { return next_; }
    size_t BytesLeft() const { return static_cast<size_t>(end_ - next_); }
    uint32_t BitsAvailable() const { return count_; }

    // At least 56 bits afterwards. Only with 8 or more bytes left.
    void RefillFast() {
        uint64_t word;
        std::memcpy(&word, next_, 8);  // one unaligned load; little-endian hosts only
        bits_ |= word << count_;
        next_ += (63 - count_) >> 3;
        count_ |= 56;
    }

    // As many whole bytes as fit (up to 57..64 bits), fewer when the input ends.
    void FillSlow() {
        while (count_ <= 56 && next_ < end_) {
            bits_ |= uint64_t{*next_++} << count_;
            count_ += 8;
        }
    }

    // Makes at least n bits (n <= 57) available if the input has them; false when it ends first.
    bool Ensure(uint32_t n) {
        if (count_ < n) {
            FillSlow();
        }
        return count_ >= n;
    }

    // The next n bits (n <= 32), or those `offset` bits further on; nothing is consumed. Bits
    // past the available ones read as the input's next bits or as zeros.
    uint32_t Peek(uint32_t n) const { return static_cast<uint32_t>(bits_ & LowMask(n)); }
    uint32_t PeekAt(uint32_t offset, uint32_t n) const {
        return static_cast<uint32_t>((bits_ >> offset) & LowMask(n));
    }
    void Drop(uint32_t n) {
        bits_ >>= n;
        count_ -= n;
    }
    uint32_t Take(uint32_t n) {
        const uint32_t value = Peek(n);
        Drop(n);
        return value;
    }
    // Bits left in the current byte: dropping them reaches a byte boundary (whole bytes are
    // loaded, so the buffer's count is a multiple of 8 exactly at a boundary).
    uint32_t BitsToByteBoundary() const { return count_ & 7; }

    // Copies n whole input bytes (n <= BytesLeft()) straight from the input. Only at a byte
    // boundary with an empty buffer; the stale bits of a fast refill are discarded first,
    // because they describe bytes that are now being consumed directly.
    void TakeBytes(unsigned char* destination, size_t n) {
        bits_ = 0;
        if (n) {
            std::memcpy(destination, next_, n);
            next_ += n;
        }
    }

private:
    static uint64_t LowMask(uint32_t n) { return (uint64_t{1} << n) - 1; }

    uint64_t bits_ = 0;
    uint32_t count_ = 0;
    const unsigned char* next_ = nullptr;
    const unsigned char* end_ = nullptr;
};

#pragma once
// DataBuffer: a growable buffer of arbitrary bytes (records, bodies, keys, UTF-16 text).
//
// Contract:
// - Appends return false instead of throwing. When memory is exhausted while the buffer grows,
//   the buffer is emptied (its block freed, length and capacity 0) and the append reports false.
//   A request whose size does not fit in 32 bits is refused and leaves the buffer unchanged.
// - A buffer may borrow someone else's bytes; it never frees or writes them. Growing it, or any
//   operation that changes bytes in place, first copies them into a block of its own.
// - A buffer holding UTF-16 text keeps a 2-byte zero terminator after the text.
// - Every operation checks the validity marker first and stops the process when it is wrong.
//
// Growth for appends of n bytes onto L bytes: L + 12000000, 8000000, 4000000, 3000000, 2000000,
// 1000000, 100000 or 50000 once L has reached that step (and n is below it), else L plus the
// larger of n and 20000. One byte reserves L + 10000, a repeated byte L + n + 10000, one UTF-8
// character L + 20000.

#include <cstdint>
#include <string>

#include "core/QuorvelObject.h"

class DataBuffer : public QuorvelObject {
public:
    DataBuffer();  // no storage
    explicit DataBuffer(uint32_t zeroFilledCapacity);
    DataBuffer(const DataBuffer& other);  // an owning copy
    DataBuffer& operator=(const DataBuffer& other);
    ~DataBuffer() override;

    // A buffer over bytes that belong to the caller and must outlive it.
    static DataBuffer Borrowing(const void* bytes, uint32_t count);

    // --- access
    const unsigned char* GetData() const;  // null when the buffer has no storage
    unsigned char* GetMutableData();       // makes borrowed bytes the buffer's own first
    uint32_t GetSize() const;
    uint32_t GetCapacity() const;
    bool IsBorrowed() const;
    const unsigned char* ByteAt(uint32_t index) const;  // null outside the bytes in use
    unsigned char FirstByte() const;                    // 0 when empty
    unsigned char LastByte() const;                     // 0 when empty

    // --- append
    bool Append(const void* bytes, uint32_t count);
    bool AppendByte(unsigned char byte);
    bool AppendByteN(unsigned char byte, uint32_t count);
    bool Append(const DataBuffer& other);
    bool AppendUtf16String(
        const char16_t* text);                // with its 2-byte terminator; null appends it alone
    bool AppendUtf8Char(uint32_t codePoint);  // 1 to 4 bytes; false above U+10FFFF

    // --- set
    void Clear();                   // length 0, storage kept
    void SecureClear();             // zero-fills the storage, then length 0
    bool SetSize(uint32_t length);  // not above the capacity
    void Shorten(uint32_t count);   // drops the last count bytes (all when count >= length)
    // Hands the block to the caller (free it with qvmem::Free); the buffer becomes empty.
    // Borrowed bytes are copied first. Null when the buffer has no storage.
    unsigned char* TakeStorage();
    // Exchanges the contents (bytes, storage and borrowing) of the two buffers.
    void Swap(DataBuffer& other);

    // --- capacity
    bool EnsureCapacity(uint32_t capacity);  // reserves exactly `capacity` when it is larger
    void MinimizeMemory();                   // shrinks to length + 4

    // --- transform
    void ReplaceByte(unsigned char from, unsigned char to);
    void Reverse();
    void ReplaceUtf16Unit(char16_t from, char16_t to);
    // Cuts UTF-16 text at the first occurrence of the unit; the terminator is put back.
    bool TruncateUtf16AtUnit(char16_t unit);
    bool XorWith(const DataBuffer& other);  // false unless both have the same length

    // --- compare
    bool Equals(const DataBuffer& other) const;
    bool Equals(const void* bytes, uint32_t count) const;

    // --- files
    // Replaces the contents by the whole file; a short read is a failure (contents cleared).
    bool LoadFile(const std::string& path);

private:
    void CheckAlive() const;
    bool ReserveExactly(uint64_t capacity);
    bool EnsureRoomFor(uint32_t count, uint64_t capacityIfShort);
    bool MakeOwn();
    void ReleaseBlock();

    uint8_t marker_;
    bool borrowed_;
    unsigned char* data_;
    uint32_t length_;
    uint32_t capacity_;
};

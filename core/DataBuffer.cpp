#include "core/DataBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/Memory.h"
#include "platform/FileSystem.h"

namespace {

constexpr uint8_t kAliveMarker = 0xDB;

// The capacity an append of `count` bytes onto `length` bytes reserves when it does not fit.
uint64_t GrowthCapacity(uint64_t length, uint64_t count) {
    static const uint64_t kSteps[] = {12000000, 8000000, 4000000, 3000000,
                                      2000000,  1000000, 100000,  50000};
    for (uint64_t step : kSteps) {
        if (count < step && length >= step) {
            return length + step;
        }
    }
    return length + std::max<uint64_t>(count, 20000);
}

}  // namespace

DataBuffer::DataBuffer()
    : marker_(kAliveMarker), borrowed_(false), data_(nullptr), length_(0), capacity_(0) {}

DataBuffer::DataBuffer(uint32_t zeroFilledCapacity) : DataBuffer() {
    if (zeroFilledCapacity && ReserveExactly(zeroFilledCapacity)) {
        std::memset(data_, 0, capacity_);
    }
}

DataBuffer::DataBuffer(const DataBuffer& other) : DataBuffer() {
    Append(other);
}

DataBuffer& DataBuffer::operator=(const DataBuffer& other) {
    if (this != &other) {
        Clear();
        Append(other);
    }
    return *this;
}

DataBuffer::~DataBuffer() {
    CheckAlive();
    ReleaseBlock();
    marker_ = 0;
}

DataBuffer DataBuffer::Borrowing(const void* bytes, uint32_t count) {
    DataBuffer buffer;
    buffer.borrowed_ = true;
    buffer.data_ = static_cast<unsigned char*>(const_cast<void*>(bytes));
    buffer.length_ = bytes ? count : 0;
    buffer.capacity_ = buffer.length_;
    return buffer;
}

void DataBuffer::CheckAlive() const {
    if (marker_ != kAliveMarker) {
        std::abort();  // a destroyed or overwritten buffer: continuing would corrupt memory
    }
}

void DataBuffer::ReleaseBlock() {
    if (data_ && !borrowed_) {
        qvmem::Free(data_);
    }
    data_ = nullptr;
    borrowed_ = false;
}

bool DataBuffer::ReserveExactly(uint64_t capacity) {
    if (capacity > UINT32_MAX) {
        return false;
    }
    auto* block = static_cast<unsigned char*>(qvmem::Allocate(static_cast<size_t>(capacity)));
    if (!block) {
        ReleaseBlock();
        length_ = 0;
        capacity_ = 0;
        return false;
    }
    if (length_) {
        std::memcpy(block, data_, length_);
    }
    ReleaseBlock();
    data_ = block;
    capacity_ = static_cast<uint32_t>(capacity);
    return true;
}

bool DataBuffer::EnsureRoomFor(uint32_t count, uint64_t capacityIfShort) {
    if (uint64_t{length_} + count <= capacity_ && !borrowed_) {
        return true;
    }
    if (uint64_t{length_} + count > UINT32_MAX) {
        return false;
    }
    if (uint64_t{length_} + count <= capacity_) {
        capacityIfShort = capacity_;  // borrowed and big enough: copy at the same size
    }
    return ReserveExactly(std::min<uint64_t>(capacityIfShort, UINT32_MAX));
}

bool DataBuffer::MakeOwn() {
    return !borrowed_ || ReserveExactly(capacity_ ? capacity_ : 1);
}

// ---------------------------------------------------------------- access

const unsigned char* DataBuffer::GetData() const {
    CheckAlive();
    return data_;
}

unsigned char* DataBuffer::GetMutableData() {
    CheckAlive();
    return MakeOwn() ? data_ : nullptr;
}

uint32_t DataBuffer::GetSize() const {
    CheckAlive();
    return length_;
}

uint32_t DataBuffer::GetCapacity() const {
    CheckAlive();
    return capacity_;
}

bool DataBuffer::IsBorrowed() const {
    CheckAlive();
    return borrowed_;
}

const unsigned char* DataBuffer::ByteAt(uint32_t index) const {
    CheckAlive();
    return index < length_ ? data_ + index : nullptr;
}

unsigned char DataBuffer::FirstByte() const {
    CheckAlive();
    return length_ ? data_[0] : 0;
}

unsigned char DataBuffer::LastByte() const {
    CheckAlive();
    return length_ ? data_[length_ - 1] : 0;
}

// ---------------------------------------------------------------- append

bool DataBuffer::Append(const void* bytes, uint32_t count) {
    CheckAlive();
    if (count == 0) {
        return true;
    }
    if (!bytes) {
        return false;
    }
    // The source may lie inside this buffer; keep it alive across a reallocation.
    const bool aliasing = data_ && bytes >= data_ && bytes < data_ + capacity_;
    if (aliasing && uint64_t{length_} + count > capacity_) {
        DataBuffer copy;
        return copy.Append(bytes, count) && Append(copy.data_, copy.length_);
    }
    if (!EnsureRoomFor(count, GrowthCapacity(length_, count))) {
        return false;
    }
    std::memmove(data_ + length_, bytes, count);
    length_ += count;
    return true;
}

bool DataBuffer::AppendByte(unsigned char byte) {
    CheckAlive();
    if (!EnsureRoomFor(1, uint64_t{length_} + 10000)) {
        return false;
    }
    data_[length_++] = byte;
    return true;
}

bool DataBuffer::AppendByteN(unsigned char byte, uint32_t count) {
    CheckAlive();
    if (count == 0) {
        return true;
    }
    if (!EnsureRoomFor(count, uint64_t{length_} + count + 10000)) {
        return false;
    }
    std::memset(data_ + length_, byte, count);
    length_ += count;
    return true;
}

bool DataBuffer::Append(const DataBuffer& other) {
    if (&other == this) {
        const DataBuffer copy(other);
        return Append(copy.data_, copy.length_);
    }
    return Append(other.GetData(), other.GetSize());
}

bool DataBuffer::AppendUtf16String(const char16_t* text) {
    size_t units = 0;
    while (text && text[units] != 0) {
        ++units;
    }
    if ((units + 1) * 2 > UINT32_MAX) {
        return false;
    }
    const char16_t terminator = 0;
    return Append(text ? static_cast<const void*>(text) : &terminator,
                  static_cast<uint32_t>(units * 2)) &&
           Append(&terminator, 2);
}

bool DataBuffer::AppendUtf8Char(uint32_t codePoint) {
    CheckAlive();
    unsigned char bytes[4];
    uint32_t count;
    if (codePoint < 0x80) {
        bytes[0] = static_cast<unsigned char>(codePoint);
        count = 1;
    } else if (codePoint < 0x800) {
        bytes[0] = static_cast<unsigned char>(0xC0 | (codePoint >> 6));
        bytes[1] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
        count = 2;
    } else if (codePoint < 0x10000) {
        bytes[0] = static_cast<unsigned char>(0xE0 | (codePoint >> 12));
        bytes[1] = static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F));
        bytes[2] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
        count = 3;
    } else if (codePoint <= 0x10FFFF) {
        bytes[0] = static_cast<unsigned char>(0xF0 | (codePoint >> 18));
        bytes[1] = static_cast<unsigned char>(0x80 | ((codePoint >> 12) & 0x3F));
        bytes[2] = static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F));
        bytes[3] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
        count = 4;
    } else {
        return false;
    }
    if (!EnsureRoomFor(count, uint64_t{length_} + 20000)) {
        return false;
    }
    std::memcpy(data_ + length_, bytes, count);
    length_ += count;
    return true;
}

// ---------------------------------------------------------------- set

void DataBuffer::Clear() {
    CheckAlive();
    length_ = 0;
}

void DataBuffer::SecureClear() {
    CheckAlive();
    if (data_ && !borrowed_) {
        std::memset(data_, 0, capacity_);
    }
    length_ = 0;
}

bool DataBuffer::SetSize(uint32_t length) {
    CheckAlive();
    if (length > capacity_) {
        return false;
    }
    if (length > length_ && !MakeOwn()) {
        return false;
    }
    length_ = length;
    return true;
}

void DataBuffer::Shorten(uint32_t count) {
    CheckAlive();
    length_ -= std::min(count, length_);
}

unsigned char* DataBuffer::TakeStorage() {
    CheckAlive();
    if (!data_ || !MakeOwn()) {
        return nullptr;
    }
    unsigned char* taken = data_;
    data_ = nullptr;
    length_ = 0;
    capacity_ = 0;
    return taken;
}

void DataBuffer::Swap(DataBuffer& other) {
    CheckAlive();
    other.CheckAlive();
    std::swap(borrowed_, other.borrowed_);
    std::swap(data_, other.data_);
    std::swap(length_, other.length_);
    std::swap(capacity_, other.capacity_);
}

// ---------------------------------------------------------------- capacity

bool DataBuffer::EnsureCapacity(uint32_t capacity) {
    CheckAlive();
    return capacity <= capacity_ || ReserveExactly(capacity);
}

void DataBuffer::MinimizeMemory() {
    CheckAlive();
    if (!data_ || borrowed_ || capacity_ <= uint64_t{length_} + 4) {
        return;
    }
    auto* block = static_cast<unsigned char*>(qvmem::Allocate(length_ + 4));
    if (!block) {
        return;  // keep the larger block rather than lose the bytes
    }
    std::memcpy(block, data_, length_);
    ReleaseBlock();
    data_ = block;
    capacity_ = length_ + 4;
}

// ---------------------------------------------------------------- transform

void DataBuffer::ReplaceByte(unsigned char from, unsigned char to) {
    CheckAlive();
    if (!length_ || !MakeOwn()) {
        return;
    }
    std::replace(data_, data_ + length_, from, to);
}

void DataBuffer::Reverse() {
    CheckAlive();
    if (!length_ || !MakeOwn()) {
        return;
    }
    std::reverse(data_, data_ + length_);
}

void DataBuffer::ReplaceUtf16Unit(char16_t from, char16_t to) {
    CheckAlive();
    if (length_ < 2 || !MakeOwn()) {
        return;
    }
    for (uint32_t i = 0; i + 1 < length_; i += 2) {
        const auto unit = static_cast<char16_t>(data_[i] | (data_[i + 1] << 8));
        if (unit == from) {
            data_[i] = static_cast<unsigned char>(to & 0xFF);
            data_[i + 1] = static_cast<unsigned char>(to >> 8);
        }
    }
}

bool DataBuffer::TruncateUtf16AtUnit(char16_t unit) {
    CheckAlive();
    for (uint32_t i = 0; i + 1 < length_; i += 2) {
        const auto current = static_cast<char16_t>(data_[i] | (data_[i + 1] << 8));
        if (current == 0) {
            return false;  // reached the terminator
        }
        if (current == unit) {
            if (!MakeOwn()) {
                return false;
            }
            data_[i] = 0;
            data_[i + 1] = 0;
            length_ = i + 2;
            return true;
        }
    }
    return false;
}

bool DataBuffer::XorWith(const DataBuffer& other) {
    CheckAlive();
    if (other.GetSize() != length_ || !MakeOwn()) {
        return false;
    }
    const unsigned char* in = other.GetData();
    for (uint32_t i = 0; i < length_; ++i) {
        data_[i] ^= in[i];
    }
    return true;
}

// ---------------------------------------------------------------- compare

bool DataBuffer::Equals(const DataBuffer& other) const {
    return Equals(other.GetData(), other.GetSize());
}

bool DataBuffer::Equals(const void* bytes, uint32_t count) const {
    CheckAlive();
    return count == length_ && (count == 0 || std::memcmp(data_, bytes, count) == 0);
}

// ---------------------------------------------------------------- files

bool DataBuffer::LoadFile(const std::string& path) {
    CheckAlive();
    Clear();
    platform::BinaryFile file;
    if (!file.Open(path, platform::BinaryFile::Mode::Read)) {
        return false;
    }
    const auto size = file.Size();
    if (!size || *size >= UINT32_MAX) {
        return false;
    }
    const auto count = static_cast<uint32_t>(*size);
    if (count == 0) {
        return true;
    }
    if (!EnsureCapacity(count) || !MakeOwn()) {
        return false;
    }
    if (file.Read(data_, count) != count) {
        length_ = 0;
        return false;
    }
    length_ = count;
    return true;
}

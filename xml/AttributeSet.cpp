#include "xml/AttributeSet.h"

#include <cstring>
#include <new>

namespace {
constexpr uint32_t kInitialLengthSlots = 6;
constexpr uint32_t kLengthGrowBy = 15;
constexpr uint32_t kInitialTextCapacity = 50;
constexpr uint32_t kRemoveAllLimit = 101;
constexpr uint32_t kMaxPieceLength = INT32_MAX;  // lengths are stored as 32-bit signed numbers
}  // namespace

AttributeSet::AttributeSet() : lengths_(nullptr), text_(nullptr) {}

AttributeSet::~AttributeSet() {
    delete lengths_;
    delete text_;
}

bool AttributeSet::Add(const char* name, uint32_t nameLength, const char* value, uint32_t valueLength) {
    if (!name || nameLength == 0 || nameLength > kMaxPieceLength || valueLength > kMaxPieceLength) {
        return false;
    }
    if (!value) {
        valueLength = 0;
    }
    if (!lengths_) {
        lengths_ = new (std::nothrow) ExtIntArray(kInitialLengthSlots, kLengthGrowBy);
        if (!lengths_ || lengths_->Capacity() == 0) {
            delete lengths_;
            lengths_ = nullptr;
            return false;
        }
    }
    if (!text_) {
        text_ = new (std::nothrow) StringBuffer(StringBuffer::WithCapacity(kInitialTextCapacity));
        if (!text_) {
            return false;
        }
    }
    const uint32_t textBefore = text_->GetSize();
    const uint32_t countBefore = lengths_->Count();
    if (!text_->AppendN(name, nameLength) || !text_->AppendN(value, valueLength) ||
        !lengths_->Append(static_cast<int32_t>(nameLength)) ||
        !lengths_->Append(static_cast<int32_t>(valueLength))) {
        text_->Shorten(text_->GetSize() - textBefore);
        lengths_->RemoveRange(countBefore, lengths_->Count() - countBefore);
        return false;
    }
    return true;
}

uint32_t AttributeSet::Count() const { return lengths_ ? lengths_->Count() / 2 : 0; }

bool AttributeSet::At(uint32_t index, AttributeView& out) const {
    uint32_t seen = 0;
    bool found = false;
    ForEach([&](const AttributeView& pair) {
        if (!found && seen++ == index) {
            out = pair;
            found = true;
        }
    });
    return found;
}

bool AttributeSet::Find(const char* name, uint32_t nameLength, AttributeView& pair) const {
    bool found = false;
    ForEach([&](const AttributeView& candidate) {
        if (!found && candidate.nameLength == nameLength &&
            std::memcmp(candidate.name, name, nameLength) == 0) {
            pair = candidate;
            found = true;
        }
    });
    return found;
}

bool AttributeSet::Has(const char* name, uint32_t nameLength) const {
    AttributeView pair{};
    return Find(name, nameLength, pair);
}

bool AttributeSet::GetValue(const char* name, StringBuffer& value) const {
    value.Clear();
    AttributeView pair{};
    if (!name || !Find(name, static_cast<uint32_t>(std::strlen(name)), pair)) {
        return false;
    }
    value.AppendN(pair.value, pair.valueLength);
    return true;
}

bool AttributeSet::RemoveFirst(const char* name, uint32_t nameLength) {
    AttributeView pair{};
    if (!Find(name, nameLength, pair)) {
        return false;
    }
    // The pair's place in both arrays follows from its position in the text.
    const auto offset = static_cast<uint32_t>(pair.name - text_->GetString());
    uint32_t slot = 0;
    for (uint32_t passed = 0; passed < offset; slot += 2) {
        passed += static_cast<uint32_t>(lengths_->At(slot)) + static_cast<uint32_t>(lengths_->At(slot + 1));
    }
    text_->RemoveRange(offset, pair.nameLength + pair.valueLength);
    lengths_->RemoveRange(slot, 2);
    return true;
}

void AttributeSet::RemoveAll(const char* name, uint32_t nameLength) {
    for (uint32_t i = 0; i < kRemoveAllLimit && RemoveFirst(name, nameLength); ++i) {
    }
}

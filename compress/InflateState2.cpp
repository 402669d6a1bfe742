#include "compress/InflateState2.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "compress/DataSink.h"
#include "compress/DataSource.h"
#include "compress/MemoryDataSink.h"
#include "core/LogBase.h"
#include "core/Memory.h"

using namespace huffman;

namespace {

// The fixed-Huffman code of deflate, built once per process and shared by every decoder.
struct FixedTables {
    InflateState2::LiteralLengthTable literals;
    InflateState2::DistanceTable distances;

    FixedTables() {
        uint8_t lengths[288];
        std::fill(lengths, lengths + 144, 8);
        std::fill(lengths + 144, lengths + 256, 9);
        std::fill(lengths + 256, lengths + 280, 7);
        std::fill(lengths + 280, lengths + 288, 8);
        literals.Build(HuffmanTable::Alphabet::LiteralLength, lengths, 288);
        std::fill(lengths, lengths + 32, 5);
        distances.Build(HuffmanTable::Alphabet::Distance, lengths, 32);
    }
};

const FixedTables& Fixed() {
    static const FixedTables tables;  // thread-safe first construction
    return tables;
}

// The order in which a dynamic block sends the lengths of the code-length code.
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                          11, 4,  12, 3, 13, 2, 14, 1, 15};

// A log context that is opened only when verbose logging is on.
class VerboseContext {
public:
    VerboseContext(LogBase& log, bool verbose, const char* name) : log_(verbose ? &log : nullptr) {
        if (log_) {
            log_->OpenContext(name);
        }
    }
    ~VerboseContext() {
        if (log_) {
            log_->CloseContext();
        }
    }
    VerboseContext(const VerboseContext&) = delete;
    VerboseContext& operator=(const VerboseContext&) = delete;

private:
    LogBase* log_;
};

// Looks up the code that starts `used` bits into the reader's buffer and adds the bits it
// consumes to `used`. The caller checks `used` against the bits available afterwards.
uint32_t LookupAt(const HuffmanTable& table, const BitReader& in, uint32_t& used) {
    const uint32_t* entries = table.Entries();
    uint32_t entry = entries[in.PeekAt(used, table.RootBits())];
    if (entry & kSubtable) {
        used += table.RootBits();
        entry = entries[Value(entry) + in.PeekAt(used, ExtraBits(entry))];
    }
    used += CodeBits(entry);
    return entry;
}

// Decodes one symbol in the hot loop, where enough bits are known to be there: one lookup,
// a second one for a long code, and the code's bits dropped.
inline uint32_t TakeSymbol(const uint32_t* entries, uint32_t rootBits, BitReader& in) {
    uint32_t entry = entries[in.Peek(rootBits)];
    if (entry & kSubtable) {
        in.Drop(rootBits);
        entry = entries[Value(entry) + in.Peek(ExtraBits(entry))];
    }
    in.Drop(CodeBits(entry));
    return entry;
}

// Copies a back reference of `length` bytes from `distance` bytes back, in whole 16- or 8-byte
// words (a word never overlaps its own source when the distance is at least its size). It may
// write up to 15 bytes past the end of the copy: the window has slack for that, and the bytes
// past the end are overwritten by later output before anything reads them.
inline void CopyMatch(unsigned char* out, uint32_t distance, uint32_t length) {
    const unsigned char* from = out - distance;
    unsigned char* const end = out + length;
    if (distance >= 16) {
        do {
            std::memcpy(out, from, 16);
            out += 16;
            from += 16;
        } while (out < end);
        return;
    }
    if (distance == 1) {
        std::memset(out, *from, length);
        return;
    }
    if (distance < 8) {
        // The copy repeats the last `distance` bytes, so it also repeats with a period of 8 or
        // more (a multiple of the distance). Word stores that advance by `distance` make the
        // first bytes of that longer period; from there whole words can be copied.
        static constexpr uint8_t kWordPeriod[8] = {0, 0, 8, 9, 8, 10, 12, 14};
        const uint32_t period = kWordPeriod[distance];
        unsigned char* const periodStart = out + period - distance;
        while (out < periodStart) {
            uint64_t word;
            std::memcpy(&word, out - distance, 8);
            std::memcpy(out, &word, 8);
            out += distance;
        }
        from = out - period;
    }
    while (out < end) {
        std::memcpy(out, from, 8);
        out += 8;
        from += 8;
    }
}

}  // namespace

InflateState2::InflateState2() { Fixed(); }

InflateState2::~InflateState2() = default;

void InflateState2::reset(uint32_t flushSize) {
    state_ = State::BlockHeader;
    lastBlock_ = false;
    error_ = false;
    sink_ = nullptr;
    input_.Clear();
    storedLeft_ = 0;
    queue_.Clear();
    flushSize_ = flushSize;
    // The last 32 KB of output become the history of the next stream.
    std::memmove(window_, window_ + out_ - kWindowSize, kWindowSize);
    out_ = kWindowSize;
    flushed_ = kWindowSize;
}

// ---------------------------------------------------------------- the state machine
//
// Run() is the whole decoder: it calls the step of the current state until the state is
// Finished or Stopped, or a step finds that the input ends before its next item. Each step
// either consumes one whole item and moves on (possibly to another state), or consumes nothing
// and asks for input; so the machine can stop at any item boundary and resume there when more
// input arrives, with nothing but the state, the bit buffer and the window to remember.

void InflateState2::Run() {
    const FixedTables& fixed = Fixed();
    for (;;) {
        Step step = Step::Progress;
        switch (state_) {
            case State::BlockHeader: step = ReadBlockHeader(); break;
            case State::StoredHeader: step = ReadStoredHeader(); break;
            case State::FixedHeader: state_ = State::FixedData; break;
            case State::DynamicHeader: step = ReadDynamicHeader(); break;
            case State::DynamicCodeLengthCode: step = ReadCodeLengthCode(); break;
            case State::DynamicCodeLengths: step = ReadCodeLengths(); break;
            case State::StoredData: step = CopyStoredData(); break;
            case State::FixedData: step = DecodeBlockData(fixed.literals, fixed.distances); break;
            case State::DynamicData: step = DecodeBlockData(literalTable_, distanceTable_); break;
            case State::Finished:
            case State::Stopped: return;
        }
        if (step == Step::NeedInput) {
            return;
        }
    }
}

void InflateState2::EndBlock() { state_ = lastBlock_ ? State::Finished : State::BlockHeader; }

InflateState2::Step InflateState2::ReadBlockHeader() {
    if (!input_.Ensure(3)) {
        return Step::NeedInput;
    }
    lastBlock_ = input_.Take(1) != 0;
    const uint32_t type = input_.Take(2);
    switch (type) {
        case 0: state_ = State::StoredHeader; break;
        case 1: state_ = State::FixedHeader; break;
        case 2: state_ = State::DynamicHeader; break;
        default:
            if (verbose_) {
                log_->AddDataInt("inflateBuffer_blockType", static_cast<int32_t>(type));
                log_->AddInfo("return_3");
            }
            Stop();
            break;
    }
    return Step::Progress;
}

// ---------------------------------------------------------------- stored blocks

InflateState2::Step InflateState2::ReadStoredHeader() {
    const uint32_t padding = input_.BitsToByteBoundary();
    if (!input_.Ensure(padding + 32)) {
        return Step::NeedInput;
    }
    input_.Drop(padding);
    const uint32_t length = input_.Take(16);
    const uint32_t complement = input_.Take(16);
    if (length != (~complement & 0xFFFF)) {
        Stop();
        return Step::Progress;
    }
    storedLeft_ = length;
    state_ = State::StoredData;
    return Step::Progress;
}

// Stored bytes are copied as they are: first the whole bytes already in the bit buffer, then
// straight from the input, as much at a time as the piece and the input allow.
InflateState2::Step InflateState2::CopyStoredData() {
    while (storedLeft_) {
        if (PieceFull() && !FlushPiece()) {
            return Step::Progress;
        }
        uint32_t room = kPieceEnd - out_;
        while (storedLeft_ && room && input_.BitsAvailable() >= 8) {
            window_[out_++] = static_cast<unsigned char>(input_.Take(8));
            --storedLeft_;
            --room;
        }
        if (!storedLeft_ || !room) {
            continue;
        }
        // The bit buffer is empty now: the rest comes straight from the input.
        const size_t count = std::min<size_t>({storedLeft_, room, input_.BytesLeft()});
        if (count == 0) {
            return Step::NeedInput;
        }
        input_.TakeBytes(window_ + out_, count);
        out_ += static_cast<uint32_t>(count);
        storedLeft_ -= static_cast<uint32_t>(count);
    }
    EndBlock();
    return Step::Progress;
}

// ---------------------------------------------------------------- dynamic block headers

InflateState2::Step InflateState2::ReadDynamicHeader() {
    if (!input_.Ensure(14)) {
        return Step::NeedInput;
    }
    literalCodes_ = input_.Take(5) + 257;
    distanceCodes_ = input_.Take(5) + 1;
    codeLengthCodes_ = input_.Take(4) + 4;
    std::fill(std::begin(codeLengthLengths_), std::end(codeLengthLengths_), 0);
    lengthsRead_ = 0;
    state_ = State::DynamicCodeLengthCode;
    return Step::Progress;
}

InflateState2::Step InflateState2::ReadCodeLengthCode() {
    for (; lengthsRead_ < codeLengthCodes_; ++lengthsRead_) {
        if (!input_.Ensure(3)) {
            return Step::NeedInput;
        }
        codeLengthLengths_[kCodeLengthOrder[lengthsRead_]] = static_cast<uint8_t>(input_.Take(3));
    }
    switch (codeLengthTable_.Build(HuffmanTable::Alphabet::CodeLengths, codeLengthLengths_, 19)) {
        case HuffmanTable::BuildResult::Complete:
            lengthsRead_ = 0;
            state_ = State::DynamicCodeLengths;
            break;
        case HuffmanTable::BuildResult::InternalFault:
            error_ = true;
            Stop();
            break;
        default:  // an incomplete or over-subscribed code-length code
            Stop();
            break;
    }
    return Step::Progress;
}

// Code lengths 0..15 are sent as they are; 16 repeats the previous length 3..6 times, 17 and
// 18 give runs of 3..10 and 11..138 zeros. One run may cross from the literal/length lengths
// into the distance lengths (they form one sequence), but not past the end.
InflateState2::Step InflateState2::ReadCodeLengths() {
    const uint32_t total = literalCodes_ + distanceCodes_;
    while (lengthsRead_ < total) {
        input_.FillSlow();  // the longest item is a 7-bit code with 7 extra bits
        const uint32_t available = input_.BitsAvailable();
        uint32_t used = 0;
        const uint32_t entry = LookupAt(codeLengthTable_, input_, used);
        if (used > available) {
            return Step::NeedInput;
        }
        if (entry & kInvalid) {  // a complete code-length code has no such entry
            Stop();
            return Step::Progress;
        }
        const uint32_t symbol = Value(entry);
        if (symbol < 16) {
            input_.Drop(used);
            codeLengths_[lengthsRead_++] = static_cast<uint8_t>(symbol);
            continue;
        }
        const uint32_t extraBits = symbol == 16 ? 2 : symbol == 17 ? 3 : 7;
        if (used + extraBits > available) {
            return Step::NeedInput;
        }
        const uint32_t repeat = (symbol == 18 ? 11 : 3) + input_.PeekAt(used, extraBits);
        if ((symbol == 16 && lengthsRead_ == 0) || lengthsRead_ + repeat > total) {
            Stop();
            return Step::Progress;
        }
        input_.Drop(used + extraBits);
        const uint8_t length = symbol == 16 ? codeLengths_[lengthsRead_ - 1] : 0;
        std::fill(codeLengths_ + lengthsRead_, codeLengths_ + lengthsRead_ + repeat, length);
        lengthsRead_ += repeat;
    }

    // An incomplete literal/length code ends decoding, an incomplete distance code does not
    // (its unassigned patterns stay invalid); an over-subscribed distance code leaves no
    // distance table at all, so the block ends at its first back reference.
    const auto literals =
        literalTable_.Build(HuffmanTable::Alphabet::LiteralLength, codeLengths_, literalCodes_);
    const auto distances = distanceTable_.Build(HuffmanTable::Alphabet::Distance,
                                                codeLengths_ + literalCodes_, distanceCodes_);
    if (literals == HuffmanTable::BuildResult::InternalFault ||
        distances == HuffmanTable::BuildResult::InternalFault) {
        error_ = true;
        Stop();
    } else if (literals != HuffmanTable::BuildResult::Complete) {
        Stop();
    } else {
        state_ = State::DynamicData;
    }
    return Step::Progress;
}

// ---------------------------------------------------------------- Huffman-coded data

InflateState2::Step InflateState2::DecodeBlockData(const HuffmanTable& literals,
                                                   const HuffmanTable& distances) {
    const State dataState = state_;
    for (;;) {
        if (PieceFull() && !FlushPiece()) {
            return Step::Progress;
        }
        if (input_.BytesLeft() >= kFastInputMargin) {
            if (!DecodeFast(literals, distances)) {
                return Step::Progress;
            }
            continue;
        }
        if (DecodeOneSlow(literals, distances) == Step::NeedInput) {
            return Step::NeedInput;
        }
        if (state_ != dataState) {
            return Step::Progress;
        }
    }
}

// The hot loop. Everything it touches is copied into locals so that the compiler keeps it in
// registers. Each pass refills the bit buffer once (one 8-byte load gives 56 or more bits) and
// decodes one literal or one length/distance pair, which needs at most 15 + 5 + 15 + 13 = 48
// bits; so no pass checks the input, and the only per-symbol tests are the entry's flags.
// The loop runs while 16 bytes of input are left (one load reads 8) and the piece has room
// (a back reference may run up to 258 + 15 bytes past it, into the window's slack).
bool InflateState2::DecodeFast(const HuffmanTable& literals, const HuffmanTable& distances) {
    BitReader in = input_;
    unsigned char* out = window_ + out_;
    unsigned char* const pieceEnd = window_ + kPieceEnd;
    const uint32_t* const literalEntries = literals.Entries();
    const uint32_t* const distanceEntries = distances.Entries();
    const uint32_t literalRoot = literals.RootBits();
    const uint32_t distanceRoot = distances.RootBits();
    bool blockGoesOn = true;

    while (out < pieceEnd && in.BytesLeft() >= kFastInputMargin) {
        in.RefillFast();
        const uint32_t entry = TakeSymbol(literalEntries, literalRoot, in);
        if (entry & kLiteral) {
            *out++ = static_cast<unsigned char>(Value(entry));
            continue;
        }
        if (entry & (kEndOfBlock | kInvalid)) {
            if (entry & kEndOfBlock) {
                EndBlock();
            } else {
                Stop();
            }
            blockGoesOn = false;
            break;
        }
        const uint32_t length = Value(entry) + in.Take(ExtraBits(entry));

        const uint32_t distanceEntry = TakeSymbol(distanceEntries, distanceRoot, in);
        if (distanceEntry & kInvalid) {
            Stop();
            blockGoesOn = false;
            break;
        }
        const uint32_t distance = Value(distanceEntry) + in.Take(ExtraBits(distanceEntry));
        CopyMatch(out, distance, length);
        out += length;
    }

    input_ = in;
    out_ = static_cast<uint32_t>(out - window_);
    return blockGoesOn;
}

InflateState2::Step InflateState2::DecodeOneSlow(const HuffmanTable& literals,
                                                 const HuffmanTable& distances) {
    input_.FillSlow();
    const uint32_t available = input_.BitsAvailable();
    uint32_t used = 0;
    const uint32_t entry = LookupAt(literals, input_, used);
    if (used > available) {
        return Step::NeedInput;
    }
    if (entry & kInvalid) {
        Stop();
        return Step::Progress;
    }
    if (entry & (kLiteral | kEndOfBlock)) {
        input_.Drop(used);
        if (entry & kLiteral) {
            window_[out_++] = static_cast<unsigned char>(Value(entry));
        } else {
            EndBlock();
        }
        return Step::Progress;
    }
    const uint32_t length = Value(entry) + input_.PeekAt(used, ExtraBits(entry));
    used += ExtraBits(entry);
    const uint32_t distanceEntry = LookupAt(distances, input_, used);
    if (used > available) {
        return Step::NeedInput;
    }
    if (distanceEntry & kInvalid) {
        Stop();
        return Step::Progress;
    }
    const uint32_t distance = Value(distanceEntry) + input_.PeekAt(used, ExtraBits(distanceEntry));
    used += ExtraBits(distanceEntry);
    if (used > available) {
        return Step::NeedInput;
    }
    input_.Drop(used);
    for (uint32_t i = 0; i < length; ++i, ++out_) {
        window_[out_] = window_[out_ - distance];
    }
    return Step::Progress;
}

// ---------------------------------------------------------------- output

// The full piece is handed on, then it (and whatever a back reference wrote past it) moves down
// to the start of the window, where it is the history for the next piece. The move costs one
// 32 KB copy per 32 KB of output; in exchange no back reference ever wraps around.
// False when decoding has to end: the piece was not taken, or it was but the sink then stopped.
bool InflateState2::FlushPiece() {
    if (!Emit(window_ + flushed_, kPieceEnd - flushed_)) {
        Stop();
        return false;
    }
    std::memmove(window_, window_ + kWindowSize, out_ - kWindowSize);
    out_ -= kWindowSize;
    flushed_ = kWindowSize;
    return state_ != State::Stopped;
}

void InflateState2::FlushPartPiece() {
    const uint32_t end = std::min(out_, kPieceEnd);
    if (end > flushed_ && Emit(window_ + flushed_, end - flushed_)) {
        flushed_ = end;
    }
}

// Hands bytes on: to the sink, or in inflateDataC to the queue, which goes to the sink once it
// holds flushSize_ bytes. True when the bytes were taken (by the queue, at least); when they
// were taken but the sink refused the queue or asked to abort, decoding stops.
bool InflateState2::Emit(const unsigned char* bytes, uint32_t count) {
    if (!queueOutput_) {
        return WriteToSink(bytes, count);
    }
    if (!queue_.Append(bytes, count)) {
        queueFailed_ = true;
        return false;
    }
    if (queue_.GetSize() >= flushSize_ && !FlushQueue()) {
        Stop();
    }
    return true;
}

bool InflateState2::FlushQueue() {
    if (queue_.GetSize() == 0) {
        return true;
    }
    if (!WriteToSink(queue_.GetData(), queue_.GetSize())) {
        return false;
    }
    queue_.Clear();
    return true;
}

// True when the sink took all the bytes. A sink without the capacity for them is not offered
// them at all.
bool InflateState2::WriteToSink(const unsigned char* bytes, uint32_t count) {
    if (!sink_ || sink_->Capacity() < count || !sink_->Write(bytes, count)) {
        return false;
    }
    if (sink_->Aborted()) {
        Stop();
    }
    return true;
}

// ---------------------------------------------------------------- entry points

bool InflateState2::inflateDataB(const unsigned char* data, size_t count, LogBase& log,
                                 bool verbose) {
    VerboseContext context(log, verbose, "inflateDataB");
    if (!sink_) {
        return false;  // output with nowhere to go would be lost
    }
    if (!data || count == 0) {
        if (verbose) {
            log.AddInfo("No data to inflate.");
        }
        return state_ == State::Finished;
    }
    log_ = &log;
    verbose_ = verbose;
    queueOutput_ = false;
    input_.SetInput(data, data + count);
    Run();
    FlushPartPiece();
    input_.SetInput(nullptr, nullptr);  // the caller's bytes are not kept; buffered bits are
    log_ = nullptr;
    return state_ == State::Finished;
}

bool InflateState2::inflateDataC(DataSource& source, LogBase& log, bool verbose) {
    log_ = &log;
    verbose_ = verbose;
    queueOutput_ = true;
    queueFailed_ = false;

    int32_t errorCode = 0;
    std::unique_ptr<unsigned char, decltype(&qvmem::Free)> buffer(
        sink_ ? static_cast<unsigned char*>(qvmem::Allocate(kSourceBufferSize)) : nullptr,
        &qvmem::Free);
    if (!sink_) {
        errorCode = kErrorSinkWrite;  // output with nowhere to go would be lost
    } else if (!buffer) {
        errorCode = kErrorNoMemory;
    }
    for (bool firstFill = true; buffer; firstFill = false) {
        // The input ran out (or there was none yet): keep its unread tail, read more after it.
        if (!firstFill) {
            log.AddInfo(input_.BitsAvailable() ? "Emergency refill..." : "Refilling source buffer...");
        }
        const size_t kept = input_.BytesLeft();
        if (kept) {
            std::memmove(buffer.get(), input_.Next(), kept);
        }
        uint32_t got = 0;
        const uint32_t room = static_cast<uint32_t>(kSourceBufferSize - kept);
        if (!source.ReadSource(buffer.get() + kept, std::min(kSourceReadSize, room), got, log)) {
            errorCode = kErrorSource;
            break;
        }
        input_.SetInput(buffer.get(), buffer.get() + kept + got);
        Run();
        // A read that brings nothing ends the input too, so that no source can keep us here.
        if (state_ == State::Finished || state_ == State::Stopped || got == 0 ||
            source.EndOfStream()) {
            break;
        }
    }
    FlushPartPiece();
    FlushQueue();
    input_.Clear();

    if (verbose && state_ == State::Finished) {
        log.AddInfo("Finished because state = -1 and lastBlock bit is set.");
    }
    if (verbose) {
        LogContext context(log, "inflator");
        log.AddDataInt("returnedFromLoc", static_cast<int32_t>(state_));
        log.AddDataInt64("progressMarker",
                         sink_ ? static_cast<int64_t>(sink_->BytesWritten()) : int64_t{0});
    }
    if (errorCode == 0) {
        if (error_) {
            errorCode = kErrorInternal;
        } else if (sink_ && sink_->Aborted()) {
            errorCode = kErrorAborted;
        } else if ((sink_ && sink_->WriteFailed()) || queueFailed_) {
            errorCode = queueFailed_ ? kErrorNoMemory : kErrorSinkWrite;
        }
    }
    log_ = nullptr;
    if (errorCode == 0) {
        return true;
    }
    log.AddError("Inflate from data source failed.");
    log.AddDataInt("InflateErrorCode", errorCode);
    if (errorCode == kErrorAborted) {
        log.AddError("Inflate aborted by application event callback.");
    }
    return false;
}

bool InflateState2::InflateFromMemory(const unsigned char* data, size_t count, DataBuffer& out,
                                      ProgressMonitor* monitor, LogBase& log, bool verbose,
                                      uint32_t& crc32) {
    crc32 = 0;
    const char* reason = nullptr;
    if (!data) {
        reason = "No input data";
    } else {
        std::unique_ptr<InflateState2> state(new (std::nothrow) InflateState2);
        MemoryDataSink sink(out);
        sink.EnableCrc32(true);
        sink.SetProgressMonitor(monitor);
        if (!state) {
            reason = "Out of memory.";
        } else {
            state->setSink(&sink);
            state->inflateDataB(data, count, log, verbose);
            if (state->HadInternalError()) {
                reason = "Internal error in huffman decoding.";
            } else if (sink.WriteFailed()) {
                reason = "Sink write failed.";
            } else if (sink.Aborted()) {
                reason = "Inflate aborted by application event callback.";
            }
        }
        crc32 = sink.Crc32();
    }
    if (!reason) {
        return true;
    }
    log.AddError(reason);
    log.AddError("Inflate from memory source failed.");
    log.AddError("Compressed to uncompressed failed.");
    return false;
}

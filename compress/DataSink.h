#pragma once
// DataSink: where a decoder's output goes. The decoder asks how much the sink will take now,
// then writes byte ranges; the sink keeps a running CRC-32 (when switched on), counts the bytes,
// tells an optional progress monitor each written count, and remembers a failed write: once a
// write has taken fewer bytes than offered, the sink refuses every further write.
//
// A subclass supplies only Capacity and Put (the storage); the bookkeeping lives here so that
// every kind of sink behaves alike.

#include <cstdint>

class ProgressMonitor;

class DataSink {
public:
    DataSink() = default;
    virtual ~DataSink();
    DataSink(const DataSink&) = delete;
    DataSink& operator=(const DataSink&) = delete;

    // How many bytes the sink will take now.
    virtual uint64_t Capacity() const = 0;

    // True when all `count` bytes were taken. A short write sets WriteFailed. After a failed
    // write, or once the progress monitor has asked to abort, nothing more is taken.
    bool Write(const void* bytes, uint32_t count);

    void EnableCrc32(bool on) { crcEnabled_ = on; }
    uint32_t Crc32() const { return crc_; }  // of everything written while switched on
    uint64_t BytesWritten() const { return bytesWritten_; }
    void SetProgressMonitor(ProgressMonitor* monitor) { monitor_ = monitor; }
    bool WriteFailed() const { return writeFailed_; }
    bool Aborted() const { return aborted_; }  // the monitor's AddDone answered "abort"

protected:
    // Stores up to `count` bytes and returns how many it took.
    virtual uint32_t Put(const void* bytes, uint32_t count) = 0;

private:
    bool crcEnabled_ = false;
    uint32_t crc_ = 0;
    uint64_t bytesWritten_ = 0;
    ProgressMonitor* monitor_ = nullptr;
    bool writeFailed_ = false;
    bool aborted_ = false;
};

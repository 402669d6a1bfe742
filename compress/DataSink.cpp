#include "compress/DataSink.h"

#include "compress/Crc32.h"
#include "core/ProgressMonitor.h"

DataSink::~DataSink() = default;

bool DataSink::Write(const void* bytes, uint32_t count) {
    if (writeFailed_ || aborted_) {
        return false;
    }
    if (count == 0) {
        return true;
    }
    const uint32_t taken = Put(bytes, count);
    if (crcEnabled_) {
        crc_ = Crc32::Update(crc_, bytes, taken);
    }
    bytesWritten_ += taken;
    if (taken < count) {
        writeFailed_ = true;
        return false;
    }
    bool abort = false;
    if (monitor_ && monitor_->AddDone(taken, abort)) {
        aborted_ = true;
    }
    return true;
}

#include "core/ProgressEvent.h"

ProgressEvent::~ProgressEvent() = default;

void ProgressEvent::PercentDone(int32_t, bool& abort) {
    abort = false;
}
void ProgressEvent::AbortCheck(bool& abort) {
    abort = false;
}
void ProgressEvent::TimedAbortCheck(int32_t, bool& abort) {
    abort = false;
}
bool ProgressEvent::Query() {
    return false;
}
void ProgressEvent::InfoEvent(const char*, const char*) {}
void ProgressEvent::Notify2a(const char*, const char*) {}
void ProgressEvent::Notify2b(const char*, const char*) {}
void ProgressEvent::Notify3a(const char*, const char*, const char*) {}
void ProgressEvent::Notify4a(const char*, const char*, const char*, const char*) {}
void ProgressEvent::Notify4b(const char*, const char*, const char*, const char*) {}
void ProgressEvent::Notify4c(const char*, const char*, const char*, const char*) {}
void ProgressEvent::Notify4d(const char*, const char*, const char*, const char*) {}
void ProgressEvent::Notify3b(const char*, const char*, const char*) {}
void ProgressEvent::Notify3c(const char*, const char*, const char*) {}
void ProgressEvent::Notify3d(const char*, const char*, const char*) {}
void ProgressEvent::Notify1a(const char*) {}
void ProgressEvent::ValueCheckA(int64_t, bool& abort) {
    abort = false;
}
void ProgressEvent::Notify2c(const char*, const char*) {}
void ProgressEvent::ValueCheckB(int64_t, bool& abort) {
    abort = false;
}
void ProgressEvent::ValueCheckC(int64_t, bool& abort) {
    abort = false;
}
void ProgressEvent::Notify2d(const char*, const char*) {}
void ProgressEvent::ValueCheckD(int64_t, bool& abort) {
    abort = false;
}
void ProgressEvent::ValueCheckE(int64_t, bool& abort) {
    abort = false;
}
void ProgressEvent::ValueCheckF(int64_t, bool& abort) {
    abort = false;
}
void ProgressEvent::SendRate(uint32_t, uint32_t) {}
void ProgressEvent::ReceiveRate(uint32_t, uint32_t) {}
void ProgressEvent::Notify0a() {}
void ProgressEvent::Notify0b() {}
void ProgressEvent::Notify1b(const char*) {}
void ProgressEvent::Notify0c() {}
void ProgressEvent::Notify1c(const char*) {}
void ProgressEvent::TwoValueCheck(const char*, const char*, bool& abort) {
    abort = false;
}
void ProgressEvent::Notify5(const char*, const char*, const char*, const char*, const char*) {}
void ProgressEvent::Notify7(const char*, const char*, const char*, const char*, const char*,
                            const char*, const char*) {}

#pragma once
// ProgressEvent: the application's callback interface for long operations. All 35 virtual
// operations have default bodies: an out-flag is set to false ("go on"), the one query answers
// false, everything else does nothing. The order of the operations is fixed; only PercentDone,
// AbortCheck, TimedAbortCheck, InfoEvent, SendRate and ReceiveRate carry a meaning on the road
// of this program, and the HTTP client also calls Notify0a when a chunked body begins and
// TwoValueCheck before it follows a redirect; the others are notifications that layers may
// forward without interpreting.

#include <cstdint>

class ProgressEvent {
public:
    virtual ~ProgressEvent();

    virtual void PercentDone(int32_t percent, bool& abort);
    virtual void AbortCheck(bool& abort);
    virtual void TimedAbortCheck(int32_t value, bool& abort);
    virtual bool Query();
    virtual void InfoEvent(const char* name, const char* value);
    virtual void Notify2a(const char* a, const char* b);
    virtual void Notify2b(const char* a, const char* b);
    virtual void Notify3a(const char* a, const char* b, const char* c);
    virtual void Notify4a(const char* a, const char* b, const char* c, const char* d);
    virtual void Notify4b(const char* a, const char* b, const char* c, const char* d);
    virtual void Notify4c(const char* a, const char* b, const char* c, const char* d);
    virtual void Notify4d(const char* a, const char* b, const char* c, const char* d);
    virtual void Notify3b(const char* a, const char* b, const char* c);
    virtual void Notify3c(const char* a, const char* b, const char* c);
    virtual void Notify3d(const char* a, const char* b, const char* c);
    virtual void Notify1a(const char* a);
    virtual void ValueCheckA(int64_t value, bool& abort);
    virtual void Notify2c(const char* a, const char* b);
    virtual void ValueCheckB(int64_t value, bool& abort);
    virtual void ValueCheckC(int64_t value, bool& abort);
    virtual void Notify2d(const char* a, const char* b);
    virtual void ValueCheckD(int64_t value, bool& abort);
    virtual void ValueCheckE(int64_t value, bool& abort);
    virtual void ValueCheckF(int64_t value, bool& abort);
    virtual void SendRate(uint32_t bytesSoFar, uint32_t bytesPerSecond);
    virtual void ReceiveRate(uint32_t bytesSoFar, uint32_t bytesPerSecond);
    virtual void Notify0a();
    virtual void Notify0b();
    virtual void Notify1b(const char* a);
    virtual void Notify0c();
    virtual void Notify1c(const char* a);
    // The redirect check: the current URL and the URL a redirect leads to; abort stops it.
    virtual void TwoValueCheck(const char* a, const char* b, bool& abort);
    virtual void Notify5(const char* a, const char* b, const char* c, const char* d, const char* e);
    virtual void Notify7(const char* a, const char* b, const char* c, const char* d, const char* e,
                         const char* f, const char* g);
};

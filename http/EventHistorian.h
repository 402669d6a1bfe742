#pragma once
// EventHistorian: an HTTP object's own progress sink. It forwards every callback to a target sink
// (the application's; none by default) and, while keepEventLog is set, records the named events
// and each percent-done value (as "PercentDone") in its EventHistory. Without a target, the
// callbacks that ask whether to abort answer with defaultAbort.
//
//   historian.SetTarget(appSink);  historian.SetDefaultAbort(false);
//   ProgressMonitor monitor(&historian, 100);

#include "core/ProgressEvent.h"
#include "http/EventHistory.h"

class EventHistorian : public ProgressEvent {
public:
    EventHistorian() = default;
    ~EventHistorian() override;

    void SetTarget(ProgressEvent* target) { target_ = target; }
    ProgressEvent* Target() const { return target_; }
    void SetKeepEventLog(bool keep) { keepEventLog_ = keep; }
    bool KeepEventLog() const { return keepEventLog_; }
    void SetDefaultAbort(bool abort) { defaultAbort_ = abort; }
    bool DefaultAbort() const { return defaultAbort_; }
    EventHistory& History() { return history_; }

    void PercentDone(int32_t percent, bool& abort) override;
    void AbortCheck(bool& abort) override;
    void TimedAbortCheck(int32_t value, bool& abort) override;
    bool Query() override;
    void InfoEvent(const char* name, const char* value) override;
    void Notify2a(const char* a, const char* b) override;
    void Notify2b(const char* a, const char* b) override;
    void Notify3a(const char* a, const char* b, const char* c) override;
    void Notify4a(const char* a, const char* b, const char* c, const char* d) override;
    void Notify4b(const char* a, const char* b, const char* c, const char* d) override;
    void Notify4c(const char* a, const char* b, const char* c, const char* d) override;
    void Notify4d(const char* a, const char* b, const char* c, const char* d) override;
    void Notify3b(const char* a, const char* b, const char* c) override;
    void Notify3c(const char* a, const char* b, const char* c) override;
    void Notify3d(const char* a, const char* b, const char* c) override;
    void Notify1a(const char* a) override;
    void ValueCheckA(int64_t value, bool& abort) override;
    void Notify2c(const char* a, const char* b) override;
    void ValueCheckB(int64_t value, bool& abort) override;
    void ValueCheckC(int64_t value, bool& abort) override;
    void Notify2d(const char* a, const char* b) override;
    void ValueCheckD(int64_t value, bool& abort) override;
    void ValueCheckE(int64_t value, bool& abort) override;
    void ValueCheckF(int64_t value, bool& abort) override;
    void SendRate(uint32_t bytesSoFar, uint32_t bytesPerSecond) override;
    void ReceiveRate(uint32_t bytesSoFar, uint32_t bytesPerSecond) override;
    void Notify0a() override;
    void Notify0b() override;
    void Notify1b(const char* a) override;
    void Notify0c() override;
    void Notify1c(const char* a) override;
    void TwoValueCheck(const char* a, const char* b, bool& abort) override;
    void Notify5(const char* a, const char* b, const char* c, const char* d,
                 const char* e) override;
    void Notify7(const char* a, const char* b, const char* c, const char* d, const char* e,
                 const char* f, const char* g) override;

private:
    void Record(const char* name, const char* value);

    ProgressEvent* target_ = nullptr;
    bool keepEventLog_ = false;
    bool defaultAbort_ = false;
    EventHistory history_;
};

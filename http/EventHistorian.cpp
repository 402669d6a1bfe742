#include "http/EventHistorian.h"

#include <cstdio>

EventHistorian::~EventHistorian() = default;

void EventHistorian::Record(const char* name, const char* value) {
    if (keepEventLog_) {
        history_.Add(name, value);
    }
}

void EventHistorian::PercentDone(int32_t percent, bool& abort) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(percent));
    Record("PercentDone", text);
    if (target_) {
        target_->PercentDone(percent, abort);
    } else {
        abort = defaultAbort_;
    }
}

void EventHistorian::AbortCheck(bool& abort) {
    if (target_) {
        target_->AbortCheck(abort);
    } else {
        abort = defaultAbort_;
    }
}

void EventHistorian::TimedAbortCheck(int32_t value, bool& abort) {
    if (target_) {
        target_->TimedAbortCheck(value, abort);
    } else {
        abort = defaultAbort_;
    }
}

bool EventHistorian::Query() {
    return target_ ? target_->Query() : false;
}

void EventHistorian::InfoEvent(const char* name, const char* value) {
    Record(name, value);
    if (target_) {
        target_->InfoEvent(name, value);
    }
}

void EventHistorian::Notify2a(const char* a, const char* b) {
    if (target_) {
        target_->Notify2a(a, b);
    }
}

void EventHistorian::Notify2b(const char* a, const char* b) {
    if (target_) {
        target_->Notify2b(a, b);
    }
}

void EventHistorian::Notify3a(const char* a, const char* b, const char* c) {
    if (target_) {
        target_->Notify3a(a, b, c);
    }
}

void EventHistorian::Notify4a(const char* a, const char* b, const char* c, const char* d) {
    if (target_) {
        target_->Notify4a(a, b, c, d);
    }
}

void EventHistorian::Notify4b(const char* a, const char* b, const char* c, const char* d) {
    if (target_) {
        target_->Notify4b(a, b, c, d);
    }
}

void EventHistorian::Notify4c(const char* a, const char* b, const char* c, const char* d) {
    if (target_) {
        target_->Notify4c(a, b, c, d);
    }
}

void EventHistorian::Notify4d(const char* a, const char* b, const char* c, const char* d) {
    if (target_) {
        target_->Notify4d(a, b, c, d);
    }
}

void EventHistorian::Notify3b(const char* a, const char* b, const char* c) {
    if (target_) {
        target_->Notify3b(a, b, c);
    }
}

void EventHistorian::Notify3c(const char* a, const char* b, const char* c) {
    if (target_) {
        target_->Notify3c(a, b, c);
    }
}

void EventHistorian::Notify3d(const char* a, const char* b, const char* c) {
    if (target_) {
        target_->Notify3d(a, b, c);
    }
}

void EventHistorian::Notify1a(const char* a) {
    if (target_) {
        target_->Notify1a(a);
    }
}

void EventHistorian::ValueCheckA(int64_t value, bool& abort) {
    if (target_) {
        target_->ValueCheckA(value, abort);
    } else {
        abort = defaultAbort_;
    }
}

void EventHistorian::Notify2c(const char* a, const char* b) {
    if (target_) {
        target_->Notify2c(a, b);
    }
}

void EventHistorian::ValueCheckB(int64_t value, bool& abort) {
    if (target_) {
        target_->ValueCheckB(value, abort);
    } else {
        abort = defaultAbort_;
    }
}

void EventHistorian::ValueCheckC(int64_t value, bool& abort) {
    if (target_) {
        target_->ValueCheckC(value, abort);
    } else {
        abort = defaultAbort_;
    }
}

void EventHistorian::Notify2d(const char* a, const char* b) {
    if (target_) {
        target_->Notify2d(a, b);
    }
}

void EventHistorian::ValueCheckD(int64_t value, bool& abort) {
    if (target_) {
        target_->ValueCheckD(value, abort);
    } else {
        abort = defaultAbort_;
    }
}

void EventHistorian::ValueCheckE(int64_t value, bool& abort) {
    if (target_) {
        target_->ValueCheckE(value, abort);
    } else {
        abort = defaultAbort_;
    }
}

void EventHistorian::ValueCheckF(int64_t value, bool& abort) {
    if (target_) {
        target_->ValueCheckF(value, abort);
    } else {
        abort = defaultAbort_;
    }
}

void EventHistorian::SendRate(uint32_t bytesSoFar, uint32_t bytesPerSecond) {
    if (target_) {
        target_->SendRate(bytesSoFar, bytesPerSecond);
    }
}

void EventHistorian::ReceiveRate(uint32_t bytesSoFar, uint32_t bytesPerSecond) {
    if (target_) {
        target_->ReceiveRate(bytesSoFar, bytesPerSecond);
    }
}

void EventHistorian::Notify0a() {
    if (target_) {
        target_->Notify0a();
    }
}

void EventHistorian::Notify0b() {
    if (target_) {
        target_->Notify0b();
    }
}

void EventHistorian::Notify1b(const char* a) {
    if (target_) {
        target_->Notify1b(a);
    }
}

void EventHistorian::Notify0c() {
    if (target_) {
        target_->Notify0c();
    }
}

void EventHistorian::Notify1c(const char* a) {
    if (target_) {
        target_->Notify1c(a);
    }
}

void EventHistorian::TwoValueCheck(const char* a, const char* b, bool& abort) {
    if (target_) {
        target_->TwoValueCheck(a, b, abort);
    } else {
        abort = defaultAbort_;
    }
}

void EventHistorian::Notify5(const char* a, const char* b, const char* c, const char* d,
                             const char* e) {
    if (target_) {
        target_->Notify5(a, b, c, d, e);
    }
}

void EventHistorian::Notify7(const char* a, const char* b, const char* c, const char* d,
                             const char* e, const char* f, const char* g) {
    if (target_) {
        target_->Notify7(a, b, c, d, e, f, g);
    }
}

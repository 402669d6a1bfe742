// The small public classes' out-of-line parts.

#include "rss/QvObject.h"
#include "rss/QvRssCb.h"
#include "rss/QvRssProgress.h"
#include "rss/QvString.h"

QvObject::~QvObject() = default;
QvString::~QvString() = default;
QvRssProgress::~QvRssProgress() = default;

void QvRssCb::AbortCheck(bool& abort) {
    if (application_) {
        application_->AbortCheck(abort);
    }
}

void QvRssCb::TimedAbortCheck(int32_t, bool& abort) {
    if (application_) {
        application_->AbortCheck(abort);
    }
}

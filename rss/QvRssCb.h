#pragma once
// QvRssCb: adapts the application's QvRssProgress to the library's ProgressEvent. Both abort
// checks ask the application (the timed one ignores its value); without an application object
// the flag stays as the caller set it ("go on").

#include "core/ProgressEvent.h"
#include "rss/QvRssProgress.h"

class QvRssCb : public ProgressEvent {
public:
    explicit QvRssCb(QvRssProgress* application) : application_(application) {}

    void AbortCheck(bool& abort) override;
    void TimedAbortCheck(int32_t value, bool& abort) override;

private:
    QvRssProgress* application_;
};

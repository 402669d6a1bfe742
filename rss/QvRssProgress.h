#pragma once
// QvRssProgress: the application's progress object for a QvRss download. Its one operation is
// the abort check, asked during network waits; set `abort` to true to stop the download.

class QvRssProgress {
public:
    virtual ~QvRssProgress();
    virtual void AbortCheck(bool& abort) = 0;
};

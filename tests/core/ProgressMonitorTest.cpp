#include <gtest/gtest.h>

#include <vector>

#include "core/ProgressMonitor.h"
#include "platform/Clock.h"

namespace {

// Records the callbacks and answers abort requests as told.
class RecordingSink : public ProgressEvent {
public:
    void PercentDone(int32_t percent, bool& abort) override {
        percents.push_back(percent);
        abort = abortOnPercent;
    }
    void AbortCheck(bool& abort) override {
        ++abortChecks;
        abort = abortOnCheck;
    }
    void TimedAbortCheck(int32_t value, bool& abort) override {
        ++timedChecks;
        lastTimedValue = value;
        abort = abortOnCheck;
    }
    void InfoEvent(const char* name, const char* value) override {
        infos.push_back(std::string(name) + "=" + value);
    }
    std::vector<int32_t> percents;
    std::vector<std::string> infos;
    int abortChecks = 0;
    int timedChecks = 0;
    int lastTimedValue = -1;
    bool abortOnPercent = false;
    bool abortOnCheck = false;
};

}  // namespace

TEST(ProgressMonitor, PercentageScalesLargeTotals) {
    EXPECT_EQ(ProgressMonitor::Percentage(0, 0), 100u);
    EXPECT_EQ(ProgressMonitor::Percentage(5, 0), 100u);
    EXPECT_EQ(ProgressMonitor::Percentage(1500000000ull, 3000000000ull), 50u);
    EXPECT_EQ(ProgressMonitor::Percentage(UINT64_MAX / 3, UINT64_MAX), 33u);
    EXPECT_EQ(ProgressMonitor::Percentage(1, 3), 33u);
    EXPECT_EQ(ProgressMonitor::Percentage(999999, 1000000), 99u);
}

TEST(ProgressMonitor, PercentDoneOnlyWhenThePercentageRises) {
    RecordingSink sink;
    ProgressMonitor monitor(&sink, 1000);
    bool abort = true;
    monitor.AddDone(1, abort);  // 0 percent: unchanged
    EXPECT_FALSE(abort);
    monitor.AddDone(4, abort);     // still 0
    monitor.AddDone(10, abort);    // 1 percent
    monitor.AddDone(5, abort);     // 2 percent
    monitor.AddDone(2, abort);     // 2 percent: no call
    monitor.AddDone(5000, abort);  // clamped to the total: 100
    EXPECT_EQ(sink.percents, (std::vector<int32_t>{1, 2, 100}));
    EXPECT_EQ(monitor.Done(), 1000u);
    EXPECT_EQ(sink.abortChecks, 0) << "no time has passed for an abort check";
}

TEST(ProgressMonitor, ZeroTotalIsDoneAtOnce) {
    RecordingSink sink;
    ProgressMonitor monitor(&sink, 0);
    bool abort = false;
    monitor.AddDone(100, abort);
    EXPECT_TRUE(sink.percents.empty());
    EXPECT_EQ(monitor.Done(), 0u);
    EXPECT_EQ(ProgressMonitor::Percentage(monitor.Done(), monitor.Total()), 100u);
}

TEST(ProgressMonitor, AbortAnswerIsSticky) {
    RecordingSink sink;
    sink.abortOnPercent = true;
    ProgressMonitor monitor(&sink, 100);
    bool abort = false;
    EXPECT_TRUE(monitor.AddDone(10, abort));
    EXPECT_TRUE(monitor.Aborted());
    sink.abortOnPercent = false;
    monitor.AddDone(10, abort);
    EXPECT_FALSE(abort);
    EXPECT_TRUE(monitor.Aborted()) << "stays set until a restart";
    EXPECT_TRUE(monitor.Heartbeat(1));
    monitor.Restart(100);
    EXPECT_FALSE(monitor.Aborted());
}

TEST(ProgressMonitor, QuietReportsIgnoreTheAbortAnswer) {
    RecordingSink sink;
    sink.abortOnPercent = true;
    ProgressMonitor monitor(&sink, 100);
    monitor.AddDoneQuiet(50);
    EXPECT_EQ(sink.percents, (std::vector<int32_t>{50}));
    EXPECT_FALSE(monitor.Aborted());
}

TEST(ProgressMonitor, HoldHundredUntilFinish) {
    RecordingSink sink;
    ProgressMonitor monitor(&sink, 10);
    monitor.SetHoldHundred(true);
    bool abort = false;
    monitor.SetDone(5, abort);
    monitor.SetDone(10, abort);
    EXPECT_EQ(sink.percents, (std::vector<int32_t>{50}));
    monitor.Finish();
    EXPECT_EQ(sink.percents, (std::vector<int32_t>{50, 100}));
}

TEST(ProgressMonitor, FinishReportsTheRemainder) {
    RecordingSink sink;
    ProgressMonitor monitor(&sink, 10);
    monitor.AddDoneQuiet(3);
    monitor.Finish();
    EXPECT_EQ(sink.percents, (std::vector<int32_t>{30, 100}));
}

TEST(ProgressMonitor, ByteReportsPollForAbortAfterTheInterval) {
    RecordingSink sink;
    ProgressMonitor monitor(&sink, 1000000000);
    monitor.SetHeartbeatMs(20);
    bool abort = false;
    monitor.AddDone(1, abort);
    EXPECT_EQ(sink.abortChecks, 0);
    platform::SleepMs(40);
    sink.abortOnCheck = true;
    EXPECT_TRUE(monitor.AddDone(1, abort));
    EXPECT_EQ(sink.abortChecks, 1);
    EXPECT_TRUE(monitor.Aborted());

    RecordingSink quiet;
    ProgressMonitor noPolling(&quiet, 1000000000);
    noPolling.SetHeartbeatMs(1);
    noPolling.SetNoAbortPolling(true);
    platform::SleepMs(5);
    noPolling.AddDone(1, abort);
    EXPECT_EQ(quiet.abortChecks, 0);
}

TEST(ProgressMonitor, NoPercentSkipsTheAccounting) {
    RecordingSink sink;
    ProgressMonitor monitor(&sink, 100);
    monitor.SetNoPercent(true);
    bool abort = false;
    monitor.AddDone(50, abort);
    EXPECT_EQ(monitor.Done(), 0u);
    EXPECT_TRUE(sink.percents.empty());
}

TEST(ProgressMonitor, HeartbeatPacesTimedChecks) {
    RecordingSink sink;
    ProgressMonitor monitor(&sink, 0);
    EXPECT_FALSE(monitor.Heartbeat(0));
    EXPECT_EQ(sink.timedChecks, 0);
    EXPECT_FALSE(monitor.Heartbeat(25));  // first beat: the interval since start-up has passed
    const int afterFirst = sink.timedChecks;
    EXPECT_FALSE(monitor.Heartbeat(25));
    EXPECT_EQ(sink.timedChecks, afterFirst) << "within the interval nothing is asked";
    platform::SleepMs(40);
    EXPECT_FALSE(monitor.Heartbeat(25));
    EXPECT_EQ(sink.timedChecks, afterFirst + 1);
    EXPECT_EQ(sink.lastTimedValue, 0);
    EXPECT_EQ(monitor.HeartbeatMs(), 25u);

    sink.abortOnCheck = true;
    platform::SleepMs(40);
    EXPECT_TRUE(monitor.Heartbeat(25));
    EXPECT_TRUE(monitor.CheckAbort(0));
}

TEST(ProgressMonitor, PollUsesItsOwnInterval) {
    RecordingSink sink;
    ProgressMonitor monitor(&sink, 0);
    EXPECT_FALSE(monitor.Poll());
    EXPECT_EQ(sink.timedChecks, 0);
    monitor.SetPollMs(10);
    platform::SleepMs(20);
    sink.abortOnCheck = true;
    EXPECT_TRUE(monitor.Poll());
}

TEST(ProgressMonitor, CheckAbortWithoutIntervalWaitsThreeHundredMs) {
    RecordingSink sink;
    ProgressMonitor monitor(&sink, 0);
    EXPECT_FALSE(monitor.CheckAbort(0));
    EXPECT_EQ(sink.abortChecks, 0);
    platform::SleepMs(320);
    sink.abortOnCheck = true;
    EXPECT_TRUE(monitor.CheckAbort(0));
    EXPECT_EQ(sink.abortChecks, 1);
}

TEST(ProgressMonitor, InfoFormsAndTheDefaultSink) {
    RecordingSink sink;
    ProgressMonitor monitor(&sink, 0);
    monitor.Info("a", "text");
    monitor.Info("b", int32_t{-3});
    monitor.Info("c", int64_t{12345678901});
    EXPECT_EQ(sink.infos, (std::vector<std::string>{"a=text", "b=-3", "c=12345678901"}));

    ProgressMonitor own;  // no sink: the default bodies answer "go on"
    bool abort = true;
    own.Restart(10);
    own.AddDone(10, abort);
    EXPECT_FALSE(abort);
    EXPECT_FALSE(own.Heartbeat(1));
}

TEST(ProgressEvent, DefaultsGoOnAndAnswerFalse) {
    ProgressEvent event;
    bool flag = true;
    event.PercentDone(5, flag);
    EXPECT_FALSE(flag);
    flag = true;
    event.AbortCheck(flag);
    EXPECT_FALSE(flag);
    flag = true;
    event.TimedAbortCheck(0, flag);
    EXPECT_FALSE(flag);
    flag = true;
    event.TwoValueCheck("http://a/", "http://b/", flag);
    EXPECT_FALSE(flag);
    EXPECT_FALSE(event.Query());
}

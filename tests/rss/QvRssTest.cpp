#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/ProgressMonitor.h"
#include "platform/Clock.h"
#include "rss/QvRss.h"
#include "rss/QvRssCb.h"
#include "tests/support/TestSupport.h"

namespace {

std::unique_ptr<QvRss> Feed(const char* text) {
    auto feed = std::make_unique<QvRss>();
    EXPECT_TRUE(feed->Impl().LoadFeedText(text));
    return feed;
}

const char kFeed[] =
    "<rss><channel><title>Caf\xC3\xA9 \xE2\x82\xAC \xCE\xBB</title>"
    "<item><title>t0</title></item><item><title>t1</title></item>"
    "<item><title>t2</title></item><item><title>t3</title></item>"
    "<item><title>t4</title></item><item><title>t5</title></item>"
    "<item><title>t6</title></item><item><title>t7</title></item>"
    "<item><title>t8</title></item><item><title>t9</title></item>"
    "<item><title>t10</title></item></channel></rss>";

class AbortingProgress : public QvRssProgress {
public:
    void AbortCheck(bool& abort) override {
        ++asked;
        abort = true;
    }
    int asked = 0;
};

}  // namespace

TEST(QvRss, StringsComeOutInTheAnsiCodePageByDefault) {
    testsupport::ScopedEnv ansi("QV_ANSI_CODEPAGE", std::nullopt);
    auto feed = Feed(kFeed);
    std::unique_ptr<QvRss> channel(feed->GetChannel(0));
    ASSERT_TRUE(channel);
    EXPECT_FALSE(channel->Utf8());
    EXPECT_STREQ(channel->GetString("title"), "Caf\xE9 \x80 ") << "lambda has no 1252 byte, not even a best fit";
    channel->SetUtf8(true);
    EXPECT_STREQ(channel->GetString("title"), "Caf\xC3\xA9 \xE2\x82\xAC \xCE\xBB");
    std::unique_ptr<QvRss> item(channel->GetItem(0));
    EXPECT_FALSE(item->Utf8()) << "a handed-out object starts with the defaults";
    QvString out;
    EXPECT_TRUE(item->GetString("title", out));
    EXPECT_STREQ(out.GetAnsi(), "t0");
    EXPECT_EQ(channel->ItemCount(), 11);
}

TEST(QvRss, TheResultRingHoldsTenStrings) {
    auto feed = Feed(kFeed);
    std::unique_ptr<QvRss> channel(feed->GetChannel(0));
    std::vector<const char*> results;
    std::vector<std::string> copies;
    for (int i = 0; i < 11; ++i) {
        std::unique_ptr<QvRss> item(channel->GetItem(i));
        // Ask the channel, so the ring of one object is used.
        results.push_back(channel->GetString("title"));
        copies.push_back(results.back());
    }
    for (int i = 0; i < 10; ++i) {
        for (int j = i + 1; j < 10; ++j) {
            EXPECT_NE(results[i], results[j]);
        }
    }
    EXPECT_EQ(results[0], results[10]) << "the eleventh call reuses the first one's storage";
    EXPECT_STREQ(results[1], copies[1].c_str()) << "the second is still intact";
}

TEST(QvRssCb, ForwardsAbortChecksToTheApplication) {
    QvRssCb withoutApplication(nullptr);
    bool abort = false;
    withoutApplication.AbortCheck(abort);
    EXPECT_FALSE(abort);
    abort = true;
    withoutApplication.TimedAbortCheck(0, abort);
    EXPECT_TRUE(abort) << "left as the caller set it";

    AbortingProgress application;
    QvRssCb adapter(&application);
    ProgressMonitor monitor(&adapter, 0);
    platform::SleepMs(5);
    EXPECT_TRUE(monitor.Heartbeat(1));
    EXPECT_EQ(application.asked, 1);
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Logger.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "net/DnsLookup.h"
#include "net/HostnameResolve.h"
#include "net/HostnameResolveIpv6.h"
#include "net/NameCache.h"
#include "platform/Clock.h"
#include "tests/net/NetTestSupport.h"

using nettest::Contains;
using nettest::LogText;
using nettest::RecordingSink;
using nettest::ScopedLookupService;
using nettest::ScriptedLookup;

namespace {

using Names = std::vector<std::string>;

// One IPv4 lookup on a resolver of its own, as the lookup wrapper runs it.
struct Ipv4Outcome {
    bool ok = false;
    std::string dotted;
    bool aborted = false;
    bool timedOut = false;
};

Ipv4Outcome ResolveOnce(const char* name, uint32_t timeoutMs, uint32_t heartbeatMs, Logger& log,
                        ProgressMonitor* monitor) {
    Ipv4Outcome outcome;
    RefHolder<HostnameResolve> resolver(HostnameResolve::Create());
    StringBuffer dotted;
    unsigned char address[4];
    outcome.ok = resolver->ResolveIpv4(name, timeoutMs, heartbeatMs, log, monitor, dotted, address,
                                       outcome.aborted, outcome.timedOut);
    outcome.dotted = dotted.GetString();
    return outcome;
}

class NameResolution : public ::testing::Test {
protected:
    std::shared_ptr<ScriptedLookup> service_ = std::make_shared<ScriptedLookup>();
    ScopedLookupService install_{service_};
    Logger log_;
    RecordingSink sink_;
    ProgressMonitor monitor_{&sink_};
};

}  // namespace

TEST(NameCache, KeepsTwoGenerationsOfEightHundredNames) {
    NameCache cache;
    auto name = [](int i) { return "host" + std::to_string(i) + ".test"; };
    auto reachable = [&](int i) {
        StringBuffer found;
        return cache.Lookup(name(i).c_str(), found) && found.Equals("10.0.0.1");
    };
    for (int i = 0; i < 801; ++i) {  // the 801st starts the second generation
        cache.Insert(name(i).c_str(), "10.0.0.1");
    }
    EXPECT_TRUE(reachable(0));
    EXPECT_TRUE(reachable(799));
    EXPECT_TRUE(reachable(800));
    for (int i = 801; i < 1600; ++i) {  // fills the second generation
        cache.Insert(name(i).c_str(), "10.0.0.1");
    }
    EXPECT_TRUE(reachable(0));
    cache.Insert(name(1600).c_str(), "10.0.0.1");  // the third generation drops the first
    EXPECT_FALSE(reachable(0));
    EXPECT_FALSE(reachable(799));
    EXPECT_TRUE(reachable(800));
    EXPECT_TRUE(reachable(1600));

    StringBuffer found;
    EXPECT_TRUE(cache.Lookup("10.9.8.7", found));  // a numeric name is its own answer
    EXPECT_STREQ(found.GetString(), "10.9.8.7");
    EXPECT_FALSE(cache.Lookup("unknown.test", found));
    EXPECT_TRUE(found.IsEmpty());
}

TEST(SystemNameLookup, ResolvesLocalhostAndNumericTextsWithoutANameServer) {
    Logger log;
    EXPECT_EQ(ResolveOnce("localhost", 0, 0, log, nullptr).dotted, "127.0.0.1");
    EXPECT_EQ(ResolveOnce("10.20.30.40", 0, 0, log, nullptr).dotted, "10.20.30.40");
    std::vector<platform::AddressRecord> records;
    platform::AddressHints hints;
    hints.family = platform::kFamilyIpv6;
    hints.numericHost = true;
    ASSERT_TRUE(GetAddressInfoSync("::1", 443, hints, records, log));
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].family, platform::kFamilyIpv6);
    EXPECT_EQ(records[0].address.port, 443);
    EXPECT_EQ(records[0].protocol, platform::kProtocolTcp);
}

TEST_F(NameResolution, LooksUpTheBareHostOfAUrlShapedName) {
    service_->Answer("Feed.Host", "10.1.1.1");
    const Ipv4Outcome outcome =
        ResolveOnce(" http://Feed.Host:8080/feed.xml ", 0, 0, log_, &monitor_);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.dotted, "10.1.1.1");
    EXPECT_EQ(service_->Calls(), Names{"Feed.Host"});
    EXPECT_EQ(sink_.events, (Names{"HostnameResolve=Feed.Host", "ResolvedToIp=10.1.1.1"}));

    EXPECT_FALSE(ResolveOnce("https:///path", 0, 0, log_, nullptr).ok);
    EXPECT_TRUE(Contains(LogText(log_), "Invalid hostname for resolving hostname to IP address."));
}

TEST_F(NameResolution, OnlyThreadedLookupsUseTheCache) {
    service_->Answer("blocking.test", "10.2.2.2");
    // Without a heartbeat (or without a monitor) every lookup asks the service.
    EXPECT_TRUE(ResolveOnce("blocking.test", 0, 0, log_, &monitor_).ok);
    EXPECT_TRUE(ResolveOnce("blocking.test", 0, 50, log_, nullptr).ok);
    EXPECT_EQ(service_->Calls().size(), 2u);
    EXPECT_FALSE(Contains(LogText(log_), "dnsCacheLookup"));

    // A threaded lookup asks the service once and then answers from the cache.
    EXPECT_TRUE(ResolveOnce("blocking.test", 0, 50, log_, &monitor_).ok);
    EXPECT_EQ(service_->Calls().size(), 3u);
    Logger second;
    const Ipv4Outcome cached = ResolveOnce("blocking.test", 0, 50, second, &monitor_);
    EXPECT_TRUE(cached.ok);
    EXPECT_EQ(cached.dotted, "10.2.2.2");
    EXPECT_EQ(service_->Calls().size(), 3u);
    EXPECT_TRUE(Contains(LogText(second), "dnsCacheHit: 10.2.2.2"));
    EXPECT_FALSE(Contains(LogText(second), "Resolving domain name (IPV4)"));

    // A threaded lookup that finds nothing fails and caches nothing.
    EXPECT_FALSE(ResolveOnce("missing.test", 0, 50, log_, &monitor_).ok);
    EXPECT_FALSE(ResolveOnce("missing.test", 0, 50, log_, &monitor_).ok);
    EXPECT_EQ(service_->Calls().size(), 5u);
}

TEST_F(NameResolution, AnAbortLeavesTheLateWorkerToFreeTheResolver) {
    service_->Hold();
    sink_.abortAfter = 0;  // the first heartbeat answers with an abort
    const uint32_t start = platform::TickCount();
    {
        // The caller's outputs die before the worker answers: under the address sanitizer a
        // worker that wrote into them would be caught.
        const Ipv4Outcome outcome = ResolveOnce("slow.test", 0, 50, log_, &monitor_);
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(outcome.aborted);
    }
    EXPECT_LT(platform::TickCount() - start, 1000u);
    EXPECT_TRUE(Contains(LogText(log_), "DNS lookup aborted by application callback"));
    EXPECT_EQ(service_->Finished(), 0);  // the worker is still inside the lookup

    // The worker holds the last reference (and, through it, the service): releasing the lookup
    // lets it finish and destroy the resolver.
    service_->Release();
    EXPECT_TRUE(nettest::WaitUntil([&] { return service_.use_count() == 2; }, 3000));
    EXPECT_EQ(service_->Finished(), 1);
}

TEST_F(NameResolution, ATimeOutEndsTheWaitWithoutWaitingForAHeartbeat) {
    service_->Hold();
    // Heartbeats every 1000 polls would be seconds apart; the time-out is checked every poll.
    const uint32_t start = platform::TickCount();
    const Ipv4Outcome outcome = ResolveOnce("slow.test", 150, 1000, log_, &monitor_);
    const uint32_t elapsed = platform::TickCount() - start;
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.timedOut);
    EXPECT_GE(elapsed, 150u);
    EXPECT_LT(elapsed, 1000u);
    service_->Release();
    EXPECT_TRUE(nettest::WaitUntil([&] { return service_.use_count() == 2; }, 3000));
}

TEST_F(NameResolution, AddressInfoLookupsRunThreadedOrBlocking) {
    service_->Answer("dual.test", "10.3.3.3");
    platform::AddressHints hints;
    std::vector<platform::AddressRecord> records;
    bool aborted = false;
    bool timedOut = false;
    for (uint32_t heartbeat : {0u, 50u}) {
        RefHolder<HostnameResolveIpv6> resolver(HostnameResolveIpv6::Create());
        ASSERT_TRUE(resolver->ResolveAddressInfo("dual.test", 8080, 0, heartbeat, log_, &monitor_,
                                                 hints, records, aborted, timedOut));
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].address.port, 8080);
        EXPECT_EQ(records[0].address.bytes[3], 3);
    }
    RefHolder<HostnameResolveIpv6> resolver(HostnameResolveIpv6::Create());
    EXPECT_FALSE(resolver->ResolveAddressInfo("missing.test", 80, 0, 50, log_, &monitor_, hints,
                                              records, aborted, timedOut));
    const std::string text = LogText(log_);
    EXPECT_TRUE(Contains(text, "Resolving domain name (IPV4/IPV6)..."));
    EXPECT_TRUE(Contains(text, "Failed to get host address info. (3)"));
    EXPECT_TRUE(Contains(text, "WSAHOST_NOT_FOUND No such host is known."));
    EXPECT_TRUE(Contains(text, "hostOrIpAddr: missing.test"));

    service_->SetAddressInfoAvailable(false);
    EXPECT_FALSE(GetAddressInfoSync("dual.test", 80, hints, records, log_));
    EXPECT_TRUE(Contains(LogText(log_), "No getaddrinfo function."));
}

TEST_F(NameResolution, AnAbortedAddressInfoLookupKeepsItsLateResultToItself) {
    service_->Answer("late.test", "10.4.4.4");
    service_->Hold();
    sink_.abortAfter = 0;
    {
        std::vector<platform::AddressRecord> records;
        platform::AddressHints hints;
        bool aborted = false;
        bool timedOut = false;
        RefHolder<HostnameResolveIpv6> resolver(HostnameResolveIpv6::Create());
        EXPECT_FALSE(resolver->ResolveAddressInfo("late.test", 80, 0, 50, log_, &monitor_, hints,
                                                  records, aborted, timedOut));
        EXPECT_TRUE(aborted);
        EXPECT_TRUE(records.empty());
    }
    service_->Release();
    EXPECT_TRUE(nettest::WaitUntil([&] { return service_.use_count() == 2; }, 3000));
    EXPECT_EQ(service_->Finished(), 1);
}

TEST_F(NameResolution, TheWrapperRetriesCleanedNamesAndWwwForms) {
    struct Case {
        const char* name;
        const char* answered;  // the only name the service knows
        bool found;
        Names calls;
    };
    const Case cases[] = {
        {"one.test", "www.one.test", true, {"one.test", "www.one.test"}},
        {"a.two.test", "www.a.two.test", false, {"a.two.test"}},
        {"bad host.test", "badhost.test", true, {"bad host.test", "badhost.test"}},
        {"Bad\"Host.Test",
         "www.badhost.test",
         true,
         {"Bad\"Host.Test", "badhost.test", "www.badhost.test"}},
        {"Upper.Test", "www.upper.test", true, {"Upper.Test", "www.upper.test"}},
    };
    for (const Case& c : cases) {
        auto service = std::make_shared<ScriptedLookup>();
        ScopedLookupService install(service);
        service->Answer(c.answered, "10.5.5.5");
        Logger log;
        StringBuffer dotted;
        unsigned char address[4];
        bool aborted = false;
        bool timedOut = false;
        EXPECT_EQ(LookupWithRetries(c.name, 0, 0, log, nullptr, dotted, address, aborted, timedOut),
                  c.found)
            << c.name;
        EXPECT_EQ(service->Calls(), c.calls) << c.name;
        EXPECT_EQ(dotted.GetString(), std::string(c.found ? "10.5.5.5" : "")) << c.name;
    }
}

TEST_F(NameResolution, TheWrapperStopsAtAnAbortOrWhenTheTimeOutIsUsedUp) {
    service_->Hold();
    StringBuffer dotted;
    unsigned char address[4];
    bool aborted = false;
    bool timedOut = false;
    EXPECT_FALSE(LookupWithRetries("slow.test", 100, 50, log_, &monitor_, dotted, address, aborted,
                                   timedOut));
    EXPECT_TRUE(timedOut);
    EXPECT_TRUE(Contains(LogText(log_), "DNS timed out."));
    EXPECT_EQ(service_->Calls(), Names{"slow.test"});  // no retry after the time-out

    sink_.abortAfter = 0;
    EXPECT_FALSE(LookupWithRetries("slow2.test", 0, 50, log_, &monitor_, dotted, address, aborted,
                                   timedOut));
    EXPECT_TRUE(aborted);
    EXPECT_EQ(service_->Calls().size(), 2u);  // no retry after the abort
    service_->Release();
    EXPECT_TRUE(nettest::WaitUntil([&] { return service_.use_count() == 2; }, 3000));
}

TEST_F(NameResolution, DnsLookupToTextRefusesWhatIsNotAName) {
    service_->Answer("named.test", "10.6.6.6");
    struct Case {
        const char* name;
        const char* dotted;
        const char* logged;
    };
    const Case cases[] = {
        {nullptr, "", "DNS lookup failed; hostname is NULL"},
        {" \t", "", "DNS lookup failed; hostname is empty"},
        {"LocalHost", "127.0.0.1", nullptr},
        {"10.0.0.1", "", "IP address passed to DNS lookup"},
        {"named.test", "10.6.6.6", nullptr},
        {"unknown.test", "", "DNS lookup failed."},
    };
    for (const Case& c : cases) {
        Logger log;
        StringBuffer dotted("stale");
        EXPECT_EQ(DnsLookupToText(c.name, 0, 0, log, nullptr, dotted), *c.dotted != '\0')
            << (c.name ? c.name : "(null)");
        EXPECT_STREQ(dotted.GetString(), c.dotted);
        if (c.logged) {
            EXPECT_TRUE(Contains(LogText(log), c.logged)) << c.logged;
        }
    }
}

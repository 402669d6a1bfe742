#pragma once
// Helpers of the net tests: a scripted name service (no outside name server is ever asked), a
// progress sink that records events and aborts when told, and the log as text.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/Logger.h"
#include "core/ProgressEvent.h"
#include "core/StringBuffer.h"
#include "net/NameLookupService.h"

namespace nettest {

std::string LogText(Logger& log);
bool Contains(const std::string& text, const std::string& part);

// Answers from a table; names not in it are unknown. Lookups can be held until Release.
class ScriptedLookup : public NameLookupService {
public:
    void Answer(const std::string& name, const std::string& dottedAddress);
    void SetAddressInfoAvailable(bool on) { addressInfo_ = on; }
    // Address records are given this protocol (6, TCP, unless changed).
    void SetRecordProtocol(int protocol) { protocol_ = protocol; }
    // From now on lookups wait until Release (or 5 s) before they answer.
    void Hold();
    void Release();
    std::vector<std::string> Calls();
    int Finished() const { return finished_.load(); }

    bool LookupIpv4(const std::string& name, unsigned char address[4]) override;
    bool HasAddressInfo() const override { return addressInfo_; }
    int LookupAddressInfo(const std::string& host, const std::string& port,
                          const platform::AddressHints& hints,
                          std::vector<platform::AddressRecord>& records) override;

private:
    bool Find(const std::string& name, unsigned char address[4]);

    std::mutex mutex_;
    std::condition_variable released_;
    bool holding_ = false;
    std::map<std::string, std::string> answers_;
    std::vector<std::string> calls_;
    std::atomic<bool> addressInfo_{true};
    std::atomic<int> protocol_{6};
    std::atomic<int> finished_{0};
};

// Installs a service for the life of a scope and puts the previous one back.
class ScopedLookupService {
public:
    explicit ScopedLookupService(std::shared_ptr<NameLookupService> service)
        : previous_(SetNameLookupService(std::move(service))) {}
    ~ScopedLookupService() { SetNameLookupService(previous_); }
    ScopedLookupService(const ScopedLookupService&) = delete;
    ScopedLookupService& operator=(const ScopedLookupService&) = delete;

private:
    std::shared_ptr<NameLookupService> previous_;
};

// Waits until `done` holds (true) or timeoutMs pass (false).
template <class Condition>
bool WaitUntil(Condition done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Records events and rates; answers the timed abort check with an abort once `abortAfter`
// checks have been made (never when negative).
class RecordingSink : public ProgressEvent {
public:
    void TimedAbortCheck(int32_t, bool& abort) override {
        ++timedChecks;
        abort = abortAfter >= 0 && timedChecks > abortAfter;
    }
    void AbortCheck(bool& abort) override {
        ++abortChecks;
        abort = abortAfter >= 0 && abortChecks + timedChecks > abortAfter;
    }
    void InfoEvent(const char* name, const char* value) override {
        events.push_back(std::string(name) + "=" + value);
    }
    void ReceiveRate(uint32_t bytes, uint32_t) override { receiveRateBytes.push_back(bytes); }
    void SendRate(uint32_t bytes, uint32_t) override { sendRateBytes.push_back(bytes); }

    int abortAfter = -1;
    int timedChecks = 0;
    int abortChecks = 0;
    std::vector<std::string> events;
    std::vector<uint32_t> receiveRateBytes;
    std::vector<uint32_t> sendRateBytes;
};

}  // namespace nettest

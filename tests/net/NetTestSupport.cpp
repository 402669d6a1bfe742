#include "tests/net/NetTestSupport.h"

#include "net/IpAddressText.h"

namespace nettest {

std::string LogText(Logger& log) {
    StringBuffer text;
    log.GetAsText(text);
    return text.GetString();
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

void ScriptedLookup::Answer(const std::string& name, const std::string& dottedAddress) {
    std::lock_guard<std::mutex> hold(mutex_);
    answers_[name] = dottedAddress;
}

void ScriptedLookup::Hold() {
    std::lock_guard<std::mutex> hold(mutex_);
    holding_ = true;
}

void ScriptedLookup::Release() {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        holding_ = false;
    }
    released_.notify_all();
}

std::vector<std::string> ScriptedLookup::Calls() {
    std::lock_guard<std::mutex> hold(mutex_);
    return calls_;
}

bool ScriptedLookup::Find(const std::string& name, unsigned char address[4]) {
    std::unique_lock<std::mutex> hold(mutex_);
    calls_.push_back(name);
    released_.wait_for(hold, std::chrono::seconds(5), [this] { return !holding_; });
    if (ParseIpv4Text(name, address)) {
        return true;  // numeric texts answer themselves, as the system's resolver does
    }
    const auto found = answers_.find(name);
    return found != answers_.end() && ParseIpv4Text(found->second, address);
}

bool ScriptedLookup::LookupIpv4(const std::string& name, unsigned char address[4]) {
    const bool found = Find(name, address);
    ++finished_;
    return found;
}

int ScriptedLookup::LookupAddressInfo(const std::string& host, const std::string& port,
                                      const platform::AddressHints&,
                                      std::vector<platform::AddressRecord>& records) {
    records.clear();
    platform::AddressRecord record;
    const bool found = Find(host, record.address.bytes);
    if (found) {
        record.protocol = protocol_.load();
        record.address.port = static_cast<uint16_t>(std::stoi(port));
        records.push_back(record);
    }
    ++finished_;
    return found ? 0 : platform::kErrorHostNotFound;
}

}  // namespace nettest

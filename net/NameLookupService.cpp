#include "net/NameLookupService.h"

#include "core/QuorvelCritSec.h"

namespace {

class SystemNameLookup : public NameLookupService {
public:
    bool LookupIpv4(const std::string& name, unsigned char address[4]) override {
        return platform::LookupIpv4Address(name, address);
    }
    bool HasAddressInfo() const override { return true; }
    int LookupAddressInfo(const std::string& host, const std::string& port,
                          const platform::AddressHints& hints,
                          std::vector<platform::AddressRecord>& records) override {
        return platform::LookupAddressInfo(host, port, hints, records);
    }
};

struct ServiceSlot {
    QuorvelCritSec lock;
    std::shared_ptr<NameLookupService> service = std::make_shared<SystemNameLookup>();
};

ServiceSlot& Slot() {
    static ServiceSlot slot;
    return slot;
}

}  // namespace

NameLookupService::~NameLookupService() = default;

std::shared_ptr<NameLookupService> CurrentNameLookupService() {
    ServiceSlot& slot = Slot();
    CritSecExitor hold(slot.lock);
    return slot.service;
}

std::shared_ptr<NameLookupService> SetNameLookupService(
    std::shared_ptr<NameLookupService> service) {
    ServiceSlot& slot = Slot();
    CritSecExitor hold(slot.lock);
    std::shared_ptr<NameLookupService> previous = slot.service;
    slot.service = service ? std::move(service) : std::make_shared<SystemNameLookup>();
    return previous;
}

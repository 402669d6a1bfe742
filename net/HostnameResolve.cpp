#include "net/HostnameResolve.h"

#include <cstring>
#include <new>

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "net/IpAddressText.h"
#include "net/NameCache.h"

HostnameResolve* HostnameResolve::Create() {
    return new (std::nothrow) HostnameResolve();
}

HostnameResolve::~HostnameResolve() = default;

void HostnameResolve::RunLookup() {
    found_ = service_->LookupIpv4(hostName_, resultAddress_);
}

bool HostnameResolve::Succeed(const unsigned char found[4], ProgressMonitor* monitor,
                              StringBuffer& dotted, unsigned char address[4]) {
    std::memcpy(address, found, 4);
    FormatAddress(platform::kFamilyIpv4, address, dotted);
    if (monitor) {
        monitor->Info("ResolvedToIp", dotted.GetString());
    }
    return true;
}

bool HostnameResolve::ResolveIpv4(const char* name, uint32_t timeoutMs, uint32_t heartbeatMs,
                                  LogBase& log, ProgressMonitor* monitor,
                                  StringBuffer& dottedAddress, unsigned char address[4],
                                  bool& aborted, bool& timedOut) {
    dottedAddress.Clear();
    aborted = false;
    timedOut = false;
    StringBuffer cleaned;
    if (!BeginLookup(name, "HostnameResolve", monitor, cleaned, log)) {
        return false;
    }
    unsigned char found[4] = {};
    if (heartbeatMs == 0 || !monitor) {
        log.AddInfo("Resolving domain name (IPV4) via gethostbyname");
        if (!service_->LookupIpv4(cleaned.GetString(), found)) {
            return false;
        }
        return Succeed(found, monitor, dottedAddress, address);
    }

    log.AddData("dnsCacheLookup", cleaned.GetString());
    StringBuffer cached;
    if (CacheLookup(cleaned.GetString(), cached) && ParseIpv4Text(cached.GetString(), found)) {
        Succeed(found, monitor, dottedAddress, address);
        log.AddData("dnsCacheHit", dottedAddress.GetString());
        return true;
    }

    hostName_ = cleaned.GetString();
    if (!RunOnWorker("Resolving domain name (IPV4)", timeoutMs, heartbeatMs, *monitor, log, aborted,
                     timedOut) ||
        !found_) {
        return false;
    }
    Succeed(resultAddress_, monitor, dottedAddress, address);
    CacheInsert(cleaned.GetString(), dottedAddress.GetString());
    return true;
}

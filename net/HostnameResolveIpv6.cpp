#include "net/HostnameResolveIpv6.h"

#include <new>

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "net/SocketErrorText.h"

namespace {

void LogAddressInfoFailure(int code, const char* host, int port, LogBase& log) {
    log.AddError("Failed to get host address info. (3)");
    ExplainSocketError(code, log);
    log.AddData("hostOrIpAddr", host);
    log.AddDataInt("port", port);
    log.AddInfo("Versions of Windows earlier than Windows XP are limited to handling IPv4 only");
    log.AddInfo(
        "On Windows Server 2003 and Windows XP, IPv6 addresses are returned only if IPv6 "
        "is installed on the local computer.");
}

}  // namespace

bool GetAddressInfoSync(const char* host, int port, const platform::AddressHints& hints,
                        std::vector<platform::AddressRecord>& records, LogBase& log) {
    records.clear();
    const std::shared_ptr<NameLookupService> service = CurrentNameLookupService();
    if (!service->HasAddressInfo()) {
        log.AddError("No getaddrinfo function.");
        return false;
    }
    const int code =
        service->LookupAddressInfo(host ? host : "", std::to_string(port), hints, records);
    if (code != 0) {
        LogAddressInfoFailure(code, host, port, log);
        return false;
    }
    return true;
}

HostnameResolveIpv6* HostnameResolveIpv6::Create() {
    return new (std::nothrow) HostnameResolveIpv6();
}

HostnameResolveIpv6::~HostnameResolveIpv6() = default;

void HostnameResolveIpv6::RunLookup() {
    errorCode_ = service_->HasAddressInfo()
                     ? service_->LookupAddressInfo(hostName_, portText_, hints_, records_)
                     : -1;
}

bool HostnameResolveIpv6::ResolveAddressInfo(const char* name, int port, uint32_t timeoutMs,
                                             uint32_t heartbeatMs, LogBase& log,
                                             ProgressMonitor* monitor,
                                             const platform::AddressHints& hints,
                                             std::vector<platform::AddressRecord>& records,
                                             bool& aborted, bool& timedOut) {
    records.clear();
    aborted = false;
    timedOut = false;
    StringBuffer cleaned;
    if (!BeginLookup(name, "HostnameResolveIpv6", monitor, cleaned, log)) {
        return false;
    }
    if (heartbeatMs == 0 || !monitor) {
        return GetAddressInfoSync(cleaned.GetString(), port, hints, records, log);
    }

    hostName_ = cleaned.GetString();
    portText_ = std::to_string(port);
    hints_ = hints;
    if (!RunOnWorker("Resolving domain name (IPV4/IPV6)...", timeoutMs, heartbeatMs, *monitor, log,
                     aborted, timedOut)) {
        return false;
    }
    if (errorCode_ == -1) {
        log.AddError("No getaddrinfo function.");
        return false;
    }
    if (errorCode_ != 0) {
        LogAddressInfoFailure(errorCode_, cleaned.GetString(), port, log);
        return false;
    }
    records = records_;
    return true;
}

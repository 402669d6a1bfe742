#pragma once
// HostnameResolveIpv6: one address-information lookup (the getaddrinfo road), IPv4 or IPv6.
//
// Without a heartbeat or without a monitor it is one blocking GetAddressInfoSync. With both, a
// worker thread runs the lookup while the caller polls (ThreadedLookup). The worker keeps the
// hints it was given and its result inside this object, so a worker that finishes after its
// caller gave up writes nothing the caller owns; the caller copies the records out only once
// the worker has finished. The event "HostnameResolveIpv6" (the cleaned name) is sent when the
// lookup starts. The name cache is not used on this road.

#include <cstdint>
#include <string>
#include <vector>

#include "net/ThreadedLookup.h"
#include "platform/Sockets.h"

class LogBase;
class ProgressMonitor;

class HostnameResolveIpv6 : public ThreadedLookup {
public:
    static HostnameResolveIpv6* Create();  // null when memory is exhausted

    bool ResolveAddressInfo(const char* name, int port, uint32_t timeoutMs, uint32_t heartbeatMs,
                            LogBase& log, ProgressMonitor* monitor,
                            const platform::AddressHints& hints,
                            std::vector<platform::AddressRecord>& records, bool& aborted,
                            bool& timedOut);

private:
    HostnameResolveIpv6() = default;
    ~HostnameResolveIpv6() override;

    void RunLookup() override;

    // Written before the worker starts, then read by it only.
    std::string hostName_;
    std::string portText_;
    platform::AddressHints hints_;
    // Written by the worker; read by the caller only after the worker has finished.
    int errorCode_ = 0;
    std::vector<platform::AddressRecord> records_;
};

// One blocking address-information lookup of a host and a port. A failure logs "Failed to get
// host address info. (3)" with the explanation of the error, the host and the port.
bool GetAddressInfoSync(const char* host, int port, const platform::AddressHints& hints,
                        std::vector<platform::AddressRecord>& records, LogBase& log);

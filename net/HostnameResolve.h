#pragma once
// HostnameResolve: one IPv4 lookup of a host name (the gethostbyname road).
//
// Without a heartbeat or without a monitor the lookup is one blocking call that neither reads
// nor fills the name cache. With both, the process-wide name cache is asked first; a miss starts
// a worker thread and the caller polls it (ThreadedLookup), and a result is added to the cache.
// Events sent to the monitor: "HostnameResolve" (the cleaned name) when the lookup starts,
// "ResolvedToIp" (the dotted address) when it succeeds.
//
// Usage: HostnameResolve* r = HostnameResolve::Create(); RefHolder<HostnameResolve> hold(r);
//        r->ResolveIpv4(...);  // the holder releases the caller's reference

#include <cstdint>
#include <string>

#include "net/ThreadedLookup.h"

class LogBase;
class ProgressMonitor;
class StringBuffer;

class HostnameResolve : public ThreadedLookup {
public:
    static HostnameResolve* Create();  // null when memory is exhausted

    // Success gives the dotted address and its four bytes. `aborted` and `timedOut` tell why a
    // threaded lookup gave up; timeoutMs 0 means no limit.
    bool ResolveIpv4(const char* name, uint32_t timeoutMs, uint32_t heartbeatMs, LogBase& log,
                     ProgressMonitor* monitor, StringBuffer& dottedAddress,
                     unsigned char address[4], bool& aborted, bool& timedOut);

private:
    HostnameResolve() = default;
    ~HostnameResolve() override;

    void RunLookup() override;
    bool Succeed(const unsigned char found[4], ProgressMonitor* monitor, StringBuffer& dotted,
                 unsigned char address[4]);

    // Written before the worker starts, then read by it only.
    std::string hostName_;
    // Written by the worker; read by the caller only after the worker has finished.
    bool found_ = false;
    unsigned char resultAddress_[4] = {};
};

#include "net/DnsLookup.h"

#include "core/LogBase.h"
#include "core/StringBuffer.h"
#include "net/HostnameResolve.h"
#include "net/IpAddressText.h"
#include "net/QuorvelSocket.h"
#include "platform/Clock.h"

namespace {

// The bytes removed from a name before it is tried again.
constexpr char kStrayNameBytes[] = " \t\r\n'\"<>:/@?";

void StrictlyCleanName(const char* name, StringBuffer& cleaned) {
    cleaned.SetString(name);
    cleaned.Trim();
    for (const char* stray = kStrayNameBytes; *stray; ++stray) {
        cleaned.RemoveChar(*stray);
    }
    cleaned.ToLowerCase();
}

// One ResolveIpv4 on a resolver of its own. `failureText` is logged when no resolver could be
// made.
bool ResolveOnce(const char* name, uint32_t timeoutMs, uint32_t heartbeatMs, LogBase& log,
                 ProgressMonitor* monitor, StringBuffer& dotted, unsigned char address[4],
                 bool& aborted, bool& timedOut, const char* failureText) {
    RefHolder<HostnameResolve> resolver(HostnameResolve::Create());
    if (!resolver) {
        log.AddError(failureText);
        return false;
    }
    return resolver->ResolveIpv4(name, timeoutMs, heartbeatMs, log, monitor, dotted, address,
                                 aborted, timedOut) &&
           !dotted.IsEmpty();
}

// False (with the timed-out flag) when the time-out is used up; otherwise `remaining` is what is
// left of it.
bool TimeLeft(uint32_t timeoutMs, uint32_t startTick, uint32_t& remaining, bool& timedOut,
              LogBase& log) {
    if (timeoutMs == 0) {
        remaining = 0;
        return true;
    }
    const uint32_t used = platform::TickCount() - startTick;
    if (used >= timeoutMs) {
        timedOut = true;
        log.AddError("DNS timed out.");
        return false;
    }
    remaining = timeoutMs - used;
    return true;
}

}  // namespace

bool LookupWithRetries(const char* name, uint32_t timeoutMs, uint32_t heartbeatMs, LogBase& log,
                       ProgressMonitor* monitor, StringBuffer& dottedAddress,
                       unsigned char address[4], bool& aborted, bool& timedOut) {
    aborted = false;
    timedOut = false;
    dottedAddress.Clear();
    if (!QuorvelSocket::startupWSA(log)) {
        return false;
    }
    const uint32_t startTick = platform::TickCount();
    if (ResolveOnce(name, timeoutMs, heartbeatMs, log, monitor, dottedAddress, address, aborted,
                    timedOut, "Memory allocation failure.")) {
        return true;
    }
    uint32_t remaining = 0;
    if (aborted || !name || !TimeLeft(timeoutMs, startTick, remaining, timedOut, log)) {
        return false;
    }

    StringBuffer cleaned;
    StrictlyCleanName(name, cleaned);
    if (cleaned.GetSize() != StringBuffer(name).GetSize()) {
        if (ResolveOnce(cleaned.GetString(), remaining, heartbeatMs, log, monitor, dottedAddress,
                        address, aborted, timedOut, "Memory allocation error")) {
            return true;
        }
        if (aborted || !TimeLeft(timeoutMs, startTick, remaining, timedOut, log)) {
            return false;
        }
    }
    if (cleaned.CountChar('.') != 1) {
        return false;
    }
    StringBuffer withWww("www.");
    withWww.Append(cleaned);
    return ResolveOnce(withWww.GetString(), remaining, heartbeatMs, log, monitor, dottedAddress,
                       address, aborted, timedOut, "Memory allocation error");
}

bool DnsLookupToText(const char* name, uint32_t timeoutMs, uint32_t heartbeatMs, LogBase& log,
                     ProgressMonitor* monitor, StringBuffer& dottedAddress) {
    dottedAddress.Clear();
    if (!name) {
        log.AddError("DNS lookup failed; hostname is NULL");
        return false;
    }
    StringBuffer host(name);
    host.Trim();
    if (host.IsEmpty()) {
        log.AddError("DNS lookup failed; hostname is empty");
        return false;
    }
    if (host.EqualsNoCase("localhost")) {
        return dottedAddress.Append("127.0.0.1");
    }
    unsigned char address[4];
    if (ParseIpv4Text(host.GetString(), address)) {
        log.AddError("IP address passed to DNS lookup");
        log.AddData("hostname", host.GetString());
        return false;
    }
    bool aborted = false;
    bool timedOut = false;
    if (!LookupWithRetries(host.GetString(), timeoutMs, heartbeatMs, log, monitor, dottedAddress,
                           address, aborted, timedOut) ||
        dottedAddress.IsEmpty()) {
        log.AddError("DNS lookup failed.");
        log.AddData("hostname", host.GetString());
        return false;
    }
    return true;
}

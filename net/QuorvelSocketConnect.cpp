// QuorvelSocket: connecting. SocketConnect picks one of four paths, which differ in how the
// name is resolved and whether the wait for the connection fires heartbeats:
//   1 IPv4               numeric text or LookupWithRetries; used when address information is
//                        missing, and as the retry when the first address record is not TCP
//   2 address-info       one getaddrinfo call; the path without heartbeat
//   3 heartbeat IPv4     as 1, with the caller's heartbeat (address information missing)
//   4 heartbeat IPv6     numeric texts at once, names on a lookup thread; the heartbeat path
// All four end in the same connect loop: a non-blocking connect retried within the connect
// time-out while the peer refuses, 100 ms apart (1000 ms while more than a second is left).

#include <exception>

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "net/ConnectFailCode.h"
#include "net/DnsLookup.h"
#include "net/HostnameResolveIpv6.h"
#include "net/IpAddressText.h"
#include "net/NameLookupService.h"
#include "net/QuorvelSocket.h"
#include "net/SocketErrorText.h"
#include "platform/Clock.h"

// What tells the four paths apart in the connect loop and its log.
struct QuorvelSocket::ConnectPath {
    bool heartbeat;     // waits with WaitWritableHb
    bool ipv4Details;   // how address details are logged for "invalid argument"
    const char* ipTag;  // local address once the wait saw the connection (null: not logged)
    const char* portTag;
    const char* successText;
    const char* lateIpTag;  // local address when connect itself reported the connection
    const char* latePortTag;
    const char* lateSuccessText;
    const char* failureText;
    bool explainFailure;  // the failure text is followed by the explanation of the last error
    const char* invalidSocketText;
};

namespace {

constexpr uint32_t kIpv4LookupHeartbeatMs = 200;
constexpr uint32_t kFirstPauseMs = 100;
constexpr uint32_t kShortPauseMs = 100;
constexpr uint32_t kLongPauseMs = 1000;
constexpr uint32_t kLastAttemptMs = 100;

// The host as the address-information paths hand it to the lookup.
void AddressInfoHost(const char* host, StringBuffer& out) {
    out.SetString(host);
    out.ReplaceFirst("http://", "");
    out.ReplaceFirst("https://", "");
    out.RemoveChar('/');
}

// Hints for an address-information lookup; numeric texts are named as such in the log.
platform::AddressHints HintsFor(const StringBuffer& host, const char* ipv4Text,
                                const char* ipv6Text, LogBase& log, bool& numeric) {
    platform::AddressHints hints;
    unsigned char bytes[16];
    numeric = true;
    if (ParseIpv4Text(host.GetString(), bytes)) {
        log.AddInfo(ipv4Text);
        hints.family = platform::kFamilyIpv4;
    } else if (ParseIpv6Text(host.GetString(), bytes)) {
        log.AddInfo(ipv6Text);
        hints.family = platform::kFamilyIpv6;
    } else {
        numeric = false;
    }
    hints.numericHost = numeric;
    return hints;
}

platform::SocketAddress Ipv4Address(const unsigned char bytes[4], int port) {
    platform::SocketAddress address;
    address.family = platform::kFamilyIpv4;
    for (int i = 0; i < 4; ++i) {
        address.bytes[i] = bytes[i];
    }
    address.port = static_cast<uint16_t>(port);
    return address;
}

}  // namespace

// Paths 1 to 4, in the order of the list above.
const QuorvelSocket::ConnectPath& QuorvelSocket::PathFor(int number) {
    static constexpr ConnectPath kPaths[] = {
        {false, true, "myIP_1", "myPort_1", "connect successful.", "myIP_2", "myPort_2",
         "connect successful..", "Connect function failed.", true,
         "Cannot connect, invalid socket (1)"},
        {false, false, "myIP_3", "myPort_3", "connect successful.", "myIP_4", "myPort_4",
         "connect successful..", "Connect function failed.", true,
         "Cannot connect, invalid socket (2)"},
        {true, true, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
         "Connect function failed", false, "Cannot connect, invalid socket (3)"},
        {true, false, "myIP_5", "myPort_5", "connect successful.", "myIP_6", "myPort_6",
         "connect successful.", "Connect function failed", false,
         "Cannot connect, invalid socket (4)"},
    };
    return kPaths[number - 1];
}

bool QuorvelSocket::SocketConnect(const char* host, int port, uint32_t heartbeatMs, LogBase& log,
                                  bool& dnsFailed, ProgressMonitor* monitor) {
    dnsFailed = false;
    log.AddDataInt("ConnectTimeoutMs", static_cast<int32_t>(connectTimeoutMs_));
    connectFailReason_ = kConnectNoFailure;

    // Steps shared by every path: a host is required, "localhost" needs no lookup.
    if (!host) {
        connectFailReason_ = kConnectNoHostName;
        log.AddError("Cannot connect, hostname is NULL");
        return false;
    }
    StringBuffer name(host);
    name.Trim();
    StringBuffer where(name);
    where.AppendChar(':');
    where.AppendInt(port);
    if (monitor) {
        monitor->Info("SocketConnect", where.GetString());
    }
    if (name.IsEmpty()) {
        connectFailReason_ = kConnectNoHostName;
        log.AddError("Cannot connect, hostname is zero length");
        return false;
    }
    if (port < 0 || port > 65535) {
        connectFailReason_ = kConnectCallFailed;
        log.AddError("Cannot connect, invalid port number");
        log.AddDataInt("port", port);
        return false;
    }
    if (name.EqualsNoCase("localhost")) {
        name.SetString("127.0.0.1");
        remoteIp_.SetString(name);
    }
    startupWSA(log);

    bool connected = false;
    try {
        const bool addressInfo = CurrentNameLookupService()->HasAddressInfo();
        if (heartbeatMs != 0 && monitor) {
            connected = addressInfo ? ConnectHeartbeatIpv6(name.GetString(), port, heartbeatMs, log,
                                                           dnsFailed, monitor)
                                    : ConnectIpv4(name.GetString(), port, heartbeatMs, log,
                                                  dnsFailed, monitor);
        } else {
            log.AddInfo("calling ConnectSocket2");
            connected = ConnectSocket2(name.GetString(), port, log, dnsFailed, monitor);
        }
    } catch (const std::exception&) {
        connected = false;  // out of memory inside a path: the connect failed
        if (connectFailReason_ == kConnectNoFailure) {
            connectFailReason_ = kConnectCallFailed;
        }
    }
    if (connected && monitor) {
        monitor->Info("SocketConnected", where.GetString());
    }
    return connected;
}

bool QuorvelSocket::ConnectSocket2(const char* host, int port, LogBase& log, bool& dnsFailed,
                                   ProgressMonitor* monitor) {
    if (!CurrentNameLookupService()->HasAddressInfo()) {
        return ConnectIpv4(host, port, 0, log, dnsFailed, monitor);
    }
    bool retryIpv4 = false;
    if (ConnectAddressInfo(host, port, log, dnsFailed, retryIpv4)) {
        return true;
    }
    if (!retryIpv4) {
        return false;
    }
    LogContext context(log, "IPV4_retry");
    return ConnectIpv4(host, port, 0, log, dnsFailed, monitor);
}

// Paths 1 (heartbeatMs 0) and 3.
bool QuorvelSocket::ConnectIpv4(const char* host, int port, uint32_t heartbeatMs, LogBase& log,
                                bool& dnsFailed, ProgressMonitor* monitor) {
    const ConnectPath& path = PathFor(heartbeatMs ? 3 : 1);
    unsigned char bytes[4];
    if (ParseIpv4Text(host, bytes)) {
        remoteIp_.SetString(host);
    } else {
        const uint32_t startTick = platform::TickCount();
        bool aborted = false;
        bool timedOut = false;
        StringBuffer dotted;
        if (!LookupWithRetries(host, connectTimeoutMs_,
                               heartbeatMs ? heartbeatMs : kIpv4LookupHeartbeatMs, log, monitor,
                               dotted, bytes, aborted, timedOut)) {
            log.AddError(heartbeatMs ? "Cannot get host by name." : "Cannot get host by name..");
            log.AddData("hostname", host);
            return LookupFailed(aborted, timedOut, dnsFailed);
        }
        if (connectTimeoutMs_ != 0 && platform::TickCount() - startTick >= connectTimeoutMs_) {
            connectFailReason_ = kConnectLookupTimedOut;
            log.AddError("Application timeout after DNS");
            return false;
        }
        remoteIp_.SetString(dotted);
    }
    if (!createSocket(log, true)) {
        connectFailReason_ = kConnectSocketFailed;
        log.AddError(path.invalidSocketText);
        return false;
    }
    return RunConnectLoop(Ipv4Address(bytes, port), path, host, heartbeatMs, log, monitor);
}

// Path 2.
bool QuorvelSocket::ConnectAddressInfo(const char* host, int port, LogBase& log, bool& dnsFailed,
                                       bool& retryIpv4) {
    StringBuffer name;
    AddressInfoHost(host, name);
    bool numeric = false;
    const platform::AddressHints hints =
        HintsFor(name, "This is an IPV4 numeric address...", "This is an IPV6 numeric address...",
                 log, numeric);
    std::vector<platform::AddressRecord> records;
    const int code = CurrentNameLookupService()->LookupAddressInfo(
        name.GetString(), std::to_string(port), hints, records);
    if (code != 0 || records.empty()) {
        log.AddError("Failed to get host address info. (1)");
        log.AddInfo(
            "Versions of Windows earlier than Windows XP are limited to handling IPv4 only");
        log.AddInfo(
            "On Windows Server 2003 and Windows XP, IPv6 addresses are returned only if "
            "IPv6 is installed on the local computer.");
        ExplainSocketError(code ? code : platform::kErrorHostNotFound, log);
        log.AddData("hostOrIpAddr", name.GetString());
        log.AddDataInt("port", port);
        return LookupFailed(false, false, dnsFailed);
    }
    const platform::AddressRecord& first = records.front();
    log.AddInfo(first.family == platform::kFamilyIpv6 ? "Connect using IPV6."
                                                      : "Connect using IPV4.");
    if (first.protocol != platform::kProtocolTcp) {
        log.AddDataInt("ai_protocol", first.protocol);
        retryIpv4 = true;
        return false;
    }
    return ConnectToRecord(first, PathFor(2), name.GetString(), 0, log, nullptr);
}

// Path 4.
bool QuorvelSocket::ConnectHeartbeatIpv6(const char* host, int port, uint32_t heartbeatMs,
                                         LogBase& log, bool& dnsFailed, ProgressMonitor* monitor) {
    StringBuffer name;
    AddressInfoHost(host, name);
    bool numeric = false;
    const platform::AddressHints hints = HintsFor(name, "This is an IPV4 numeric address.",
                                                  "This is an IPV6 numeric address.", log, numeric);
    std::vector<platform::AddressRecord> records;
    if (numeric) {
        log.AddInfo("Hostname to IP address resolution not needed.");
        if (!GetAddressInfoSync(name.GetString(), port, hints, records, log)) {
            return LookupFailed(false, false, dnsFailed);
        }
    } else {
        log.AddInfo("Multi-threaded hostname to IP address resolution");
        RefHolder<HostnameResolveIpv6> resolver(HostnameResolveIpv6::Create());
        if (!resolver) {
            log.AddError("Memory allocation failure.");
            connectFailReason_ = kConnectSocketFailed;
            return false;
        }
        bool aborted = false;
        bool timedOut = false;
        if (!resolver->ResolveAddressInfo(name.GetString(), port, connectTimeoutMs_, heartbeatMs,
                                          log, monitor, hints, records, aborted, timedOut)) {
            return LookupFailed(aborted, timedOut, dnsFailed);
        }
    }
    if (records.empty()) {
        return LookupFailed(false, false, dnsFailed);
    }
    const platform::AddressRecord& first = records.front();
    log.AddInfo(first.family == platform::kFamilyIpv6 ? "Connecting to IPV6 address."
                                                      : "Connecting to IPV4 address.");
    return ConnectToRecord(first, PathFor(4), name.GetString(), heartbeatMs, log, monitor);
}

bool QuorvelSocket::LookupFailed(bool aborted, bool timedOut, bool& dnsFailed) {
    dnsFailed = true;
    connectFailReason_ = aborted    ? kConnectAborted
                         : timedOut ? kConnectLookupTimedOut
                                    : kConnectLookupFailed;
    return false;
}

bool QuorvelSocket::ConnectToRecord(const platform::AddressRecord& record, const ConnectPath& path,
                                    const char* host, uint32_t heartbeatMs, LogBase& log,
                                    ProgressMonitor* monitor) {
    FormatAddress(record.family, record.address.bytes, remoteIp_);
    log.AddData("ipAddress", remoteIp_.GetString());
    if (!createSocket_ipv6(&record, log, true)) {
        connectFailReason_ = kConnectSocketFailed;
        log.AddError(path.invalidSocketText);
        return false;
    }
    return RunConnectLoop(record.address, path, host, heartbeatMs, log, monitor);
}

bool QuorvelSocket::RunConnectLoop(const platform::SocketAddress& address, const ConnectPath& path,
                                   const char* host, uint32_t heartbeatMs, LogBase& log,
                                   ProgressMonitor* monitor) {
    const uint32_t budget = connectTimeoutMs_;
    if (budget > 0) {
        platform::SetSocketBlocking(handle_, false);
    }
    uint32_t remaining = budget;
    uint32_t lastPause = kFirstPauseMs;
    bool lastAttempt = false;
    uint32_t attemptStart = platform::TickCount();
    platform::SocketStatus status;
    bool connected = platform::ConnectSocket(handle_, address, false, status);
    while (!connected) {
        lastError_ = status.code;
        if (status.code != platform::kErrorWouldBlock) {
            if (status.code == platform::kErrorInvalidArgument) {
                LogAddressDetails(path, address, host, log);
            }
            log.AddDataInt("sockError", status.code);
            break;
        }
        if (budget == 0) {
            break;
        }
        bool refused = false;
        bool aborted = false;
        bool timedOut = false;
        bool fatal = false;
        const bool writable = path.heartbeat
                                  ? WaitWritableHb(heartbeatMs, 0, remaining, true, log, monitor,
                                                   refused, aborted, timedOut, fatal)
                                  : WaitWritable(remaining, true, log, refused, timedOut, fatal);
        if (writable) {
            platform::SetSocketBlocking(handle_, true);
            isConnected_ = true;
            LogConnected(path.ipTag, path.portTag, path.successText, log);
            return true;
        }
        if (path.heartbeat && aborted) {
            platform::SetSocketBlocking(handle_, true);
            connectFailReason_ = kConnectAborted;
            return false;
        }
        if (lastAttempt) {
            // The last attempt's wait failed: the connect time-out is used up. (Without this
            // stop a refusing peer would be retried for ever, 100 ms apart.)
            if (path.heartbeat) {
                connectFailReason_ = kConnectTimedOut;
                log.AddDataInt("ConnectTimeoutMs", static_cast<int32_t>(budget));
                ExplainSocketError(platform::kErrorWouldBlock, log);
            }
            break;
        }
        const uint32_t now = platform::TickCount();
        const uint32_t elapsed = now < attemptStart ? 100 : now - attemptStart;
        if (elapsed >= remaining) {
            break;
        }
        remaining -= elapsed;
        lastPause = remaining <= 1000 ? kShortPauseMs : kLongPauseMs;
        platform::SleepMs(lastPause);
        if (remaining < lastPause || remaining - lastPause < 100) {
            lastAttempt = true;
            remaining = kLastAttemptMs;
        } else {
            remaining -= lastPause;
        }
        attemptStart = platform::TickCount();
        connected = platform::ConnectSocket(handle_, address, true, status);
    }
    if (budget > 0) {
        platform::SetSocketBlocking(handle_, true);
    }
    if (connected) {
        isConnected_ = true;
        LogConnected(path.lateIpTag, path.latePortTag, path.lateSuccessText, log);
        return true;
    }
    if (connectFailReason_ == kConnectNoFailure) {
        connectFailReason_ = kConnectCallFailed;
    }
    log.AddError(path.failureText);
    if (path.explainFailure) {
        ExplainSocketError(lastError_, log);
    }
    return false;
}

void QuorvelSocket::LogConnected(const char* ipTag, const char* portTag, const char* text,
                                 LogBase& log) {
    if (!ipTag) {
        return;
    }
    StringBuffer ip;
    int port = 0;
    GetLocalAddress(ip, port, log);
    log.AddData(ipTag, ip.GetString());
    log.AddDataInt(portTag, port);
    log.AddInfo(text);
}

void QuorvelSocket::LogAddressDetails(const ConnectPath& path,
                                      const platform::SocketAddress& address, const char* host,
                                      LogBase& log) {
    if (path.ipv4Details) {
        const uint32_t value = static_cast<uint32_t>(address.bytes[0]) << 24 |
                               static_cast<uint32_t>(address.bytes[1]) << 16 |
                               static_cast<uint32_t>(address.bytes[2]) << 8 | address.bytes[3];
        log.AddDataHex("IP_Address", value);
        log.AddData("ipAddr", remoteIp_.GetString());
        log.AddData("Hostname", host);
    } else {
        log.AddData("HostOrIpAddress", host);
    }
    log.AddDataInt("SocketHandle", handle_);
}

#pragma once
// NameLookupService: the two resolver entry points the socket layer reaches the system through,
// the gethostbyname stand-in (first IPv4 address of a name) and getaddrinfo (a list of address
// records), plus whether the second exists at all. The system's own service is in place by
// default; a test installs one of its own to script answers, failures and slow lookups without
// any outside name server.
//
// Lookup workers take a shared reference to the service when they start, so a replaced service
// lives until the last worker that uses it has finished. Implementations must be safe to call
// from several threads at once.

#include <memory>
#include <string>
#include <vector>

#include "platform/Sockets.h"

class NameLookupService {
public:
    virtual ~NameLookupService();

    virtual bool LookupIpv4(const std::string& name, unsigned char address[4]) = 0;
    // False when address-information lookups are not offered; the IPv4 connect paths are used.
    virtual bool HasAddressInfo() const = 0;
    // 0 and the records, or the Windows Sockets number of the failure.
    virtual int LookupAddressInfo(const std::string& host, const std::string& port,
                                  const platform::AddressHints& hints,
                                  std::vector<platform::AddressRecord>& records) = 0;
};

// The service in use (never null).
std::shared_ptr<NameLookupService> CurrentNameLookupService();
// Installs a service and returns the previous one; null puts the system's service back.
std::shared_ptr<NameLookupService> SetNameLookupService(std::shared_ptr<NameLookupService> service);

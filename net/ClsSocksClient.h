#pragma once
// ClsSocksClient: the SOCKS proxy settings a connecting client carries. A version of 4 or 5
// routes new connections through the SOCKS proxy at socksHostname:socksPort; any other version
// (0 by default) means no SOCKS proxy.

#include "core/StringBuffer.h"

class ClsSocksClient {
public:
    virtual ~ClsSocksClient() = default;

    int socksVersion = 0;
    StringBuffer socksHostname;
    int socksPort = 1080;
    StringBuffer socksUsername;
    StringBuffer socksPassword;
};

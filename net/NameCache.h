#pragma once
// NameCache: host names and the dotted IPv4 addresses threaded lookups found for them. It keeps
// two generations: insertions go to the current one, and once it has taken 800 insertions the
// next insertion first drops the previous generation, makes the current one the previous and
// starts an empty current one. Lookups search the current generation, then the previous one, so
// a name stays reachable for at least 800 further insertions and the cache never holds more than
// 1600 entries. A name that already is a numeric IPv4 address is its own answer.
//
// One lock guards each cache; the process-wide cache is reached through CacheLookup and
// CacheInsert.

#include <string>
#include <unordered_map>

#include "core/QuorvelCritSec.h"

class StringBuffer;

class NameCache {
public:
    static constexpr unsigned kGenerationSize = 800;

    bool Lookup(const char* name, StringBuffer& dottedAddress);
    void Insert(const char* name, const char* dottedAddress);

private:
    using Generation = std::unordered_map<std::string, std::string>;

    QuorvelCritSec lock_;
    Generation current_{1000};
    Generation previous_{1000};
    unsigned insertions_ = 0;  // into the current generation
};

// The process-wide cache of the resolvers.
bool CacheLookup(const char* name, StringBuffer& dottedAddress);
void CacheInsert(const char* name, const char* dottedAddress);

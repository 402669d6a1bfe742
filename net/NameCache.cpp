#include "net/NameCache.h"

#include "core/StringBuffer.h"
#include "net/IpAddressText.h"

namespace {

bool IsNumericIpv4(const char* name) {
    unsigned char ignored[4];
    return ParseIpv4Text(name, ignored);
}

NameCache& SharedCache() {
    static NameCache cache;
    return cache;
}

}  // namespace

bool NameCache::Lookup(const char* name, StringBuffer& dottedAddress) {
    dottedAddress.Clear();
    if (!name) {
        return false;
    }
    if (IsNumericIpv4(name)) {
        return dottedAddress.Append(name);
    }
    CritSecExitor hold(lock_);
    try {
        for (const Generation* generation : {&current_, &previous_}) {
            const auto found = generation->find(name);
            if (found != generation->end()) {
                return dottedAddress.Append(found->second.c_str());
            }
        }
    } catch (...) {
        // Memory for the key could not be found; a miss is the honest answer.
    }
    return false;
}

void NameCache::Insert(const char* name, const char* dottedAddress) {
    if (!name || !dottedAddress || IsNumericIpv4(name)) {
        return;
    }
    CritSecExitor hold(lock_);
    try {
        if (insertions_ >= kGenerationSize) {
            previous_.swap(current_);
            current_ = Generation(1000);
            insertions_ = 0;
        }
        current_[name] = dottedAddress;
        ++insertions_;
    } catch (...) {
        // Out of memory: the name is simply not cached.
    }
}

bool CacheLookup(const char* name, StringBuffer& dottedAddress) {
    return SharedCache().Lookup(name, dottedAddress);
}

void CacheInsert(const char* name, const char* dottedAddress) {
    SharedCache().Insert(name, dottedAddress);
}

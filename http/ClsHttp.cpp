#include "http/ClsHttp.h"

ClsHttp::ClsHttp() {
    // The response cache is off for this object unless a caller switches it on.
    settings_.readFromCache = false;
    settings_.writeToCache = false;
}

ClsHttp::~ClsHttp() = default;

void ClsHttp::SetFirefoxStyleRequest(bool on) {
    settings_.firefoxStyleRequest = on;
    if (on) {
        settings_.ieStyleRequest = false;
    }
}

#include "http/HttpResult.h"

void HttpResult::ResetForGet() {
    wasRedirected = false;
    finalUrl.Clear();
    ResetForAttempt();
}

void HttpResult::ResetForAttempt() {
    cacheStatus = 0;
    fromCache = false;
    sendFailed = false;
    responseHeader.Reset();
}

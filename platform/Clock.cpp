#include "platform/Clock.h"

#include <cerrno>
#include <cstdio>
#include <time.h>

namespace platform {

LocalDateTime LocalNow() {
    std::time_t now = std::time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    LocalDateTime out;
    out.year = local.tm_year + 1900;
    out.month = local.tm_mon + 1;
    out.day = local.tm_mday;
    out.hour = local.tm_hour;
    out.minute = local.tm_min;
    out.second = local.tm_sec;
    return out;
}

std::string TwelveHourTimeText(const LocalDateTime& time) {
    int hour12 = time.hour % 12;
    if (hour12 == 0) {
        hour12 = 12;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d %s", hour12, time.minute, time.second,
                  time.hour < 12 ? "AM" : "PM");
    return text;
}

uint32_t TickCount() {
    struct timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u +
                        static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void SleepMs(uint32_t milliseconds) {
    struct timespec wait {};
    wait.tv_sec = milliseconds / 1000;
    wait.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

std::time_t CalendarSeconds() { return std::time(nullptr); }

}  // namespace platform

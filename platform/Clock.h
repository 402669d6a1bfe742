#pragma once
// Time services: the local calendar time, the millisecond tick counter and sleeping.

#include <cstdint>
#include <ctime>
#include <string>

namespace platform {

// The fields of a local time reading that the system formats (as GetLocalTime gives them).
struct LocalDateTime {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    int hour = 0;   // 0 to 23
    int minute = 0;
    int second = 0;
};

// The local time now (honours TZ).
LocalDateTime LocalNow();

// "hh:mm:ss tt": a 12-hour clock with two digits each and the designator "AM" or "PM".
std::string TwelveHourTimeText(const LocalDateTime& time);

// Milliseconds of a monotonic clock, as an unsigned 32-bit value that wraps like GetTickCount.
uint32_t TickCount();

// Pauses the calling thread for the given number of milliseconds.
void SleepMs(uint32_t milliseconds);

// Calendar time in seconds since 1970.
std::time_t CalendarSeconds();

}  // namespace platform

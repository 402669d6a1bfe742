#include "http/HttpDate.h"

#include <cstdio>

#include "core/StringBuffer.h"

namespace {

struct CivilDate {
    int64_t year;
    unsigned month;  // 1 to 12
    unsigned day;    // 1 to 31
};

// The proleptic Gregorian date of a day count since 1970-01-01 (H. Hinnant's days-to-civil).
CivilDate CivilFromDays(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const uint64_t dayOfEra = static_cast<uint64_t>(days - era * 146097);
    const uint64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const uint64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const uint64_t monthIndex = (5 * dayOfYear + 2) / 153;  // March = 0
    const unsigned day = static_cast<unsigned>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const unsigned month = static_cast<unsigned>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    const int64_t year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

}  // namespace

bool AppendRfc1123Date(StringBuffer& out, int64_t secondsSince1970) {
    static const char* const kDayNames[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int64_t days = secondsSince1970 / 86400;
    int64_t secondOfDay = secondsSince1970 % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    const CivilDate date = CivilFromDays(days);
    const int64_t weekday = ((days % 7) + 7) % 7;  // 1970-01-01 was a Thursday
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02u %s %04lld %02d:%02d:%02d GMT", kDayNames[weekday],
                  date.day, kMonthNames[date.month - 1], static_cast<long long>(date.year),
                  static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60),
                  static_cast<int>(secondOfDay % 60));
    return out.Append(text);
}

#include "platform/portable/PortableClock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

DateTime HostClock::Now() {
    std::time_t seconds = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string UsEnglishLocale::ShortDate(const DateTime& t) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d/%d/%04d", t.month, t.day, t.year);
    return buffer;
}

std::string UsEnglishLocale::LongTime(const DateTime& t) {
    int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d %s", hour12, t.minute, t.second,
                  t.hour < 12 ? "AM" : "PM");
    return buffer;
}

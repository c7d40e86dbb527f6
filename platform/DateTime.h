#pragma once
// A local calendar date and time, as the program reads it from the clock or a file.
#include <cstdint>

struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    // The zero date of the classic runtime: 30 December 1899, 00:00.
    static DateTime Zero() { return DateTime{}; }
    bool HasTime() const { return hour != 0 || minute != 0 || second != 0; }
    // Days since 30 December 1899 (negative before it).
    int64_t DaySerial() const;
    static DateTime FromDaySerial(int64_t days);
    // 0 Monday .. 6 Sunday.
    int Weekday() const;
    bool operator==(const DateTime&) const = default;
};

#pragma once
// The current local time and the user's regional date and time formats.
#include <string>

#include "platform/DateTime.h"

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime Now() = 0;
};

class Locale {
public:
    virtual ~Locale() = default;
    // The regional "Short Date" and "Long Time" formats.
    virtual std::string ShortDate(const DateTime& t) = 0;
    virtual std::string LongTime(const DateTime& t) = 0;
    // The general date form: the short date, then a blank and the long time unless the
    // time part is zero.
    std::string GeneralDate(const DateTime& t) {
        return t.HasTime() ? ShortDate(t) + " " + LongTime(t) : ShortDate(t);
    }
};

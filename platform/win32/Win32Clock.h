#pragma once
#include "platform/Clock.h"

// The local time of the machine.
class Win32Clock : public Clock {
public:
    DateTime Now() override;
};

// The user's regional "Short Date" and "Long Time" formats.
class Win32Locale : public Locale {
public:
    std::string ShortDate(const DateTime& t) override;
    std::string LongTime(const DateTime& t) override;
};

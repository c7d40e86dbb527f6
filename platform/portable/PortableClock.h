#pragma once
// Clocks and regional formats for worlds without Windows.
#include <optional>

#include "platform/Clock.h"

// The host's local time.
class HostClock : public Clock {
public:
    DateTime Now() override;
};

// The host's local time, or a time a test has fixed.
class PortableClock : public Clock {
public:
    DateTime Now() override { return fixed_ ? *fixed_ : host_.Now(); }
    void Fix(DateTime now) { fixed_ = now; }
    void Release() { fixed_.reset(); }

private:
    HostClock host_;
    std::optional<DateTime> fixed_;
};

// English (United States) formats, as a fresh Wine prefix has them: short date
// "M/d/yyyy", long time "h:mm:ss tt".
class UsEnglishLocale : public Locale {
public:
    std::string ShortDate(const DateTime& t) override;
    std::string LongTime(const DateTime& t) override;
};

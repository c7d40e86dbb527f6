#include "platform/win32/Win32Clock.h"

#include "platform/win32/WinText.h"

namespace {
SYSTEMTIME ToSystemTime(const DateTime& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.year);
    st.wMonth = static_cast<WORD>(t.month);
    st.wDay = static_cast<WORD>(t.day);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    st.wDayOfWeek = static_cast<WORD>((t.Weekday() + 1) % 7);  // Sunday is 0 here
    return st;
}
}  // namespace

DateTime Win32Clock::Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return DateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string Win32Locale::ShortDate(const DateTime& t) {
    SYSTEMTIME st = ToSystemTime(t);
    wchar_t buffer[128];
    int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 128);
    return n > 0 ? win::Narrow(buffer, static_cast<size_t>(n - 1)) : std::string();
}

std::string Win32Locale::LongTime(const DateTime& t) {
    SYSTEMTIME st = ToSystemTime(t);
    wchar_t buffer[128];
    int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
    return n > 0 ? win::Narrow(buffer, static_cast<size_t>(n - 1)) : std::string();
}

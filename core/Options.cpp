#include "core/Options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "core/App.h"
#include "core/Errors.h"
#include "core/Logs.h"
#include "platform/Text.h"

namespace {
constexpr uint32_t kProfileBufferChars = 2048;
const char kOptionsSection[] = "Main";
}  // namespace

std::string ReadProfileString(App& app, const std::string& section, const std::string& key,
                              const std::string& defaultValue, const std::string& path) {
    return app.os.profile.GetString(section, key, defaultValue, path, kProfileBufferChars);
}

std::string GetOptionS(App& app, const std::string& key, const std::string& defaultValue) {
    WriteTrace(app, "GetOptionS");
    return ReadProfileString(app, kOptionsSection, key, defaultValue, app.AppFile("setup.ini"));
}

void SaveOptionS(App& app, const std::string& key, const std::string& value) {
    WriteTrace(app, "SaveOptionS");
    // A refused write is ignored: the next read gives the old value or the default.
    app.os.profile.WriteString(kOptionsSection, key, value, app.AppFile("setup.ini"));
}

bool GetOptionB(App& app, const std::string& key, bool defaultValue) {
    return TextToBoolean(GetOptionS(app, key, defaultValue ? "1" : "0"));
}

void SaveOptionB(App& app, const std::string& key, bool value) {
    SaveOptionS(app, key, value ? "1" : "0");
}

int32_t GetOptionL(App& app, const std::string& key, int32_t defaultValue) {
    std::string text = GetOptionS(app, key, std::to_string(defaultValue));
    try {
        return TextToLong(text);
    } catch (const RuntimeError&) {
        return defaultValue;
    }
}

void SaveOptionL(App& app, const std::string& key, int32_t value) {
    SaveOptionS(app, key, std::to_string(value));
}

bool ParseNumber(std::string_view input, double& value) {
    std::string t = text::Trim(input);
    if (t.empty()) return false;
    if (t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h' || t[1] == 'O' || t[1] == 'o')) {
        int base = (t[1] == 'H' || t[1] == 'h') ? 16 : 8;
        errno = 0;
        char* end = nullptr;
        unsigned long long n = std::strtoull(t.c_str() + 2, &end, base);
        if (*end != '\0' || errno == ERANGE || t[2] == '-' || t[2] == '+' || t[2] == ' ')
            return false;
        value = static_cast<double>(n);
        return true;
    }
    // Sign, digits, optional fraction, optional exponent; nothing else.
    size_t i = 0;
    if (t[i] == '+' || t[i] == '-') ++i;
    size_t digits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
        size_t expDigits = 0;
        while (j < t.size() && t[j] >= '0' && t[j] <= '9') ++j, ++expDigits;
        if (expDigits == 0) return false;
        i = j;
    }
    if (i != t.size()) return false;
    value = std::strtod(t.c_str(), nullptr);
    return std::isfinite(value);
}

bool TextToBoolean(std::string_view input) {
    double number = 0;
    if (ParseNumber(input, number)) return number != 0;
    std::string word = text::ToLower(text::Trim(input));
    if (word == "true") return true;
    if (word == "false") return false;
    throw RuntimeError(kErrTypeMismatch);
}

int32_t TextToLong(std::string_view input) {
    double number = 0;
    if (!ParseNumber(input, number)) throw RuntimeError(kErrTypeMismatch);
    double rounded = std::nearbyint(number);  // halves to even, as CLng rounds
    if (rounded < -2147483648.0 || rounded > 2147483647.0) throw RuntimeError(kErrOverflow);
    return static_cast<int32_t>(rounded);
}

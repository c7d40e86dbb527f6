#pragma once
// The options: keys of section "Main" of "setup.ini" beside the program, read and
// written straight through the profile functions with no cache.
#include <cstdint>
#include <string>
#include <string_view>

struct App;

// The value of key in section of an INI file, or the default; at most 2047 characters.
std::string ReadProfileString(App& app, const std::string& section, const std::string& key,
                              const std::string& defaultValue, const std::string& path);

std::string GetOptionS(App& app, const std::string& key, const std::string& defaultValue);
void SaveOptionS(App& app, const std::string& key, const std::string& value);

// Throws RuntimeError 13 (Type mismatch) when the stored text is not a boolean.
bool GetOptionB(App& app, const std::string& key, bool defaultValue);
void SaveOptionB(App& app, const std::string& key, bool value);

// Gives the default when the stored text is not a 32-bit number.
int32_t GetOptionL(App& app, const std::string& key, int32_t defaultValue);
void SaveOptionL(App& app, const std::string& key, int32_t value);

// The conversions of the classic runtime the options use.
// A text that reads as a number: blanks around it, a sign, digits with an optional
// fraction and exponent, or &H / &O forms.
bool ParseNumber(std::string_view text, double& value);
// CBool: "0" is false, other numbers true, True/False in any case; else throws 13.
bool TextToBoolean(std::string_view text);
// CLng: rounds halves to even; throws 13 for non-numbers and 6 outside 32 bits.
int32_t TextToLong(std::string_view text);

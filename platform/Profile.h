#pragma once
// Profile (INI) files, with the behaviour of the Windows profile functions: sections
// and keys without regard to case (the first spelling kept), the default when a key
// or the file is missing (its trailing blanks trimmed), surrounding quotes of a value
// stripped, at most capacity - 1 characters returned, the file and section created
// by the first write, values rewritten in place. The file is ANSI text.
#include <cstdint>
#include <string>

class Profile {
public:
    virtual ~Profile() = default;

    // GetPrivateProfileString with a buffer of `capacity` characters.
    virtual std::string GetString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue, const std::string& path,
                                  uint32_t capacity) = 0;
    // WritePrivateProfileString; returns 0 on success, else the Windows error code
    // (3 when the folder does not exist, 5 when the file cannot be written).
    virtual int32_t WriteString(const std::string& section, const std::string& key,
                                const std::string& value, const std::string& path) = 0;
};

#pragma once
#include "platform/Profile.h"

// The Windows profile functions.
class Win32Profile : public Profile {
public:
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, const std::string& path,
                          uint32_t capacity) override;
    int32_t WriteString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path) override;
};

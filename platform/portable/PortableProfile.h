#pragma once
// INI files read and written as the Windows profile functions do, for worlds without
// them. Files are read as ANSI (Windows-1252) unless they start with a UTF-8 or UTF-16
// byte-order mark, and written back in the encoding they were read in.
#include "platform/FileSystem.h"
#include "platform/Profile.h"

class PortableProfile : public Profile {
public:
    explicit PortableProfile(FileSystem& files) : files_(files) {}
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, const std::string& path,
                          uint32_t capacity) override;
    int32_t WriteString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path) override;

private:
    FileSystem& files_;
};

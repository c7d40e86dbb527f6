#pragma once
#include "platform/SystemInfo.h"

// kernel32, shell32 and version.dll answers of the running Windows.
class Win32SystemInfo : public SystemInfo {
public:
    std::string FormatSystemMessage(uint32_t code, uint32_t capacity) override;
    bool GetVersion(OsVersionInfo& version) override;
    std::string SystemDirectory() override;
    std::string WindowsDirectory() override;
    std::string TempPath() override;
    std::string ProgramFilesDirectory() override;
    uint32_t LongPathName(const std::string& path, uint32_t capacity, std::string& result) override;
    uint32_t ShortPathName(const std::string& path, uint32_t capacity, std::string& result) override;
    bool FileVersion(const std::string& path, uint32_t& resourceSize,
                     FileVersionParts& version) override;
    FileVersionParts ProgramVersion() override;
};

// The full path of the running program.
std::string ProgramPath();

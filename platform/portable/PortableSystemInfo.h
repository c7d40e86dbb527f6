#pragma once
// The operating system's answers for an offline machine image: folders come from the
// image's registry (as Windows keeps them there) and its drives; what only a running
// Windows knows (its version, file version resources) is not available.
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

class PortableSystemInfo : public SystemInfo {
public:
    PortableSystemInfo(Registry& registry, FileSystem& files) : registry_(registry), files_(files) {}

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

    // Expands %NAME% references from the image's environment keys; unknown names stay.
    std::string ExpandEnvironment(const std::string& text);

private:
    std::string ReadString(RegKey hive, const std::string& key, const std::string& name);
    Registry& registry_;
    FileSystem& files_;
};

#pragma once
// The operating system's answers for an offline machine image: folders and the Windows
// version come from the image's registry (as Windows keeps them there) and its drives;
// file version resources are not read, so every file counts as having none.
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
    // A variable of the user's environment as the image's keys give it, unexpanded;
    // "" when none of them has it.
    std::string EnvironmentVariable(const std::string& name);

private:
    std::string Expand(const std::string& text, int depth);
    std::string ReadString(RegKey hive, const std::string& key, const std::string& name);
    void ReadDword(RegKey hive, const std::string& key, const std::string& name, uint32_t& number);
    Registry& registry_;
    FileSystem& files_;
};

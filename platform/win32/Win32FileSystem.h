#pragma once
#include "platform/FileSystem.h"

// Files and folders through the wide Win32 file functions. Paths longer than the
// classic limit are passed with the "\\?\" prefix, so deep folders work like any other.
class Win32FileSystem : public FileSystem {
public:
    bool GetAttributes(const std::string& path, uint32_t& attributes) override;
    bool CanOpenForReading(const std::string& path) override;
    uint32_t QueryDriveType(const std::string& root) override;
    bool ListFolder(const std::string& folder, std::vector<DirEntry>& entries) override;
    bool GetLastAccessTime(const std::string& path, DateTime& time) override;
    bool GetFolderId(const std::string& folder, FolderId& id) override;
    bool ExistenceUnknown(const std::string& path) override;
    bool AppendLine(const std::string& path, const std::string& text) override;
    bool CreateEmpty(const std::string& path) override;
    bool WriteAnsiText(const std::string& path, const std::string& text) override;
    bool ReadFile(const std::string& path, std::string& bytes) override;
    bool WriteFile(const std::string& path, const std::string& bytes) override;
};

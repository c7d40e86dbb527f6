#pragma once
// Sends the paths inside one folder to one file system and all others to another: the
// program's own files (options, languages, logs) to the host, everything else to the
// image of the machine being scanned, even when both use the same drive letter.
#include "platform/FileSystem.h"

class SplitFileSystem : public FileSystem {
public:
    SplitFileSystem(std::string folder, FileSystem& inside, FileSystem& outside)
        : folder_(std::move(folder)), inside_(inside), outside_(outside) {}

    bool GetAttributes(const std::string& p, uint32_t& a) override { return For(p).GetAttributes(p, a); }
    bool CanOpenForReading(const std::string& p) override { return For(p).CanOpenForReading(p); }
    uint32_t QueryDriveType(const std::string& root) override { return outside_.QueryDriveType(root); }
    bool ListFolder(const std::string& p, std::vector<DirEntry>& e) override {
        return For(p).ListFolder(p, e);
    }
    bool GetLastAccessTime(const std::string& p, DateTime& t) override {
        return For(p).GetLastAccessTime(p, t);
    }
    bool GetFolderId(const std::string& p, FolderId& id) override { return For(p).GetFolderId(p, id); }
    bool ExistenceUnknown(const std::string& p) override { return For(p).ExistenceUnknown(p); }
    bool GetFileStamp(const std::string& p, FileStamp& s) override { return For(p).GetFileStamp(p, s); }
    bool AppendLine(const std::string& p, const std::string& t) override { return For(p).AppendLine(p, t); }
    bool CreateEmpty(const std::string& p) override { return For(p).CreateEmpty(p); }
    bool WriteAnsiText(const std::string& p, const std::string& t) override {
        return For(p).WriteAnsiText(p, t);
    }
    bool ReadFile(const std::string& p, std::string& b) override { return For(p).ReadFile(p, b); }
    bool WriteFile(const std::string& p, const std::string& b) override { return For(p).WriteFile(p, b); }

    bool IsInside(const std::string& path) const;

private:
    FileSystem& For(const std::string& path) { return IsInside(path) ? inside_ : outside_; }
    std::string folder_;
    FileSystem& inside_;
    FileSystem& outside_;
};

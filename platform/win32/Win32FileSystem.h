#pragma once
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/win32/WinHandle.h"

// Files and folders through the wide Win32 file functions. Paths longer than the
// classic limit are passed with the "\\?\" prefix, so deep folders work like any other.
// The files lines are appended to are kept open (FILE_APPEND_DATA, shared for reading,
// writing and deleting): each line is one WriteFile. Before it, the path's size and
// creation and write times are compared with the open file's; when they differ or the
// path cannot be read (the file was renamed, replaced, or deleted: Windows shows a file
// whose deletion waits for its last handle as access denied) the file is closed and
// the path opened again, so the line lands in the file the path names now. Wine shows
// such a file unchanged until its last handle closes (see the README).
class Win32FileSystem : public FileSystem {
public:
    Win32FileSystem() = default;
    Win32FileSystem(const Win32FileSystem&) = delete;
    Win32FileSystem& operator=(const Win32FileSystem&) = delete;
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

private:
    struct Appending {
        std::string path;
        win::UniqueHandle file;
    };
    void CloseAppending(const std::string& path);
    std::vector<Appending> appending_;
};

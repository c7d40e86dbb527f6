#pragma once
// A file system for worlds without Windows: drive letters map to host folders, each
// with a drive type; other paths are host paths. Relative names are resolved against
// the current folder, or in an image (a file system with drives) against the root of
// its C: drive, never the host's working folder. A symbolic link shows as a reparse
// point. Short names ("PROGRA~1") are matched to the long names they were made from. Windows paths are resolved on the
// host without regard to case, "\" and "/" both separate, trailing dots and blanks
// of a name are ignored as Windows ignores them. Unix permission bits stand for the
// access rights of a Windows account that is not an administrator: a file without
// read bits cannot be opened for reading, a file or folder without write bits cannot
// be written, also when the process runs as root. The extended attribute
// "user.DOSATTRIB" (as Wine stores it) supplies the hidden and system bits.
#include <array>
#include <filesystem>
#include <map>
#include <optional>

#include "platform/FileSystem.h"
#include "platform/portable/HostIo.h"
#include "platform/portable/HostStat.h"

class PortableFileSystem : public FileSystem {
public:
    PortableFileSystem() = default;
    PortableFileSystem(const PortableFileSystem&) = delete;
    PortableFileSystem& operator=(const PortableFileSystem&) = delete;

    // Maps a drive letter ("C") to a host folder.
    void MapDrive(char letter, const std::string& hostFolder, uint32_t driveType = kDriveFixed);
    // The folder relative names are resolved against (a Windows or host path).
    void SetCurrentFolder(const std::string& folder);

    // The host path a program path stands for; empty when it names nothing on the
    // host (an unmapped drive, a network path, a malformed name).
    std::optional<std::filesystem::path> ToHost(const std::string& path) const;

    bool GetAttributes(const std::string& path, uint32_t& attributes) override;
    bool CanOpenForReading(const std::string& path) override;
    uint32_t QueryDriveType(const std::string& root) override;
    bool ListFolder(const std::string& folder, std::vector<DirEntry>& entries) override;
    bool GetLastAccessTime(const std::string& path, DateTime& time) override;
    bool GetFileStamp(const std::string& path, FileStamp& stamp) override;
    bool GetFolderId(const std::string& folder, FolderId& id) override;
    bool ExistenceUnknown(const std::string& path) override;
    bool AppendLine(const std::string& path, const std::string& text) override;
    bool CreateEmpty(const std::string& path) override;
    bool WriteAnsiText(const std::string& path, const std::string& text) override;
    bool ReadFile(const std::string& path, std::string& bytes) override;
    bool WriteFile(const std::string& path, const std::string& bytes) override;

private:
    struct Drive {
        std::filesystem::path root;
        uint32_t type = kDriveFixed;
    };
    // A program path resolved on the host, with the basic status of what it names when
    // the resolution read it (`status.known`), so that it is not read twice.
    struct Resolved {
        std::filesystem::path host;
        bool trailingSeparator = false;
        HostFileStatus status;
    };
    // The basic status of a resolved path: the one its resolution read, or read now.
    static bool BasicStatus(const Resolved& r, HostFileStatus& st);
    // `uncertain` (when given) is set when a short name in the path could not be told
    // apart from another.
    std::optional<std::filesystem::path> Resolve(const std::string& path, HostFileStatus* found,
                                                 bool* uncertain) const;
    bool ResolveWith(const std::string& path, Resolved& r) const;
    bool CanWrite(const Resolved& r) const;
    std::map<char, Drive> drives_;
    std::string currentFolder_;
    // The host spellings of the paths resolved last: the same few files (the logs, the
    // language file) are resolved again and again. Only the spelling is kept, never
    // whether it exists; forgotten when a drive or the current folder changes.
    struct Spelled {
        std::string path;
        std::filesystem::path host;
        bool kept = false;
    };
    const std::filesystem::path* FindSpelled(const std::string& path) const;
    void KeepSpelled(const std::string& path, const std::filesystem::path& host) const;
    mutable std::array<Spelled, 4> spelled_;
    mutable size_t nextSpelled_ = 0;

    // The files lines were appended to last, kept open (see HostAppendFile): a line
    // costs one write once its file is open. Closed when the file is written whole,
    // and when a drive or the current folder changes.
    struct Appending {
        std::string path;
        HostAppendFile file;
    };
    HostAppendFile* FindAppending(const std::string& path);
    void CloseAppending(const std::string& path);
    std::vector<Appending> appending_;
};

// The attribute bits a host file would show on Windows.
uint32_t HostAttributes(const std::filesystem::path& host);

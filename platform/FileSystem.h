#pragma once
// Files and folders, addressed by Windows paths ("C:\Dir\file.txt", "\\server\share\x")
// or, off Windows, by host paths. Texts are UTF-8.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/DateTime.h"

// File attribute bits, as Windows numbers them.
constexpr uint32_t kAttrReadOnly = 1;
constexpr uint32_t kAttrHidden = 2;
constexpr uint32_t kAttrSystem = 4;
constexpr uint32_t kAttrDirectory = 16;
constexpr uint32_t kAttrArchive = 32;
constexpr uint32_t kAttrNormal = 128;
// A junction, a symbolic link, an App Execution Alias, a cloud placeholder: the entry
// stands for something elsewhere.
constexpr uint32_t kAttrReparsePoint = 0x400;

// Drive types, as GetDriveType numbers them.
enum DriveType : uint32_t {
    kDriveUnknown = 0,
    kDriveNoRootDir = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdrom = 5,
    kDriveRamdisk = 6,
};

// What changes whenever a file's content does: for keeping what was read from a file
// until the file changes.
struct FileStamp {
    uint64_t size = 0;
    int64_t modifiedNs = 0;  // last write, nanoseconds since 1970 (UTC)
    int64_t changedNs = 0;   // last change of content or metadata where the host keeps one
    uint64_t fileId = 0;     // identity on its volume where the host gives one
    uint64_t volume = 0;
    bool readable = false;
    bool operator==(const FileStamp&) const = default;
};

// Which folder a path names, whatever the path: two paths that reach the same folder
// (through a link, a junction, or a mapping of the same folder twice) give equal ids.
struct FolderId {
    uint64_t volume = 0;
    uint64_t index = 0;
    bool operator==(const FolderId&) const = default;
};

struct DirEntry {
    std::string name;
    uint32_t attributes = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Attribute bits of a file or folder; false when they cannot be read.
    virtual bool GetAttributes(const std::string& path, uint32_t& attributes) = 0;
    // True when the path opens as a file for reading (and is closed again at once).
    virtual bool CanOpenForReading(const std::string& path) = 0;
    // Drive type of a root such as "C:\".
    virtual uint32_t QueryDriveType(const std::string& root) = 0;
    // Every entry of a folder ("." and ".." included where the platform lists them),
    // hidden and system ones too, in the platform's listing order. False when the
    // folder cannot be listed.
    virtual bool ListFolder(const std::string& folder, std::vector<DirEntry>& entries) = 0;
    // Last-access time stamp of a file, in local time; false when it cannot be read.
    virtual bool GetLastAccessTime(const std::string& path, DateTime& time) = 0;
    // The stamp of a file; false when it does not exist or the backend keeps none, in
    // which case whoever keeps a file's content must read the file every time.
    virtual bool GetFileStamp(const std::string& path, FileStamp& stamp) {
        (void)path;
        (void)stamp;
        return false;
    }

    // The identity of a folder; false when it cannot be read.
    virtual bool GetFolderId(const std::string& folder, FolderId& id) = 0;
    // For a path that neither reads as a folder nor opens as a file: true when this
    // backend cannot tell that it is missing (a share it cannot reach, a link it cannot
    // follow, a short name it cannot resolve). Such a path is never reported.
    virtual bool ExistenceUnknown(const std::string& path) = 0;

    // Appends `text` and CR LF to a file in the ANSI code page, creating the file. The
    // line has reached the operating system when the call returns (a backend may keep
    // the file open between lines, but never buffers one). False when it cannot be
    // written.
    virtual bool AppendLine(const std::string& path, const std::string& text) = 0;
    // Creates the file empty, or empties it.
    virtual bool CreateEmpty(const std::string& path) = 0;
    // Creates or overwrites a text file written in the ANSI code page.
    virtual bool WriteAnsiText(const std::string& path, const std::string& text) = 0;
    // Whole-file reads and writes of raw bytes.
    virtual bool ReadFile(const std::string& path, std::string& bytes) = 0;
    virtual bool WriteFile(const std::string& path, const std::string& bytes) = 0;
};

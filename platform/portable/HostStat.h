#pragma once
// What the portable file system needs to know of a host file, from the host's own
// calls (stat and extended attributes on Linux, the C runtime on Windows).
#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/DateTime.h"

struct HostFileStatus {
    bool isDirectory = false;
    bool isRegular = false;
    bool isLink = false;     // a symbolic link: the other fields describe its target,
                             // and stay empty when the target is missing
    bool readable = false;   // the owner may read (list, for a folder)
    bool writable = false;   // the owner may write (create files in, for a folder)
    uint32_t dosBits = 0;    // hidden and system bits the host keeps for the file
    bool hasAccessTime = false;
    DateTime accessTime;     // local time
    // What changes with the file's content (see FileStamp).
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    int64_t changedNs = 0;
    uint64_t fileId = 0;
    uint64_t volume = 0;
    int64_t accessSeconds = 0;  // last access, seconds since 1970 (UTC)
    bool known = false;         // for those who pass a status on: it was read
};

// The parts of the status beyond the basic ones, each of which costs host calls of its
// own: a query reads only those it is asked for (the others stay at their defaults).
enum HostDetail : unsigned {
    kHostBasic = 0,
    kHostDosBits = 1,
    kHostAccessTime = 2,
    kHostAllDetails = kHostDosBits | kHostAccessTime,
};

// False when the path does not exist (a symbolic link exists, also when its target
// does not).
bool QueryHostFile(const std::filesystem::path& path, HostFileStatus& status,
                   unsigned details = kHostAllDetails);
// The identity of a folder (or file) on the host; false when it cannot be read.
bool QueryHostId(const std::filesystem::path& path, uint64_t& volume, uint64_t& index);
// The entries of a host folder ("." and ".." left out), as full paths; false when it
// cannot be listed. (The C runtime's directory listing on Windows silently lists the
// working folder when given a long path.)
bool ListHostFolder(const std::filesystem::path& folder, std::vector<std::filesystem::path>& entries);
// Reads the details into a status the basic query filled.
void AddHostDetails(const std::filesystem::path& path, HostFileStatus& status, unsigned details);

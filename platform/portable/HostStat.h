#pragma once
// What the portable file system needs to know of a host file, from the host's own
// calls (stat and extended attributes on Linux, the C runtime on Windows).
#include <cstdint>
#include <filesystem>

#include "platform/DateTime.h"

struct HostFileStatus {
    bool isDirectory = false;
    bool isRegular = false;
    bool readable = false;   // the owner may read (list, for a folder)
    bool writable = false;   // the owner may write (create files in, for a folder)
    uint32_t dosBits = 0;    // hidden and system bits the host keeps for the file
    bool hasAccessTime = false;
    DateTime accessTime;     // local time
};

// False when the path does not exist.
bool QueryHostFile(const std::filesystem::path& path, HostFileStatus& status);

#pragma once
// Registry hive files of a Windows installation (SOFTWARE, SYSTEM, NTUSER.DAT,
// UsrClass.dat), read into the in-memory registry. The checks of a file's base block
// and of its transaction logs are the program's own and run in both builds; the keys
// and values are read with hivex, which only the Linux build has.
//
// A hive is refused, never half-loaded, when:
// - it is not a hive, its base block's checksum is wrong, or it is shorter than its
//   base block says (truncated);
// - its two sequence numbers differ: Windows stopped while writing it, and the changes
//   of its transaction logs were not replayed into it;
// - a transaction log beside it (NAME.LOG, NAME.LOG1, NAME.LOG2) is neither empty
//   (no bytes, or a zeroed base block) nor older than the hive: a log whose base
//   block's sequence number is at least the hive's secondary sequence number may hold
//   changes the hive lacks, and so may a log whose base block is unreadable;
// - hivex cannot read all of it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"
#include "platform/portable/InMemoryRegistry.h"

// Size of a hive's base block, and of what the checks read of a file.
constexpr size_t kHiveBaseBlock = 4096;

// What is wrong with a hive whose first bytes (up to kHiveBaseBlock) are `head` and
// whose size is `size`; "" when nothing is.
std::string HiveHeaderProblem(std::string_view head, uint64_t size);
// What is wrong with a transaction log (first bytes `head`, size `size`) beside a hive
// whose secondary sequence number is `hiveSequence`; "" when it holds nothing to replay.
std::string HiveLogProblem(std::string_view head, uint64_t size, uint32_t hiveSequence);
// Checks the hive file (a host path) and the logs beside it; the error names the file
// (and the log).
bool CheckHiveFile(const std::string& file, std::string& error);

// Whether this build reads hives (LoadHiveFile works).
bool HiveFilesReadable();
// Checks the hive file, then reads all its keys and values into hive\below. All or
// nothing: on failure the registry is unchanged and the error names the file.
bool LoadHiveFile(InMemoryRegistry& registry, RegKey hive, const std::string& below,
                  const std::string& file, std::string& error);

// A hive file as it was loaded: its keys are hive\below. `skip` names keys below the
// mount point (relative to it) that are not the file's: another hive mounted there, or
// keys the loader made up.
struct MountedHive {
    RegKey hive = HKLM;
    std::string below;
    std::string file;  // host path
    std::vector<std::string> skip;
};

#pragma once
// Writing a repaired registry back into the hive files it was loaded from. Only what a
// repair can change is written: keys of the file gone from the registry are deleted
// (with everything below them), values gone are removed, values whose type or data
// differ are set. Keys and values only in the registry are left out, since the loader
// makes some up. Values are compared as the loader reads them, so an unchanged one
// keeps its bytes exactly (an odd byte, a string without its final NUL).
//
// All or nothing before the first write: every hive is compared first, and the
// write-back is refused when a hive that would change fails CheckHiveFile (say, its
// transaction logs hold changes) or already has its backup. Then each changed hive is
// copied to FILE.brivolex-STAMP.bak beside it and replaced by its new version.
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/portable/HiveFile.h"

// Whether this build writes hives (hivex, the Linux build only).
bool HiveFilesWritable();

// Writes `repaired` back into `hives`; `changedFiles` lists the files written (also on
// failure, when a later one failed). Errors name the file.
bool WriteBackHives(Registry& repaired, const std::vector<MountedHive>& hives,
                    const std::string& stamp, std::vector<std::string>& changedFiles,
                    std::string& error);

// The backup WriteBackHives makes of `file`.
inline std::string HiveBackupName(const std::string& file, const std::string& stamp) {
    return file + ".brivolex-" + stamp + ".bak";
}

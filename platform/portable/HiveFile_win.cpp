#include "platform/portable/HiveFile.h"

bool HiveFilesReadable() {
    return false;
}

bool LoadHiveFile(InMemoryRegistry&, RegKey, const std::string&, const std::string& file,
                  std::string& error) {
    error = file + ": this build does not read hive files (hivex is in the Linux build only)";
    return false;
}

#include "platform/portable/HiveWriteBack.h"

bool HiveFilesWritable() {
    return false;
}

bool WriteBackHives(Registry&, const std::vector<MountedHive>& hives, const std::string&,
                    std::vector<std::string>& changedFiles, std::string& error) {
    changedFiles.clear();
    if (hives.empty()) return true;
    error = hives.front().file +
            ": this build does not write hive files (hivex is in the Linux build only)";
    return false;
}

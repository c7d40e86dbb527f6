#pragma once
// The registry backup taken before a repair: one REG EXPORT per registry problem of
// the collection, into the backup folder beside the program, and the check that every
// export is complete on disk before the repair changes anything.
#include <string>
#include <vector>

#include "platform/Registry.h"

struct App;
class Processes;

struct BackupFile {
    RegKey hive = 0;
    std::string key, file;
};

// Starts the exports (without waiting): one per registry problem, each with the file it
// writes. A failure to start one ends the backup with an "Error: Backupregistry: " line
// in app.log; the keys not started are listed with no file.
std::vector<BackupFile> BackupRegistry(App& app, Processes& processes);
// Waits for the exports and checks each file: it exists and begins its key's section.
// The keys ("HKLM\key") whose export is missing while the key still exists: a key that
// is gone has nothing to lose. Empty when the backup is complete.
std::vector<std::string> UnsavedKeys(App& app, Processes& processes, const std::vector<BackupFile>& files);

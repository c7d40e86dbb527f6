#include "repair/Backup.h"

#include <cstdio>

#include "core/App.h"
#include "core/Errors.h"
#include "core/Logs.h"
#include "core/SystemFolders.h"
#include "platform/Processes.h"
#include "platform/Text.h"
#include "platform/portable/RegFile.h"
#include "problems/clsItem.h"
#include "scan/RegistryRead.h"

namespace {

constexpr uint32_t kExportWait = 120000;  // REG needs moments; a hung one is not waited for

}  // namespace

std::vector<BackupFile> BackupRegistry(App& app, Processes& processes) {
    WriteTrace(app, "BackupRegistry");
    // Every registry problem's key is listed, also when its export never started: the
    // check that follows then finds it unsaved.
    std::vector<BackupFile> files;
    for (const ProblemRef& problem : app.Problems)
        if (problem->pType() == kTypeRegistry)
            files.push_back({static_cast<RegKey>(problem->pCureKeyRoot), problem->pCureKeyName, ""});
    try {
        DateTime now = app.os.clock.Now();
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "%02d%02d%02d-%02d%02d%02d", now.year % 100, now.month, now.day,
                      now.hour, now.minute, now.second);
        const std::string folder = ShortPathName(app, app.AppFolder + "\\backup\\");
        int sequence = 0;
        for (BackupFile& entry : files) {
            ++sequence;
            std::string file = folder + stamp + "-" + std::to_string(sequence) + ".reg";
            std::string command = "REG EXPORT \"" + HiveName(static_cast<int32_t>(entry.hive)) + "\\" +
                                  entry.key + "\" " + file;
            if (!processes.Start(command)) throw RuntimeError(kErrFileNotFound);
            entry.file = file;
        }
    } catch (...) {
        PassOnOutOfMemory();
        ErrInfo error = CurrentError();
        WriteLog(app, "Error: Backupregistry: " + std::to_string(error.number) + ": " + error.description);
    }
    return files;
}

std::vector<std::string> UnsavedKeys(App& app, Processes& processes, const std::vector<BackupFile>& files) {
    processes.WaitForAll(kExportWait);
    std::vector<std::string> unsaved;
    for (const BackupFile& f : files) {
        std::string bytes;
        std::string header = "[" + LongHiveName(f.hive) + (f.key.empty() ? "" : "\\" + f.key) + "]";
        bool saved = !f.file.empty() && app.os.files.ReadFile(f.file, bytes) &&
                     text::ToLower(RegFileText(bytes)).find(text::ToLower(header)) != std::string::npos;
        if (!saved && RegistryKeyExists(app, f.hive, f.key))
            unsaved.push_back(HiveName(static_cast<int32_t>(f.hive)) + "\\" + f.key);
    }
    return unsaved;
}

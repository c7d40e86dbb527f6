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

// The text of an export file: UTF-16LE after a byte-order mark, as REG writes it.
std::string ExportText(const std::string& bytes) {
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE)
        return bytes;
    std::u16string units;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text::Utf16ToUtf8(units);
}

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
                     text::ToLower(ExportText(bytes)).find(text::ToLower(header)) != std::string::npos;
        if (!saved && RegistryKeyExists(app, f.hive, f.key))
            unsaved.push_back(HiveName(static_cast<int32_t>(f.hive)) + "\\" + f.key);
    }
    return unsaved;
}

#include "cli/RestoreCommand.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/CommandSetup.h"
#include "cli/ProblemOutput.h"
#include "core/App.h"
#include "core/Logs.h"
#include "platform/Console.h"
#include "platform/Text.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/RegFile.h"
#include "problems/clsItem.h"
#include "repair/RegistryWrite.h"
#include "scan/RegistryRead.h"

namespace {

struct Restored {
    std::string file;
    std::vector<std::string> keys;  // the top keys of the file, "HKLM\..."
    bool done = false;
    std::string error;
    std::string savedAs;  // the keys as they were before, "-" when none was there
};

// The keys a backup file holds at its top: the sections that are not below another.
std::vector<std::pair<RegKey, std::string>> TopKeys(const std::string& bytes) {
    const std::string text = RegFileText(bytes);
    std::vector<std::pair<RegKey, std::string>> keys;
    std::vector<std::string> lowerTops;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string line = text::TrimRight(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        at = end == std::string::npos ? text.size() : end + 1;
        if (line.size() < 3 || line.front() != '[' || line.back() != ']' || line[1] == '-') continue;
        std::string name = line.substr(1, line.size() - 2);
        std::string lower = text::ToLower(name);
        bool below = false;
        for (const std::string& top : lowerTops) below = below || lower.starts_with(top + "\\");
        if (below) continue;
        size_t cut = name.find('\\');
        RegKey hive = 0;
        if (!ParseHiveName(name.substr(0, cut), hive)) continue;
        lowerTops.push_back(lower);
        keys.emplace_back(hive, cut == std::string::npos ? "" : name.substr(cut + 1));
    }
    return keys;
}

// The keys as they are now, beside the backup, before a restore replaces them: a
// restore can be undone too. "" when it could not be saved.
std::string SaveCurrentKeys(App& app, const std::string& backup,
                            const std::vector<std::pair<RegKey, std::string>>& keys) {
    std::string bytes;
    for (const auto& [hive, key] : keys) {
        std::string part = ExportRegFile(app.os.registry, hive, key);
        if (part.empty()) continue;  // not there: nothing to lose
        // One file: the first export whole, the others without their header.
        bytes += bytes.empty() ? part : part.substr(part.find(std::string("\n\0", 2), 2) + 2);
    }
    if (bytes.empty()) return "-";
    DateTime now = app.os.clock.Now();
    char stamp[20];
    std::snprintf(stamp, sizeof stamp, "%02d%02d%02d-%02d%02d%02d", now.year % 100, now.month, now.day, now.hour,
                  now.minute, now.second);
    std::string stem = backup.size() > 4 && text::EqualsNoCase(backup.substr(backup.size() - 4), ".reg")
                           ? backup.substr(0, backup.size() - 4)
                           : backup;
    std::string file = stem + ".before-restore-" + stamp + ".reg";
    return app.os.files.WriteFile(file, bytes) ? file : "";
}

// Each top key of the backup replaced by its content there: deleted with its subkeys,
// then imported, so that it is again exactly what was saved. Into the image, which is
// then saved; into this machine's registry with REG IMPORT, after the keys as they are
// were saved beside the backup.
void Restore(App& app, Machine& machine, Restored& r) {
    std::string bytes;
    if (!machine.hostFiles().ReadFile(r.file, bytes)) {
        r.error = "cannot be read";
        return;
    }
    // Read in full first: a file that is not a registry file is not imported at all.
    InMemoryRegistry parsed;
    if (!ImportRegFile(parsed, bytes, r.error)) return;
    auto keys = TopKeys(bytes);
    for (const auto& [hive, key] : keys) r.keys.push_back(HiveName(static_cast<int32_t>(hive)) + (key.empty() ? "" : "\\" + key));
    if (keys.empty() || std::any_of(keys.begin(), keys.end(), [](const auto& k) { return k.second.empty(); })) {
        r.error = "holds no key below a hive";
        return;
    }
    if (InMemoryRegistry* image = machine.imageRegistry()) {
        for (const auto& [hive, key] : keys) image->DeleteTree(hive, key);
        if (!ImportRegFile(*image, bytes, r.error)) return;
    } else {
        r.savedAs = SaveCurrentKeys(app, r.file, keys);
        if (r.savedAs.empty()) {
            r.error = "the keys as they are could not be saved first";
            return;
        }
        for (const auto& [hive, key] : keys) DeleteRegistryKey(app, hive, key, true);
        if (!machine.processes().Start("REG IMPORT \"" + r.file + "\"") || !machine.processes().WaitForAll(120000)) {
            r.error = "REG IMPORT did not run to its end";
            return;
        }
    }
    for (const auto& [hive, key] : keys) {
        if (RegistryKeyExists(app, hive, key)) continue;
        r.error = "the key " + HiveName(static_cast<int32_t>(hive)) + "\\" + key + " is not there after the import";
        return;
    }
    r.done = true;
}

std::string Output(const std::vector<Restored>& all, bool json) {
    if (json) {
        using nlohmann::ordered_json;
        ordered_json files = ordered_json::array();
        for (const Restored& r : all) {
            ordered_json keys = ordered_json::array();
            for (const std::string& key : r.keys) keys.push_back(JsonText(key));
            files.push_back({{"file", JsonText(r.file)},
                             {"keys", keys},
                             {"restored", r.done},
                             {"error", JsonText(r.error)},
                             {"replacedSavedTo", JsonText(r.savedAs == "-" ? "" : r.savedAs)}});
        }
        return JsonLayout(ordered_json{{"restored", files}}) + "\n";
    }
    std::string out;
    for (const Restored& r : all) {
        if (!r.done) {
            out += "not restored: " + r.file + ": " + r.error + "\n";
            continue;
        }
        for (const std::string& key : r.keys) out += "restored: " + key + " (" + r.file + ")\n";
        if (r.savedAs.size() > 1) out += "  the keys as they were are in " + r.savedAs + "\n";
    }
    return out;
}

}  // namespace

int RunRestoreCommand(const CliOptions& options) {
    const std::string appFolder = CommandAppFolder(options);
    std::unique_ptr<Machine> machine = OpenCommandMachine(options, appFolder);
    if (!machine) return 2;
    App app(machine->platform(), appFolder);
    if (!PrepareCommandApp(app, options)) return 2;
    std::vector<Restored> all;
    bool everyOne = true;
    for (const std::string& file : options.files) {
        all.push_back({file, {}, false, "", ""});
        Restore(app, *machine, all.back());
        WriteLog(app, (all.back().done ? "Restored " : "Not restored ") + file +
                          (all.back().error.empty() ? "" : ": " + all.back().error));
        everyOne = everyOne && all.back().done;
    }
    if (!options.saveRegistry.empty() && machine->imageRegistry() &&
        !machine->hostFiles().WriteFile(options.saveRegistry, ExportRegistryImage(*machine->imageRegistry()))) {
        console::WriteErr("brivolex-cli: the registry could not be written to '" + options.saveRegistry + "'\n");
        everyOne = false;
    }
    console::WriteOut(Output(all, options.json));
    return everyOne ? 0 : 1;
}

#include "cli/RepairCommand.h"

#include <cstdio>
#include <set>

#include "cli/CommandSetup.h"
#include "cli/ConsoleRepairUi.h"
#include "cli/RepairOutput.h"
#include "core/App.h"
#include "core/Logs.h"
#include "core/ScopedBinding.h"
#include "platform/Console.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/RegFile.h"
#include "problems/Statistics.h"
#include "repair/Backup.h"
#include "repair/DryRun.h"
#include "repair/RepairRun.h"

namespace {

// The machine as the repair sees it: the real one, or, for a dry run, one on which
// every change is only pretended.
struct RepairWorld {
    explicit RepairWorld(Platform& real)
        : registry(real.registry),
          files(real.files),
          profile(real.profile),
          links(real.links, files),
          bin(files),
          platform{registry, files, profile, real.clock, real.locale, real.system, real.prompts, links} {}
    DryRunRegistry registry;
    DryRunFiles files;
    ReadOnlyProfile profile;
    DryRunLinks links;
    DryRunBin bin;
    Platform platform;
};

ConsoleRepairUi::Choice ChoiceOf(const CliOptions& options) {
    if (options.choose == "first") return ConsoleRepairUi::Choice::First;
    if (options.choose == "ask" || (options.choose.empty() && console::InIsTerminal()))
        return ConsoleRepairUi::Choice::Ask;
    return ConsoleRepairUi::Choice::Skip;
}

// The backup, complete on disk before anything changes; false after saying which
// keys could not be saved. A dry run lists what it would export.
bool Backup(App& app, Machine& machine, bool dryRun, RepairJournal& journal) {
    PlannedExports planned;
    Processes& processes = dryRun ? static_cast<Processes&>(planned) : machine.processes();
    std::vector<BackupFile> files = BackupRegistry(app, processes);
    std::vector<std::string> unsaved = dryRun ? std::vector<std::string>{} : UnsavedKeys(app, processes, files);
    for (const BackupFile& f : files)
        journal.actions.push_back({"", "back up key", HiveName(static_cast<int32_t>(f.hive)) + "\\" + f.key, f.file,
                                   !f.file.empty(), f.file.empty() ? "not started" : ""});
    if (unsaved.empty()) return true;
    std::string keys;
    for (const std::string& key : unsaved) keys += (keys.empty() ? "" : ", ") + key;
    WriteLog(app, "Repair not started: the backup could not save " + keys);
    console::WriteErr("brivolex-cli: the registry backup could not be saved, so nothing was repaired. Keys "
                      "not saved: " + keys + "\n");
    return false;
}

// The installation's or the prefix's own files, each copied first.
bool WriteBack(App& app, Machine& machine, RepairJournal& journal) {
    DateTime now = app.os.clock.Now();
    char stamp[20];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day, now.hour,
                  now.minute, now.second);
    std::vector<std::string> changed;
    std::string error;
    bool written = machine.WriteBack(stamp, changed, error);
    for (const std::string& file : changed)
        journal.actions.push_back({"", "write file", file, file + ".brivolex-" + stamp + ".bak", true, ""});
    if (written) return true;
    WriteLog(app, "Error: the repaired registry was not written back: " + error);
    console::WriteErr("brivolex-cli: the repaired registry was not written back: " + error + "\n");
    return false;
}

// The repaired image's registry, to the file the command line names.
bool SaveRegistry(Machine& machine, const std::string& path) {
    InMemoryRegistry* image = machine.imageRegistry();
    if (image && machine.hostFiles().WriteFile(path, ExportRegistryImage(*image))) return true;
    console::WriteErr("brivolex-cli: the registry could not be written to '" + path + "'\n");
    return false;
}

}  // namespace

int RunRepairCommand(const CliOptions& options) {
    const std::string appFolder = CommandAppFolder(options);
    std::unique_ptr<Machine> machine = OpenCommandMachine(options, appFolder);
    if (!machine) return 2;
    RepairWorld world(machine->platform());
    Platform& platform = options.dryRun ? world.platform : machine->platform();
    App app(platform, appFolder);
    // A dry run leaves every file as it was but the trace.
    if (options.dryRun) world.files.AllowWritesOnlyTo({app.AppFile("app2.log")});
    if (!PrepareCommandApp(app, options)) return 2;
    ScanForCommand(app, !options.dryRun);
    if (app.Scan.ScanCancelled) {
        console::WriteErr("brivolex-cli: the scan was cancelled: nothing was repaired\n");
        return 1;
    }

    std::set<std::string> chosen(options.uids.begin(), options.uids.end());
    for (const std::string& uid : chosen) {
        bool found = false;
        for (const ProblemRef& p : app.Problems) found = found || p->UID() == uid;
        if (!found) {
            console::WriteErr("brivolex-cli: the scan found no problem with the UID '" + uid +
                              "' (brivolex-cli scan --json lists them)\n");
            return 2;
        }
    }
    auto isChosen = [&](const clsItem& p) { return options.all || chosen.count(p.UID()) > 0; };

    app.Repair.RepairMethod = options.method == "aggressive" ? kMethodAggressive : kMethodConservative;
    app.Repair.RepairBackup = options.backup;
    RepairJournal journal;
    if (options.backup && !Backup(app, *machine, options.dryRun, journal)) {
        console::WriteOut(options.json ? RepairJson(journal, {options.dryRun}) : RepairTable(journal, {options.dryRun}));
        return 1;
    }

    if (options.dryRun) world.registry.Pretend();
    ConsoleRepairUi ui(ChoiceOf(options), console::ErrIsTerminal());
    RepairContext c{app, options.dryRun ? world.bin : machine->recycleBin(), ui, &journal};
    std::vector<RepairRow> rows;
    std::vector<ProblemRef> picked;
    for (int32_t position = 1; position <= app.Problems.Count(); ++position) {
        const ProblemRef& p = app.Problems.Item(position);
        rows.push_back({isChosen(*p), std::to_string(position)});
        if (rows.back().selected) picked.push_back(p);
    }
    {
        ScopedBinding<Events> events(app.events, ui);
        RunRepair(c, rows, ui.running());
        ui.Finish();
    }

    RepairSummary summary{options.dryRun, !ui.running(), static_cast<int>(picked.size())};
    for (const ProblemRef& p : picked) {
        bool acted = false, skipped = false;
        for (const RepairAction& a : journal.actions) {
            if (a.uid != p->UID()) continue;
            acted = true;
            skipped = skipped || a.action == "skip";
        }
        if (p->pType() == kTypeCured) ++summary.repaired;
        else if (skipped) ++summary.skipped;
        else if (!acted && summary.cancelled) ++summary.untouched;
    }

    bool saved = true;
    if (!options.dryRun) {
        RemoveCuredProblems(app);
        SaveStatistics(app);
        if (options.write) saved = WriteBack(app, *machine, journal);
        if (!options.saveRegistry.empty()) saved = SaveRegistry(*machine, options.saveRegistry) && saved;
    }
    console::WriteOut(options.json ? RepairJson(journal, summary) : RepairTable(journal, summary));
    return saved && summary.repaired + summary.skipped == summary.chosen ? 0 : 1;
}

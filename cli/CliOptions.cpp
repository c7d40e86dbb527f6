#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <cctype>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace {

bool ParseDrive(const std::string& spec, DriveMapping& drive, std::string& error) {
    // C=DIR or C=DIR,type
    if (spec.size() < 3 || spec[1] != '=' || !std::isalpha(static_cast<unsigned char>(spec[0]))) {
        error = "--drive wants LETTER=FOLDER[,TYPE], not '" + spec + "'";
        return false;
    }
    drive.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(spec[0])));
    std::string rest = spec.substr(2);
    drive.type = kDriveFixed;
    size_t comma = rest.rfind(',');
    if (comma != std::string::npos) {
        std::string type = text::ToLower(rest.substr(comma + 1));
        if (type == "fixed") drive.type = kDriveFixed;
        else if (type == "removable") drive.type = kDriveRemovable;
        else if (type == "remote") drive.type = kDriveRemote;
        else if (type == "cdrom") drive.type = kDriveCdrom;
        else if (type == "ramdisk") drive.type = kDriveRamdisk;
        else {
            error = "unknown drive type '" + type +
                    "' (fixed, removable, remote, cdrom or ramdisk)";
            return false;
        }
        rest = rest.substr(0, comma);
    }
    if (rest.empty()) {
        error = "--drive " + spec + " names no folder";
        return false;
    }
    drive.folder = rest;
    return true;
}

bool ParseDrives(const std::vector<std::string>& specs, CliOptions& options, std::string& error) {
    for (const std::string& spec : specs) {
        DriveMapping drive;
        if (!ParseDrive(spec, drive, error)) return false;
        for (const DriveMapping& earlier : options.drives) {
            if (earlier.letter == drive.letter) {
                error = std::string("drive ") + drive.letter + ": is mapped twice";
                return false;
            }
        }
        options.drives.push_back(drive);
    }
    return true;
}

bool CheckRepairOptions(CliOptions& options, std::string& error) {
    if (options.all == !options.uids.empty()) {
        error = "repair needs the problems to work on: --all or --uid UID...";
        return false;
    }
    options.method = text::ToLower(options.method);
    if (options.method != "conservative" && options.method != "aggressive") {
        error = "--method is conservative or aggressive, not '" + options.method + "'";
        return false;
    }
    if (!options.choose.empty() && options.choose != "first" && options.choose != "skip" &&
        options.choose != "ask") {
        error = "--choose is first, skip or ask, not '" + options.choose + "'";
        return false;
    }
    bool installation = !options.windowsDir.empty() || !options.winePrefix.empty();
    if (options.write && !installation) {
        error = "--write writes into a --windows installation or a --wine-prefix";
        return false;
    }
    if (installation && !options.write && !options.dryRun) {
        error = "a repair changes the installation's own files: give --write (or --dry-run to see "
                "what it would do)";
        return false;
    }
    if (!options.saveRegistry.empty() && !options.OfflineImage()) {
        error = "--save-registry writes the registry of an offline image";
        return false;
    }
    if (!options.saveRegistry.empty() && options.dryRun) {
        error = "--dry-run changes nothing: --save-registry would write the unchanged registry";
        return false;
    }
    return true;
}

bool CheckRestoreOptions(const CliOptions& options, std::string& error) {
    if (options.files.empty()) {
        error = "restore needs at least one BACKUP.reg";
        return false;
    }
    if (options.OfflineImage() && options.saveRegistry.empty()) {
        error = "restoring into an image changes it in memory only: give --save-registry OUT.reg";
        return false;
    }
    if (!options.saveRegistry.empty() && !options.OfflineImage()) {
        error = "--save-registry writes the registry of an offline image: give its --registry FILE.reg";
        return false;
    }
    return true;
}

// The help of the whole program starts with the synopsis of both commands.
class Formatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App* app, std::string name) const override {
        if (app->get_parent() != nullptr) return CLI::Formatter::make_usage(app, name);
        return "usage: brivolex-cli scan [--json] [--report FILE] [--registry FILE.reg]...\n"
               "                         [--drive LETTER=FOLDER[,TYPE]]... [--app-dir DIR]\n"
               "       brivolex-cli scan --windows DIR [--user NAME] [--drive ...]... [...]\n"
               "       brivolex-cli scan --wine-prefix DIR [--drive ...]... [...]\n"
               "       brivolex-cli repair [IMAGE] (--all | --uid UID...) [--method conservative|aggressive]\n"
               "                           [--backup] [--dry-run] [--choose first|skip|ask] [--json]\n"
               "                           [--save-registry OUT.reg] [--write]\n"
               "       brivolex-cli restore [--registry FILE.reg... --save-registry OUT.reg] BACKUP.reg...\n"
               "       brivolex-cli shortcut [--json] FILE...\n"
               "IMAGE is --registry FILE.reg... | --windows DIR [--user NAME] | --wine-prefix DIR, with\n"
               "--drive and --app-dir as for scan; without one, the machine the program runs on.\n";
    }
};

}  // namespace

CliParse ParseCliOptions(const std::vector<std::string>& args, CliOptions& options, std::string& text) {
    CLI::App app("Finds registry values, shortcuts and temporary files that lead nowhere.",
                 "brivolex-cli");
    app.formatter(std::make_shared<Formatter>());
    app.require_subcommand(0, 1);
    // Arguments nobody takes are refused below, with the command they came with.
    app.allow_extras();

    std::vector<std::string> drives;
    // The machine a command works on, as scan, repair and restore name it.
    auto addImageOptions = [&](CLI::App* command, bool installations) {
        command->add_option("--registry", options.registryFiles,
                            "Loads a registry export of an offline image (repeatable)")
            ->type_name("FILE.reg")
            ->allow_extra_args(false);
        if (installations) {
            command->add_option("--windows", options.windowsDir,
                                "Reads the hives of the Windows installation whose system drive is DIR")
                ->type_name("DIR")
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
            command->add_option("--user", options.user,
                                "With --windows: the user profile to scan (default: the only one, else "
                                "the one used last)")
                ->type_name("NAME")
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
            command->add_option("--wine-prefix", options.winePrefix,
                                "Reads the registry files and drives of the Wine prefix DIR")
                ->type_name("DIR")
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        }
        command->add_option("--drive", drives, "Maps a drive letter of the image to a folder (repeatable)")
            ->type_name("LETTER=FOLDER[,TYPE]")
            ->allow_extra_args(false);
        command->add_option("--app-dir", options.appDir,
                            "Folder of setup.ini, languages\\ and the logs (default: the program's)")
            ->type_name("DIR")
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    };

    CLI::App* scan = app.add_subcommand("scan", "Runs the whole scan and prints the problems found");
    scan->allow_extras();
    scan->footer("TYPE is fixed (default), removable, remote, cdrom or ramdisk.");
    scan->add_flag("--json", options.json, "One JSON object instead of the table");
    scan->add_option("--report", options.reportFile, "Also writes the HTML report to FILE")
        ->type_name("FILE")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    addImageOptions(scan, true);

    CLI::App* repair = app.add_subcommand("repair", "Scans, then repairs or deletes the problems chosen");
    repair->allow_extras();
    addImageOptions(repair, true);
    repair->add_flag("--all", options.all, "Every problem the scan finds");
    repair->add_option("--uid", options.uids, "The problems of these UIDs (as scan --json shows them)")
        ->type_name("UID")
        ->allow_extra_args(true);
    repair->add_option("--method", options.method,
                       "conservative (default: a reference to a moved file is pointed at it) or "
                       "aggressive (every problem is deleted)")
        ->type_name("METHOD")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    repair->add_flag("--backup", options.backup, "Exports each problem's registry key to backup\\ first");
    repair->add_flag("--dry-run", options.dryRun, "Prints what would be done and changes nothing");
    repair->add_option("--choose", options.choose,
                       "Where a moved file is found more than once: the first find, skip the "
                       "problem, or ask (default: ask on a terminal, else skip)")
        ->type_name("first|skip|ask")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    repair->add_flag("--json", options.json, "One JSON object instead of the table");
    repair->add_option("--save-registry", options.saveRegistry,
                       "Writes the repaired registry of an image to OUT.reg")
        ->type_name("OUT.reg")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    repair->add_flag("--write", options.write,
                     "Writes the changes into the installation's hives or the prefix's files "
                     "(each copied first)");

    CLI::App* restore = app.add_subcommand("restore", "Imports registry backups back");
    restore->allow_extras();
    addImageOptions(restore, false);
    restore->add_option("--save-registry", options.saveRegistry,
                        "Writes the image's restored registry to OUT.reg")
        ->type_name("OUT.reg")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    restore->add_flag("--json", options.json, "One JSON object instead of the table");
    restore->add_option("BACKUP", options.files, "Backup files (.reg) the repair wrote")->type_name("");

    CLI::App* shortcut =
        app.add_subcommand("shortcut", "Prints what the shell-link reader finds in each file");
    shortcut->allow_extras();
    shortcut->add_flag("--json", options.json, "One JSON object per file");
    shortcut->add_option("FILE", options.files, "Shortcut (.lnk) files")->type_name("");
    app.footer(scan->get_footer());

    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
    } catch (const CLI::CallForHelp&) {
        text = app.help();
        return CliParse::Help;
    } catch (const CLI::ArgumentMismatch& e) {
        // Every option takes one value: "--registry: 1 required FILE.reg missing".
        std::string what = e.what();
        text = what.substr(0, what.find(':')) + " needs a value";
        return CliParse::BadUsage;
    } catch (const CLI::ParseError& e) {
        text = text::ReplaceAll(e.what(), "\n", " ");
        return CliParse::BadUsage;
    }

    if (!app.remaining().empty()) {
        text = "unknown command '" + app.remaining().front() + "'";
        return CliParse::BadUsage;
    }
    for (CLI::App* command : {scan, repair, restore, shortcut}) {
        if (!command->remaining().empty()) {
            text = "unknown option '" + command->remaining().front() + "' for " + command->get_name();
            return CliParse::BadUsage;
        }
    }
    if (scan->parsed() || repair->parsed() || restore->parsed()) {
        options.command = scan->parsed() ? "scan" : repair->parsed() ? "repair" : "restore";
        if (!ParseDrives(drives, options, text)) return CliParse::BadUsage;
        int images = !options.registryFiles.empty() + !options.windowsDir.empty() +
                     !options.winePrefix.empty();
        if (images > 1) {
            text = "--registry, --windows and --wine-prefix each name a whole image: give one";
            return CliParse::BadUsage;
        }
        if (!options.drives.empty() && images == 0) {
            text = "--drive maps drives of an offline image: give its --registry FILE.reg too";
            return CliParse::BadUsage;
        }
        if (!options.user.empty() && options.windowsDir.empty()) {
            text = "--user chooses a profile of a Windows installation: give its --windows DIR too";
            return CliParse::BadUsage;
        }
        for (const DriveMapping& drive : options.drives) {
            if (drive.letter == 'C' && !options.windowsDir.empty()) {
                text = "drive C: is the --windows folder; --drive maps the other drives";
                return CliParse::BadUsage;
            }
        }
        if (repair->parsed() && !CheckRepairOptions(options, text)) return CliParse::BadUsage;
        if (restore->parsed() && !CheckRestoreOptions(options, text)) return CliParse::BadUsage;
    } else if (shortcut->parsed()) {
        options.command = "shortcut";
        if (options.files.empty()) {
            text = "shortcut needs at least one FILE";
            return CliParse::BadUsage;
        }
    } else {
        text = "no command given";
        return CliParse::BadUsage;
    }
    return CliParse::Run;
}

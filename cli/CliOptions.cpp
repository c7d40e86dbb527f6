#include "cli/CliOptions.h"

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

}  // namespace

std::string UsageText() {
    return "usage: brivolex-cli scan [--json] [--report FILE] [--registry FILE.reg]...\n"
           "                         [--drive LETTER=FOLDER[,TYPE]]... [--app-dir DIR]\n"
           "       brivolex-cli shortcut [--json] FILE...\n"
           "TYPE is fixed (default), removable, remote, cdrom or ramdisk.\n";
}

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options, std::string& error) {
    if (args.empty()) {
        error = "no command given";
        return false;
    }
    options.command = args[0];
    if (options.command != "scan" && options.command != "shortcut") {
        error = "unknown command '" + options.command + "'";
        return false;
    }
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        if (arg == "--json") {
            options.json = true;
        } else if (options.command == "scan" && arg == "--report") {
            if (!value(options.reportFile)) return false;
        } else if (options.command == "scan" && arg == "--registry") {
            std::string file;
            if (!value(file)) return false;
            options.registryFiles.push_back(file);
        } else if (options.command == "scan" && arg == "--drive") {
            std::string spec;
            if (!value(spec)) return false;
            DriveMapping drive;
            if (!ParseDrive(spec, drive, error)) return false;
            for (const DriveMapping& earlier : options.drives) {
                if (earlier.letter == drive.letter) {
                    error = std::string("drive ") + drive.letter + ": is mapped twice";
                    return false;
                }
            }
            options.drives.push_back(drive);
        } else if (options.command == "scan" && arg == "--app-dir") {
            if (!value(options.appDir)) return false;
        } else if (options.command == "shortcut" && !text::StartsWith(arg, "--")) {
            options.files.push_back(arg);
        } else {
            error = "unknown option '" + arg + "' for " + options.command;
            return false;
        }
    }
    if (options.command == "scan" && !options.drives.empty() && options.registryFiles.empty()) {
        error = "--drive maps drives of an offline image: give its --registry FILE.reg too";
        return false;
    }
    if (options.command == "shortcut" && options.files.empty()) {
        error = "shortcut needs at least one FILE";
        return false;
    }
    return true;
}

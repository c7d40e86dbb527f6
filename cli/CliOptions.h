#pragma once
// The command line of brivolex-cli.
#include <cstdint>
#include <string>
#include <vector>

struct DriveMapping {
    char letter = 'C';
    std::string folder;
    uint32_t type = 3;  // fixed
};

struct CliOptions {
    std::string command;  // "scan", "repair", "restore" or "shortcut"
    bool json = false;
    std::string reportFile;
    std::vector<std::string> registryFiles;
    std::string windowsDir;  // the root of a Windows installation's system drive
    std::string user;        // its user profile to scan
    std::string winePrefix;  // a Wine prefix
    std::vector<DriveMapping> drives;
    std::string appDir;
    std::vector<std::string> files;  // the shortcut files of "shortcut", the backups of "restore"

    // repair
    bool all = false;
    std::vector<std::string> uids;
    std::string method = "conservative";
    bool backup = false;
    bool dryRun = false;
    std::string choose;  // "first", "skip", "ask"; "" = ask on a terminal, else skip
    bool write = false;  // write the changes into an installation's or prefix's files
    std::string saveRegistry;

    // Whether the scan is of an offline image rather than of this machine.
    bool OfflineImage() const {
        return !registryFiles.empty() || !windowsDir.empty() || !winePrefix.empty();
    }
};

enum class CliParse { Run, Help, BadUsage };

// Run: `options` holds the command line. Help: `text` is the help asked for.
// BadUsage: `text` is a one-line error.
CliParse ParseCliOptions(const std::vector<std::string>& args, CliOptions& options, std::string& text);

#pragma once
// The machine a command works on: an offline image (a registry export and folders
// that stand for its drives), or, in the Windows build, the machine it runs on.
#include <memory>
#include <string>

#include "cli/CliOptions.h"
#include "platform/Platform.h"
#include "platform/Processes.h"
#include "platform/RecycleBin.h"

class InMemoryRegistry;

class Machine {
public:
    virtual ~Machine() = default;
    virtual Platform& platform() = 0;
    // The files of the computer the program runs on, where the command line's own
    // paths (the application folder, the report) point.
    virtual FileSystem& hostFiles() = 0;
    // Where the repair sends files: the host's Recycle Bin (or Trash) for the files of
    // the image, which are host files.
    virtual RecycleBin& recycleBin() = 0;
    // REG for the backups: the real one, or the image registry's exporter.
    virtual Processes& processes() = 0;
    // The registry of an offline image; null for this machine.
    virtual InMemoryRegistry* imageRegistry() { return nullptr; }
    // After a repair of an installation or a Wine prefix: its registry files brought in
    // line with the repaired registry, each changed file copied first to a name that
    // holds `stamp`. The files written are added to `changed`.
    virtual bool WriteBack(const std::string& stamp, std::vector<std::string>& changed, std::string& error) {
        (void)stamp, (void)changed;
        error = "only a --windows installation or a --wine-prefix is written back";
        return false;
    }
};

// Loads the image the options name; null with a one-line error when it cannot be read.
std::unique_ptr<Machine> OpenImageMachine(const CliOptions& options, const std::string& appFolder,
                                          std::string& error);
// This machine; null with a one-line error where the build cannot scan it.
std::unique_ptr<Machine> OpenThisMachine(std::string& error);
// The shell-link reader of the machine the program runs on: the shell's link object
// on Windows, the program's own reader elsewhere.
std::unique_ptr<ShellLinks> OpenHostShellLinks();
// The host's bin for the files of an image: the Recycle Bin on Windows, the
// freedesktop Trash elsewhere.
class PortableFileSystem;
std::unique_ptr<RecycleBin> OpenImageRecycleBin(PortableFileSystem& imageFiles);

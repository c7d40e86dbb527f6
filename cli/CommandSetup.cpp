#include "cli/CommandSetup.h"

#include "cli/ConsoleProgress.h"
#include "cli/HklmAccess.h"
#include "core/App.h"
#include "core/Logs.h"
#include "core/ScopedBinding.h"
#include "core/Startup.h"
#include "platform/Console.h"
#include "platform/RunningProgram.h"
#include "problems/Statistics.h"
#include "scan/Progress.h"
#include "scan/ScanDriver.h"

namespace {

bool IsFolder(FileSystem& files, const std::string& path) {
    uint32_t attributes = 0;
    return files.GetAttributes(path, attributes) && (attributes & kAttrDirectory);
}

// The folder a file would be written to: "" for the current folder.
std::string FolderOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return "";
    return cut == 0 || (cut == 2 && path[1] == ':') ? path.substr(0, cut + 1) : path.substr(0, cut);
}

bool CanWriteThere(FileSystem& files, const std::string& file) {
    std::string folder = FolderOf(file);
    return !IsFolder(files, file) && (folder.empty() || IsFolder(files, folder));
}

// Problems with the folders the command line names, found before a scan is spent.
std::string CheckFolders(FileSystem& files, const CliOptions& options, const std::string& appFolder) {
    if (!options.appDir.empty() && !IsFolder(files, appFolder))
        return "--app-dir '" + options.appDir + "' is not a folder";
    if (!options.reportFile.empty() && !CanWriteThere(files, options.reportFile))
        return "the report '" + options.reportFile + "' cannot be written there";
    if (!options.saveRegistry.empty() && !CanWriteThere(files, options.saveRegistry))
        return "the registry file '" + options.saveRegistry + "' cannot be written there";
    return "";
}

}  // namespace

std::string CommandAppFolder(const CliOptions& options) {
    std::string appFolder = options.appDir.empty() ? RunningProgramFolder() : options.appDir;
    while (appFolder.size() > 1 && (appFolder.back() == '\\' || appFolder.back() == '/')) appFolder.pop_back();
    return appFolder;
}

std::unique_ptr<Machine> OpenCommandMachine(const CliOptions& options, const std::string& appFolder) {
    std::string error;
    std::unique_ptr<Machine> machine =
        !options.OfflineImage() ? OpenThisMachine(error) : OpenImageMachine(options, appFolder, error);
    if (machine) error = CheckFolders(machine->hostFiles(), options, appFolder);
    if (error.empty()) return machine;
    console::WriteErr("brivolex-cli: " + error + "\n");
    return nullptr;
}

bool PrepareCommandApp(App& app, const CliOptions& options) {
    try {
        PrepareApplication(app, false);
    } catch (...) {
        std::string message = CriticalErrorText();
        WriteTrace(app, message);
        console::WriteErr("brivolex-cli: " + message + "\n");
        return false;
    }
    if (options.registryFiles.empty()) {
        std::string problem = HklmAccessProblem(app);
        if (!problem.empty()) console::WriteErr("brivolex-cli: " + problem + "\n");
    }
    return true;
}

void ScanForCommand(App& app, bool saveStatistics) {
    ConsoleProgress progress(app, console::ErrIsTerminal());
    ScopedBinding<Events> events(app.events, progress);
    console::CatchInterrupt();
    WriteTrace(app, "brivolex-cli.Scan");
    WriteLog(app, "Scan started");
    app.Problems.Clear();
    {
        ScopedBinding<ProgressView> shown(app.Scan.progress, progress);
        ProgressLoad(app, progress);
        RunScanSequence(app);
    }
    if (saveStatistics) SaveStatistics(app);
    std::string finished = "Scan finished, problems found " + std::to_string(app.Problems.Count());
    WriteLog(app, finished);
    WriteTrace(app, finished);
}

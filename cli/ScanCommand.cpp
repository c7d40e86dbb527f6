#include "cli/ScanCommand.h"

#include "cli/ConsoleProgress.h"
#include "cli/HklmAccess.h"
#include "cli/Machine.h"
#include "cli/ProblemOutput.h"
#include "core/App.h"
#include "core/Logs.h"
#include "core/ScopedBinding.h"
#include "core/Startup.h"
#include "platform/Console.h"
#include "platform/RunningProgram.h"
#include "problems/Statistics.h"
#include "scan/Progress.h"
#include "scan/ScanDriver.h"
#include "ui/SaveResults.h"

namespace {

// A scan as the main window's scan command runs it, without the list and messages.
void Scan(App& app, ConsoleProgress& progress) {
    WriteTrace(app, "brivolex-cli.Scan");
    WriteLog(app, "Scan started");
    app.Problems.Clear();
    {
        ScopedBinding<ProgressView> shown(app.Scan.progress, progress);
        ProgressLoad(app, progress);
        RunScanSequence(app);
    }
    SaveStatistics(app);
    std::string finished = "Scan finished, problems found " + std::to_string(app.Problems.Count());
    WriteLog(app, finished);
    WriteTrace(app, finished);
}

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

// Problems with the folders the command line names, found before a scan is spent.
std::string CheckFolders(FileSystem& files, const CliOptions& options, const std::string& appFolder) {
    if (!options.appDir.empty() && !IsFolder(files, appFolder))
        return "--app-dir '" + options.appDir + "' is not a folder";
    if (!options.reportFile.empty()) {
        std::string folder = FolderOf(options.reportFile);
        if (IsFolder(files, options.reportFile) || (!folder.empty() && !IsFolder(files, folder)))
            return "the report '" + options.reportFile + "' cannot be written there";
    }
    return "";
}

}  // namespace

int RunScanCommand(const CliOptions& options) {
    std::string appFolder = options.appDir.empty() ? RunningProgramFolder() : options.appDir;
    while (appFolder.size() > 1 && (appFolder.back() == '\\' || appFolder.back() == '/'))
        appFolder.pop_back();

    std::string error;
    std::unique_ptr<Machine> machine = !options.OfflineImage()
                                           ? OpenThisMachine(error)
                                           : OpenImageMachine(options, appFolder, error);
    if (!machine) {
        console::WriteErr("brivolex-cli: " + error + "\n");
        return 2;
    }

    std::string folderError = CheckFolders(machine->hostFiles(), options, appFolder);
    if (!folderError.empty()) {
        console::WriteErr("brivolex-cli: " + folderError + "\n");
        return 2;
    }

    App app(machine->platform(), appFolder);
    try {
        PrepareApplication(app, false);
    } catch (...) {
        std::string message = CriticalErrorText();
        WriteTrace(app, message);
        console::WriteErr("brivolex-cli: " + message + "\n");
        return 2;
    }

    if (options.registryFiles.empty()) {
        std::string problem = HklmAccessProblem(app);
        if (!problem.empty()) console::WriteErr("brivolex-cli: " + problem + "\n");
    }

    ConsoleProgress progress(app, console::ErrIsTerminal());
    ScopedBinding<Events> events(app.events, progress);
    console::CatchInterrupt();
    Scan(app, progress);

    if (!options.reportFile.empty()) SaveResults(app, machine->hostFiles(), options.reportFile);
    console::WriteOut(options.json ? ProblemJson(app) : ProblemTable(app));
    return 0;
}

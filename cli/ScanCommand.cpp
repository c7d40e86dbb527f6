#include "cli/ScanCommand.h"

#include "cli/CommandSetup.h"
#include "cli/ProblemOutput.h"
#include "core/App.h"
#include "platform/Console.h"
#include "ui/SaveResults.h"

int RunScanCommand(const CliOptions& options) {
    const std::string appFolder = CommandAppFolder(options);
    std::unique_ptr<Machine> machine = OpenCommandMachine(options, appFolder);
    if (!machine) return 2;
    App app(machine->platform(), appFolder);
    if (!PrepareCommandApp(app, options)) return 2;
    ScanForCommand(app, true);
    if (!options.reportFile.empty()) SaveResults(app, machine->hostFiles(), options.reportFile);
    console::WriteOut(options.json ? ProblemJson(app) : ProblemTable(app));
    return 0;
}

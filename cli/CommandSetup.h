#pragma once
// What scan, repair and restore share: the application folder, the machine the
// options name, the application prepared as the program starts, and the scan.
#include <memory>
#include <string>

#include "cli/CliOptions.h"
#include "cli/Machine.h"

struct App;

// --app-dir, else the program's folder, without a trailing separator.
std::string CommandAppFolder(const CliOptions& options);
// The image or this machine, with the folders of the command line checked; null
// after a one-line error on stderr.
std::unique_ptr<Machine> OpenCommandMachine(const CliOptions& options, const std::string& appFolder);
// Start-up as the window's; false after a one-line error on stderr.
bool PrepareCommandApp(App& app, const CliOptions& options);
// A scan as the main window's scan command runs it, without the list and messages;
// the progress line on a terminal, Ctrl-C cancels. With `saveStatistics` the
// statistics are stored as the window stores them.
void ScanForCommand(App& app, bool saveStatistics);

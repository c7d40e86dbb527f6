#pragma once
// The program's start-up: prepares the process-wide state, writes the diagnostic
// lines and decides the run mode from the command line.
#include <string>

struct App;

enum class StartupResult {
    Ended,           // nothing to show: a scheduled start that is not due, or a critical error
    ShowMainWindow,  // the main window is to be created and shown
};

StartupResult Main(App& app);

// What every front end needs before its first command: the trace started, the brand,
// the options, the folders and the diagnostic lines. A failure passes to the caller.
// Only the program itself keeps its Run-key entry and registers the updater's first-run
// call; other front ends leave both alone.
void PrepareApplication(App& app, bool maintainRunEntry);
// The line and message of a failure that ends start-up (inside a catch block).
std::string CriticalErrorText();

// For a start with "/SCHEDULED": whether a scan is due today; when it is, stores
// today in "last_scheduled_run".
bool IsScheduledRunDue(App& app);

// A date as "ddmmyyyy".
std::string DateAsDdMmYyyy(int year, int month, int day);

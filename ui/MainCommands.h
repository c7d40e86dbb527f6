#pragma once
// The main window's commands: the scan, the repair, the start-up timer's one tick and
// the Options button. They run on the window's thread and open their windows through the host.
#include <string>
#include <vector>

struct App;
class MainForm;
class Processes;

// What the commands need of the real main window.
class MainWindowHost {
public:
    virtual ~MainWindowHost() = default;
    // Creates the scan progress window and shows it modally; returns when it closed,
    // after the scan ended or was cancelled.
    virtual void ShowProgressWindow() = 0;
    // Shows the Options dialog modally.
    virtual void ShowOptionsDialog() = 0;
    // Shows what the window's model holds now, before a window or message opens.
    virtual void ShowNow() = 0;
};

// What the repair command needs of the real main window besides.
class RepairHost {
public:
    virtual ~RepairHost() = default;
    // Shows the repair options dialog modally; its OK confirms the run.
    virtual void ShowRepairOptions() = 0;
    // Shows the repair progress window modally over the selected rows; returns when the
    // run ended or was cancelled.
    virtual void ShowRepairProgress() = 0;
    // Where the registry backup's exports are started.
    virtual Processes& processes() = 0;
};

// Empties the list, scans in the progress window, stores the statistics, lists and
// selects what was found, and congratulates when nothing was.
void ScanCommand(App& app, MainForm& form, MainWindowHost& host);
// Repairs the selected problems: the options, the backup (complete on disk before the
// first change, or no change at all), the run, the cured problems taken off the list.
void RepairCommand(App& app, MainForm& form, MainWindowHost& host, RepairHost& repair);
// The start-up timer's tick: a due scheduled start scans at once; otherwise a new user
// is welcomed once and may start a scan from the welcome.
void StartupTimerTick(App& app, MainForm& form, MainWindowHost& host);
// The Options button.
void OptionsCommand(App& app, MainWindowHost& host);

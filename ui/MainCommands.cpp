#include "ui/MainCommands.h"

#include "core/App.h"
#include "core/Errors.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "core/Options.h"
#include "core/Updater.h"
#include "problems/Statistics.h"
#include "repair/Backup.h"
#include "repair/RepairRun.h"
#include "ui/MainForm.h"

void ScanCommand(App& app, MainForm& form, MainWindowHost& host) {
    SkipFailure([&] { WriteTrace(app, "Form1.Check"); });
    SkipFailure([&] { WriteLog(app, "Scan started"); });
    SkipFailure([&] { app.Problems.Clear(); });
    SkipFailure([&] { form.RefreshList(); });
    SkipFailure([&] { host.ShowNow(); });
    SkipFailure([&] { app.DoEvents(); });
    SkipFailure([&] { host.ShowProgressWindow(); });
    SkipFailure([&] { SaveStatistics(app); });
    SkipFailure([&] { form.RefreshList(); });
    SkipFailure([&] { form.listSelection(1); });
    SkipFailure([&] {
        // The first scan's count is kept and handed to the updater, once.
        if (app.FirstErrors >= 0) return;
        app.FirstErrors = app.Problems.Count();
        SaveOptionL(app, "firsterrors", app.FirstErrors);
        RFirstErrors(app, app.Scan.ScanCancelled ? -1 : app.FirstErrors);
    });
    const std::string finished = "Scan finished, problems found " + std::to_string(app.Problems.Count());
    SkipFailure([&] { WriteLog(app, finished); });
    SkipFailure([&] { WriteTrace(app, finished); });
    if (app.Problems.Count() != 0) return;
    SkipFailure([&] { host.ShowNow(); });
    SkipFailure([&] {
        app.os.prompts.Show(GetLangString(app, "msgbox_congratnoproblems", ""), app.BrandAppName,
                            kMbOk);
    });
    SkipFailure([&] { WriteTrace(app, "Shown congratulation for no problems"); });
}

void RepairCommand(App& app, MainForm& form, MainWindowHost& host, RepairHost& repair) {
    SkipFailure([&] { WriteTrace(app, "Form1.More"); });
    if (app.Problems.Count() == 0) {
        SkipFailure([&] {
            app.os.prompts.Show(GetLangString(app, "msgbox_firstfindproblems", "No problems to repair. Please first find issues clicking on button 'Find problems'"),
                                GetLangString(app, "msgbox_title_warning", "Warning"), kMbOk);
        });
        return;
    }
    SkipFailure([&] { repair.ShowRepairOptions(); });
    if (!app.Repair.RepairConfirmed) return;
    if (app.Repair.RepairBackup) {
        // Nothing is changed unless every key the run may change is saved on disk.
        std::vector<std::string> unsaved;
        SkipFailure([&] { unsaved = UnsavedKeys(app, repair.processes(), BackupRegistry(app, repair.processes())); });
        if (!unsaved.empty()) {
            std::string keys;
            for (const std::string& key : unsaved) keys += (keys.empty() ? "" : ", ") + key;
            SkipFailure([&] { WriteLog(app, "Repair not started: the backup could not save " + keys); });
            SkipFailure([&] {
                app.os.prompts.Show(GetLangString(app, "msgbox_backupfailed", "The registry backup could not be saved, so nothing was repaired. Keys not saved:") + "\r\n" + keys,
                                    GetLangString(app, "msgbox_title_warning", "Warning"), kMbOk | kMbIconWarning);
            });
            return;
        }
    }
    SkipFailure([&] { repair.ShowRepairProgress(); });
    int32_t repaired = 0;
    SkipFailure([&] { repaired = RemoveCuredProblems(app); });
    SkipFailure([&] { SaveStatistics(app); });
    SkipFailure([&] { form.RefreshList(); });
    SkipFailure([&] { form.listSelection(1); });
    SkipFailure([&] { host.ShowNow(); });
    SkipFailure([&] {
        app.os.prompts.Show(GetLangString(app, "msgbox_repaired", "") + " " + std::to_string(repaired),
                            app.BrandAppName, kMbOk);
    });
}

void StartupTimerTick(App& app, MainForm& form, MainWindowHost& host) {
    WriteTrace(app, "Form1.tmr");
    if (app.ScheduledRun) {
        ScanCommand(app, form, host);
        return;
    }
    if (GetOptionB(app, "userwelcomed", false)) return;
    // Stored first: a welcome is shown once, also when it is cancelled.
    SaveOptionB(app, "userwelcomed", true);
    int answer = app.os.prompts.Show(
        GetLangString(app, "welcome_text", "Welcome! Cleaning your computer is now easy as 1-2-3. First you should scan your computer for potential problems. To do this, click button 'Find problems' on the main screen or click 'OK' now. If you don't want to find problems now, please click 'Cancel'."),
        GetLangString(app, "welcome_title", "Welcome"), kMbOkCancel);
    if (answer == kIdOk) ScanCommand(app, form, host);
}

void OptionsCommand(App& app, MainWindowHost& host) {
    try {
        WriteTrace(app, "Form1.Options");
        host.ShowOptionsDialog();
    } catch (...) {
        WriteLog(app, "Error in Form1.btnOptions_Click, error " + std::to_string(CurrentError().number));
    }
}

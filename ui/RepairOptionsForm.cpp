#include "ui/RepairOptionsForm.h"

#include "core/App.h"
#include "core/Language.h"
#include "core/Logs.h"

void RepairOptionsLoad(App& app, RepairOptionsModel& m) {
    WriteTrace(app, "frmRepairOptions.Load");
    // Every text has an empty default: a language file without it leaves the control bare.
    m.caption = GetLangString(app, "frmrepopt_caption", "");
    m.optConservative.text = GetLangString(app, "frmrepopt_opt_method0", "");
    m.optAggressive.text = GetLangString(app, "frmrepopt_opt_method1", "");
    m.chBackup.text = GetLangString(app, "frmrepopt_ch_backup", "");
    m.lblPlease.text = GetLangString(app, "frmrepopt_lbl_please", "");
    m.lblMethodConservative.text = GetLangString(app, "frmrepopt_lbl_backup0", "");
    m.lblMethodAggresive.text = GetLangString(app, "frmrepopt_lbl_method1", "");
    m.OKButton.text = GetLangString(app, "frmrepopt_button_ok", "");
    m.CancelButton.text = GetLangString(app, "frmrepopt_button_cancel", "");
    m.lblBackup.text = GetLangString(app, "frmrepopt_lbl_backup", "") + " " + app.AppFolder + "\\backup" + "\r\n" +
                       GetLangString(app, "frmrepopt_lbl_backup2", "");
    app.Repair.RepairConfirmed = false;
}

void RepairOptionsOK(App& app, const RepairOptionsModel& m) {
    WriteTrace(app, "frmRepairOptions.OK");
    app.Repair.RepairMethod = m.conservative ? kMethodConservative : kMethodAggressive;
    app.Repair.RepairBackup = m.backup;
    app.Repair.RepairConfirmed = true;
    WriteLog(app, "Repair started with params " + std::to_string(app.Repair.RepairMethod) + ", " +
                      (app.Repair.RepairBackup ? "True" : "False"));
}

void RepairOptionsCancel(App& app) { WriteTrace(app, "frmRepairOptions.Unload"); }

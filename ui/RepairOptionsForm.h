#pragma once
// The repair options dialog (frmRepairOptions), as logic over what it shows: the
// method, conservative (search for moved files first) or aggressive (delete), and the
// registry backup. It opens with the conservative method and the backup chosen.
#include <string>

#include "ui/WindowModel.h"

struct App;

struct RepairOptionsModel {
    std::string caption;
    Control optConservative, optAggressive, chBackup, lblPlease, lblMethodConservative,
        lblMethodAggresive, lblBackup, OKButton, CancelButton;
    bool conservative = true, backup = true;
};

void RepairOptionsLoad(App& app, RepairOptionsModel& m);
// OK: the choices stored, the run confirmed, and the "Repair started with params" line.
void RepairOptionsOK(App& app, const RepairOptionsModel& m);
void RepairOptionsCancel(App& app);

#pragma once
// The Options dialog (frmOptions), as logic over what it shows: the scheduled scan on
// or off, its rhythm and weekday, and whether read-only and system files may be
// deleted. OK stores them and keeps the Run-key entry in step; Cancel and the close
// box store nothing.
#include <array>
#include <string>

#include "ui/WindowModel.h"

struct App;

struct OptionsFormModel {
    std::string caption;
    Control chRunAutomatically, chDeleteReadonly, btnOK, btnCancel, btnUpdate;
    bool runAutomatically = false, deleteReadonly = false;
    std::array<Control, 3> optWhen;  // daily, weekly, monthly
    int when = -1;                   // the selected optWhen, -1 for none
    Control lstDays;
    std::array<std::string, 7> days;  // Monday .. Sunday
    int day = -1;                     // the selected weekday, -1 for none
};

// Loading: texts, the stored choices (out-of-range ones read as weekly and Monday).
void OptionsLoad(App& app, OptionsFormModel& m);
// The rhythm and weekday are chosen only for a scheduled scan, the weekday only for a
// weekly one. Called after loading and after every click on the check box or a rhythm.
void UpdateScheduleControls(OptionsFormModel& m);
// OK: stores every choice and writes or removes the Run-key entry.
void OptionsOK(App& app, const OptionsFormModel& m);
void OptionsCancel(App& app);

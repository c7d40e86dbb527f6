#include "ui/OptionsForm.h"

#include "core/App.h"
#include "core/AutomaticRun.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "core/Options.h"

namespace {

// Loading and OK skip a failing step and go on with the next.
template <typename Step>
void Skipping(Step step) {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace

void OptionsLoad(App& app, OptionsFormModel& m) {
    Skipping([&] { WriteTrace(app, "frmOptions.Load"); });
    Skipping([&] {
        m.caption = GetLangString(app, "frmoptions_caption", "Options");
        m.chRunAutomatically.text = GetLangString(app, "frmoptions_runaut", "Perform automatic scan");
        m.optWhen[0].text = GetLangString(app, "frmoptions_runaut_when_daily", "Daily");
        m.optWhen[1].text = GetLangString(app, "frmoptions_runaut_when_weeekly", "Weekly");
        m.optWhen[2].text = GetLangString(app, "frmoptions_runaut_when_monthly", "Monthly");
        m.chDeleteReadonly.text = GetLangString(app, "frmoptions_deletereadonly", "Delete files marked 'Read only' or 'System'");
        m.btnOK.text = GetLangString(app, "frmoptions_ok", "OK");
        m.btnCancel.text = GetLangString(app, "frmoptions_cancel", "Cancel");
        m.btnUpdate.text = GetLangString(app, "frmoptions_update", "Update now");
    });
    Skipping([&] {
        m.days = {GetLangString(app, "frmoptions_runaut_daily_1", "Monday"),
                  GetLangString(app, "frmoptions_runaut_daily_2", "Tuesday"),
                  GetLangString(app, "frmoptions_runaut_daily_3", "Wednesday"),
                  GetLangString(app, "frmoptions_runaut_daily_4", "Thursday"),
                  GetLangString(app, "frmoptions_runaut_daily_5", "Friday"),
                  GetLangString(app, "frmoptions_runaut_daily_6", "Saturday"),
                  GetLangString(app, "frmoptions_runaut_daily_7", "Sunday")};
    });
    Skipping([&] { m.runAutomatically = GetOptionB(app, "runautomatically", true); });
    Skipping([&] { m.deleteReadonly = app.DeleteReadOnly; });
    Skipping([&] {
        int32_t when = GetOptionL(app, "runautomatically_when", 1);
        m.when = when < 0 || when > 2 ? 1 : when;
    });
    Skipping([&] {
        int32_t day = GetOptionL(app, "runautomatically_day", 0);
        m.day = day < 0 || day > 6 ? 0 : day;
    });
    UpdateScheduleControls(m);
}

void UpdateScheduleControls(OptionsFormModel& m) {
    for (Control& option : m.optWhen) option.enabled = m.runAutomatically;
    m.lstDays.enabled = m.runAutomatically && m.when == 1;
}

void OptionsOK(App& app, const OptionsFormModel& m) {
    Skipping([&] { WriteTrace(app, "frmOptions.OK"); });
    Skipping([&] { SaveOptionB(app, "runautomatically", m.runAutomatically); });
    Skipping([&] {
        app.DeleteReadOnly = m.deleteReadonly;
        SaveOptionB(app, "deletereadonly", m.deleteReadonly);
    });
    Skipping([&] { SaveOptionL(app, "runautomatically_when", m.when < 0 ? 0 : m.when); });
    Skipping([&] { SaveOptionL(app, "runautomatically_day", m.day); });
    Skipping([&] { SetAutomaticalRun(app, m.runAutomatically); });
}

void OptionsCancel(App& app) { WriteTrace(app, "frmOptions.Cancel"); }

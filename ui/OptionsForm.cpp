#include "ui/OptionsForm.h"

#include "core/App.h"
#include "core/Errors.h"
#include "core/AutomaticRun.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "core/Options.h"

void OptionsLoad(App& app, OptionsFormModel& m) {
    SkipFailure([&] { WriteTrace(app, "frmOptions.Load"); });
    SkipFailure([&] {
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
    SkipFailure([&] {
        m.days = {GetLangString(app, "frmoptions_runaut_daily_1", "Monday"),
                  GetLangString(app, "frmoptions_runaut_daily_2", "Tuesday"),
                  GetLangString(app, "frmoptions_runaut_daily_3", "Wednesday"),
                  GetLangString(app, "frmoptions_runaut_daily_4", "Thursday"),
                  GetLangString(app, "frmoptions_runaut_daily_5", "Friday"),
                  GetLangString(app, "frmoptions_runaut_daily_6", "Saturday"),
                  GetLangString(app, "frmoptions_runaut_daily_7", "Sunday")};
    });
    SkipFailure([&] { m.runAutomatically = GetOptionB(app, "runautomatically", true); });
    SkipFailure([&] { m.deleteReadonly = app.DeleteReadOnly; });
    SkipFailure([&] {
        int32_t when = GetOptionL(app, "runautomatically_when", 1);
        m.when = when < 0 || when > 2 ? 1 : when;
    });
    SkipFailure([&] {
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
    SkipFailure([&] { WriteTrace(app, "frmOptions.OK"); });
    SkipFailure([&] { SaveOptionB(app, "runautomatically", m.runAutomatically); });
    SkipFailure([&] {
        app.DeleteReadOnly = m.deleteReadonly;
        SaveOptionB(app, "deletereadonly", m.deleteReadonly);
    });
    SkipFailure([&] { SaveOptionL(app, "runautomatically_when", m.when < 0 ? 0 : m.when); });
    SkipFailure([&] { SaveOptionL(app, "runautomatically_day", m.day); });
    SkipFailure([&] { SetAutomaticalRun(app, m.runAutomatically); });
}

void OptionsCancel(App& app) { WriteTrace(app, "frmOptions.Cancel"); }

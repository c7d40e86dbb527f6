#include "problems/Statistics.h"

#include "core/App.h"
#include "core/Options.h"
#include "problems/clsItem.h"

void SaveStatistics(App& app) {
    try {
        int32_t registryProblems = 0;
        // By position, so that the count stays right whatever the pending events do.
        for (int32_t position = 1; position <= app.Problems.Count(); ++position) {
            const ProblemRef& item = app.Problems.Item(position);
            if (item && item->pType() == kTypeRegistry) ++registryProblems;
            app.DoEvents();
        }
        SaveOptionL(app, "last_scan_errors_overal", app.Problems.Count());
        SaveOptionL(app, "last_scan_errors_registry", registryProblems);
        DateTime now = app.os.clock.Now();
        SaveOptionS(app, "last_scan_date",
                    app.os.locale.ShortDate(now) + ", " + app.os.locale.LongTime(now));
    } catch (...) {
        // What was stored before the failure stays; nothing is reported.
    }
}

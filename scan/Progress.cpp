#include "scan/Progress.h"

#include "core/App.h"
#include "core/Errors.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "scan/ProgressView.h"

namespace {
constexpr int kBarSteps = 31;
}

void ProgressLoad(App& app, ProgressView& view) {
    WriteTrace(app, "frmProgress.Load");
    view.SetWindowCaption(GetLangString(app, "frmprogress_caption", "Progress"));
    view.SetCancelCaption(GetLangString(app, "frmprogress_cancel", "Cancel"));
    view.SetCounterText(GetLangString(app, "frmprogress_counter", "Counter:"));
    view.HideProblems();
    app.Scan.ContinueScan = true;
    app.Scan.ScanCancelled = false;
    view.SetBarMaximum(kBarSteps);
}

void ProgressCancel(App& app) {
    WriteTrace(app, "frmProgress.Cancel");
    app.Scan.ContinueScan = false;
    app.Scan.ScanCancelled = true;
}

void ProgressUnload(App& app) { app.Scan.ContinueScan = false; }

void UpdateProgressLabelWith(App& app, const std::function<std::string()>& text) {
    try {
        ProgressView* view = app.Scan.progress;
        const bool shown = view && view->WantsUpdate();
        if (shown) view->SetItemText(text());
        ++app.Scan.ProgressCounter;
        if (shown)
            view->SetCounterText(app.Scan.CounterCaption + " " +
                                 std::to_string(app.Scan.ProgressCounter));
        if (shown && app.Problems.Count() >= 1)
            view->ShowProblems(GetLangString(app, "frmprogress_problems", "Problems:") + " " +
                               std::to_string(app.Problems.Count()));
        app.DoEvents();
    } catch (...) {
        PassOnOutOfMemory();
        WriteLog(app, "Error in UpdateProgressLabel, error " + std::to_string(CurrentError().number));
    }
}

void UpdateProgressLabel(App& app, const std::string& text) {
    UpdateProgressLabelWith(app, [&text] { return text; });
}

void UpdateProgressbar(App& app) {
    try {
        ProgressView* view = app.Scan.progress;
        if (view && view->BarMaximum() > view->BarValue()) view->SetBarValue(view->BarValue() + 1);
        app.DoEvents();
    } catch (...) {
        PassOnOutOfMemory();
        WriteLog(app, "Error in UpdateProgressbar, error " + std::to_string(CurrentError().number));
    }
}

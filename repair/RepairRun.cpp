#include "repair/RepairRun.h"

#include "core/App.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "repair/MovedFileSearch.h"
#include "repair/RepairJournal.h"
#include "repair/RepairUi.h"

bool RepairDeletes(const App& app, const clsItem& problem) {
    if (app.Repair.RepairMethod != kMethodConservative) return true;
    if (problem.pType() == kTypeFile && problem.pSTATUS == kStatusUnusedFile) return true;
    switch (problem.pInternalType) {
        case kCheckMenuOrder:
        case kCheckInstallerFolder:
        case kCheckFileExtension:
        case kCheckProgId:
        case kCheckTypeLibrary:
        case kCheckArpCache:
        case kCheckClassIcon:
            return true;
        default:
            return false;
    }
}

void RunRepair(RepairContext& c, const std::vector<RepairRow>& rows, const bool& running) {
    App& app = c.app;
    WriteTrace(app, "frmRepairProgress.T1");
    app.Repair.SkipAllDeleteErrors = false;
    const std::string prefix = GetLangString(app, "repairprogress_info", "Repairing") + " ";
    int total = 0;
    for (const RepairRow& row : rows) total += row.selected;
    SearchListings listings;  // each tree is listed once per run
    for (const RepairRow& row : rows) {
        if (!running) break;
        if (!row.selected) {
            app.DoEvents();
            continue;
        }
        clsItem& problem = *app.Problems.Item(std::stoi(row.tag));
        c.ui.ShowRepairItem(prefix + problem.pName());
        c.ui.AdvanceBar(total);
        if (RepairDeletes(app, problem)) {
            deleteProblem(c, problem);
        } else {
            app.Repair.RepairItemName = problem.pName();
            std::string newPath = findNewPath(c, listings, problem);
            if (newPath == kSkipPath) {
                WriteProblemLog(app, "Skipped: " + problem.FriendlyDescription(app));
                if (c.journal) c.journal->actions.push_back({problem.UID(), "skip", problem.pName(), "", true, ""});
            } else if (newPath.empty() || !repairProblem(c, problem, newPath)) {
                deleteProblem(c, problem);
            }
        }
        app.DoEvents();
    }
}

int32_t RemoveCuredProblems(App& app) {
    int32_t removed = 0;
    // Pass after pass, each removing the first cured record it meets, until a pass
    // finds none.
    for (bool found = true; found;) {
        found = false;
        const int32_t count = app.Problems.Count();
        for (int32_t position = 1; position <= count && position <= app.Problems.Count(); ++position) {
            if (app.Problems.Item(position)->pType() != kTypeCured) continue;
            app.Problems.Remove(position);
            ++removed;
            found = true;
            break;
        }
    }
    return removed;
}

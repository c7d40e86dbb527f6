#include "cli/RepairOutput.h"

#include <nlohmann/json.hpp>

#include "cli/ProblemOutput.h"
#include "platform/Text.h"

namespace {

std::string Outcome(const RepairAction& a, bool dryRun) {
    if (a.action == "skip") return "skipped";
    if (a.done) return dryRun ? "would be done" : "done";
    return (dryRun ? "would fail: " : "failed: ") + a.error;
}

std::string Pad(const std::string& s, size_t width) {
    size_t n = text::CharCount(s);
    return n >= width ? s : s + std::string(width - n, ' ');
}

}  // namespace

std::string RepairTable(const RepairJournal& journal, const RepairSummary& summary) {
    size_t actionWidth = 6, targetWidth = 6;
    for (const RepairAction& a : journal.actions) {
        actionWidth = std::max(actionWidth, text::CharCount(a.action));
        targetWidth = std::max(targetWidth, text::CharCount(a.target));
    }
    std::string out = Pad("Action", actionWidth) + "  " + Pad("Target", targetWidth) + "  Outcome\n";
    for (const RepairAction& a : journal.actions) {
        out += Pad(a.action, actionWidth) + "  " + Pad(a.target, targetWidth) + "  " + Outcome(a, summary.dryRun);
        if (!a.newPath.empty())
            out += " (" + std::string(a.action == "back up key" ? "to " : a.action == "write file" ? "copy: " : "new: ") +
                   a.newPath + ")";
        out += "\n";
    }
    out += "\n" + std::string(summary.dryRun ? "Would repair " : "Repaired ") + std::to_string(summary.repaired) +
           " of " + std::to_string(summary.chosen) + " chosen problems";
    if (summary.skipped) out += ", " + std::to_string(summary.skipped) + " skipped";
    if (summary.untouched) out += ", " + std::to_string(summary.untouched) + " not reached (cancelled)";
    out += summary.dryRun ? "; nothing was changed (dry run).\n" : ".\n";
    return out;
}

std::string RepairJson(const RepairJournal& journal, const RepairSummary& summary) {
    using nlohmann::ordered_json;
    ordered_json actions = ordered_json::array();
    for (const RepairAction& a : journal.actions)
        actions.push_back({{"UID", JsonText(a.uid)},
                           {"action", a.action},
                           {"target", JsonText(a.target)},
                           {"newPath", JsonText(a.newPath)},
                           {"done", a.done},
                           {"error", JsonText(a.error)}});
    ordered_json result = {{"dryRun", summary.dryRun},  {"actions", actions},
                           {"chosen", summary.chosen},  {"repaired", summary.repaired},
                           {"skipped", summary.skipped}, {"notReached", summary.untouched},
                           {"cancelled", summary.cancelled}};
    return JsonLayout(result) + "\n";
}

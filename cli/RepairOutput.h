#pragma once
// What brivolex-cli repair prints: each action of the run (or of the dry run) with its
// outcome, and the count of the chosen problems repaired.
#include <string>

#include "repair/RepairJournal.h"

struct RepairSummary {
    bool dryRun = false;
    bool cancelled = false;
    int chosen = 0;
    int repaired = 0;   // cured
    int skipped = 0;    // left as they are by choice
    int untouched = 0;  // not reached: the run was cancelled first
};

std::string RepairTable(const RepairJournal& journal, const RepairSummary& summary);
std::string RepairJson(const RepairJournal& journal, const RepairSummary& summary);

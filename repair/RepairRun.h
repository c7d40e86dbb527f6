#pragma once
// The repair run: the selected rows of the problem list, one after the other, each
// repaired (conservative method: the moved file searched for and the reference pointed
// at it) or deleted, until the end or until the running flag is cleared (Cancel).
#include <string>
#include <vector>

#include "repair/RepairProblem.h"

// A row of the problem list as the run reads it: whether it is selected, and its tag,
// the position of its problem in the collection.
struct RepairRow {
    bool selected = false;
    std::string tag;
};

// Whether the run deletes the problem rather than trying a repair.
bool RepairDeletes(const App& app, const clsItem& problem);
// The progress window's first timer tick. `running` is cleared by Cancel; it is read
// between two problems, so the current one is always finished.
void RunRepair(RepairContext& c, const std::vector<RepairRow>& rows, const bool& running);
// Removes the cured problems from the collection; the number removed.
int32_t RemoveCuredProblems(App& app);

#pragma once
// State shared by the repair run, its windows and the repair engine.
#include <cstdint>
#include <string>
#include <vector>

constexpr int16_t kMethodConservative = 1;
constexpr int16_t kMethodAggressive = 2;
// The answer of the path selection that leaves a problem as it is.
inline const std::string kSkipPath = "SKIP";

struct RepairState {
    int16_t RepairMethod = kMethodConservative;
    bool RepairBackup = true;
    bool RepairConfirmed = false;
    // pName of the problem being repaired, shown by the path selection.
    std::string RepairItemName;
    // Set by "Skip all" of the delete-error dialog: no further delete errors are shown
    // in this run.
    bool SkipAllDeleteErrors = false;
    std::vector<std::string> PathCandidates;
    std::string SelectedPath;
};

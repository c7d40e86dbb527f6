#pragma once
// The scan: the fixed sequence of scanner calls the progress window runs once, with
// the bar advanced after each completed step.
#include <functional>
#include <string>
#include <vector>

struct App;

struct ScanStep {
    std::string name;  // for tests and benchmarks
    int barSteps = 1;
    std::function<void(App&)> run;
};

// The steps of a scan, in their order.
std::vector<ScanStep> ScanSequence();

// The progress window's timer tick: runs the sequence to its end or to the first
// failed test of ContinueScan, then unloads the window. Running out of memory ends the
// scan there, with "Out of memory: the scan ends" in the application log.
void RunScanSequence(App& app);

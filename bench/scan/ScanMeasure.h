#pragma once
// Times a whole registry scan (the scan driver's sequence, behind a progress window
// that shows nothing, as a run with a hidden window would) against a bare walk of the
// same keys, then runs both once more with every platform call timed, and prints the
// figures with where the scan's time goes.
#include <chrono>
#include <cstddef>
#include <string>

#include "bench/common/BenchSupport.h"
#include "bench/scan/TimedPlatform.h"
#include "platform/Platform.h"
#include "scan/ProgressView.h"

// The progress window of a run whose window is hidden: it shows nothing, but takes an
// update as often as the window's event pump would (every 30 ms).
class HiddenProgress : public ProgressView {
public:
    bool WantsUpdate() override {
        auto now = BenchClock::now();
        if (now - last_ < std::chrono::milliseconds(30)) return false;
        last_ = now;
        return true;
    }
    void SetWindowCaption(const std::string&) override {}
    void SetCancelCaption(const std::string&) override {}
    void SetItemText(const std::string&) override {}
    void SetCounterText(const std::string&) override {}
    void HideProblems() override {}
    void ShowProblems(const std::string&) override {}
    int BarMaximum() const override { return maximum_; }
    void SetBarMaximum(int maximum) override { maximum_ = maximum; }
    int BarValue() const override { return value_; }
    void SetBarValue(int value) override { value_ = value; }
    void Close() override {}

private:
    int maximum_ = 100, value_ = 0;
    BenchClock::time_point last_{};
};

struct ScanFigures {
    double scanSeconds = 0;       // best of the rounds
    double walkSeconds = 0;       // best of the rounds
    double timedScanSeconds = 0;  // the scan with every platform call timed
    size_t items = 0, problems = 0, walkKeys = 0, walkDefaultValues = 0;
    Breakdown scan, walk;  // the timed scan's and the timed walk's calls
    bool prepared = true;  // start-up went through
};

// `plain` is the world as it is; `timed` the same world behind the timing decorators,
// which add what they see to `breakdown`. The bare walk covers HKLM and HKCU whole.
ScanFigures MeasureScan(Platform& plain, Platform& timed, Breakdown& breakdown,
                        const std::string& appFolder, int rounds);

// Prints the figures; true when the scan stays within twice the bare walk.
bool PrintScanFigures(const ScanFigures& figures, int rounds);

// What two readings of the clock cost, as every timed call takes them.
double TimingCostPerCall();
// The time of the platform calls a scan must make (its registry calls and file tests,
// as the timed scan measured them, less the clock's part).
double PlatformCallSeconds(const ScanFigures& figures);

// One scan of a fresh application in `world` (start-up, then the scan sequence),
// timed from the start of the sequence; negative when start-up failed. `problems`,
// when given, receives how many problems it found.
double ScanOnce(Platform& world, const std::string& appFolder, size_t* problems = nullptr);

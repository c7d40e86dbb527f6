#include "bench/scan/ScanMeasure.h"

#include <chrono>
#include <cstdio>

#include "bench/common/RegistryWalk.h"
#include "core/App.h"
#include "core/Logs.h"
#include "core/ScopedBinding.h"
#include "core/Startup.h"
#include "scan/Progress.h"
#include "scan/ProgressView.h"
#include "scan/ScanDriver.h"

namespace {

constexpr double kTargetRatio = 2.0;

bool Prepare(App& app) {
    try {
        PrepareApplication(app, false);
        return true;
    } catch (...) {
        std::printf("start-up failed: %s\n", CriticalErrorText().c_str());
        return false;
    }
}

// One scan as the scan command runs it, timed from the start of the sequence to its end.
double TimedScan(App& app) {
    ClearTrace(app);
    app.Problems.Clear();
    HiddenProgress view;
    ScopedBinding<ProgressView> shown(app.Scan.progress, view);
    ProgressLoad(app, view);
    auto start = BenchClock::now();
    RunScanSequence(app);
    return Seconds(start);
}

double TimedWalk(Registry& registry, WalkResult& result) {
    auto start = BenchClock::now();
    WalkResult machine = WalkAll(registry, HKLM, "");
    WalkResult user = WalkAll(registry, HKCU, "");
    double seconds = Seconds(start);
    result.keys = machine.keys + user.keys;
    result.defaultValues = machine.defaultValues + user.defaultValues;
    return seconds;
}

std::string Calls(const Tally& t) {
    return Grouped(static_cast<double>(t.calls));
}

void Line(const char* what, const Tally& t, const std::string& detail) {
    std::printf("  %-22s %8.3f s %12s calls  %s\n", what, t.seconds, Calls(t).c_str(),
                detail.c_str());
}

std::string Part(const char* name, const Tally& t) {
    char text[96];
    std::snprintf(text, sizeof text, "%s %s (%.3f s)", name, Calls(t).c_str(), t.seconds);
    return text;
}

}  // namespace

double TimingCostPerCall() {
    constexpr int kReadings = 200000;
    auto start = BenchClock::now();
    volatile int64_t sink = 0;
    for (int i = 0; i < kReadings; ++i) sink = sink + BenchClock::now().time_since_epoch().count();
    return 2 * Seconds(start) / kReadings;
}

double PlatformCallSeconds(const ScanFigures& f) {
    Tally platform = f.scan.Registry();
    platform += f.scan.FileTests();
    // A timed call holds about one of its two clock readings.
    return platform.seconds - TimingCostPerCall() / 2 * static_cast<double>(platform.calls);
}

double ScanOnce(Platform& world, const std::string& appFolder, size_t* problems) {
    App app(world, appFolder);
    if (!Prepare(app)) return -1;
    double seconds = TimedScan(app);
    if (problems) *problems = app.Problems.Count();
    return seconds;
}

ScanFigures MeasureScan(Platform& plain, Platform& timed, Breakdown& breakdown,
                        const std::string& appFolder, int rounds) {
    ScanFigures f;
    App app(plain, appFolder);
    if (!Prepare(app)) {
        f.prepared = false;
        return f;
    }
    for (int round = 0; round < rounds; ++round) {
        double seconds = TimedScan(app);
        if (round == 0 || seconds < f.scanSeconds) f.scanSeconds = seconds;
    }
    f.items = static_cast<size_t>(app.Scan.ProgressCounter);
    f.problems = app.Problems.Count();
    for (int round = 0; round < rounds; ++round) {
        WalkResult walk;
        double seconds = TimedWalk(plain.registry, walk);
        if (round == 0 || seconds < f.walkSeconds) f.walkSeconds = seconds;
        f.walkKeys = walk.keys;
        f.walkDefaultValues = walk.defaultValues;
    }

    App timedApp(timed, appFolder);
    if (!Prepare(timedApp)) {
        f.prepared = false;
        return f;
    }
    breakdown = Breakdown{};
    f.timedScanSeconds = TimedScan(timedApp);
    f.scan = breakdown;
    breakdown = Breakdown{};
    WalkResult walk;
    TimedWalk(timed.registry, walk);
    f.walk = breakdown;
    return f;
}

bool PrintScanFigures(const ScanFigures& f, int rounds) {
    if (!f.prepared) return false;
    double ratio = f.walkSeconds > 0 ? f.scanSeconds / f.walkSeconds : 0;
    bool met = ratio <= kTargetRatio;
    std::printf("full registry scan: %.3f s (best of %d): %s items shown, %s problems\n",
                f.scanSeconds, rounds, Grouped(static_cast<double>(f.items)).c_str(),
                Grouped(static_cast<double>(f.problems)).c_str());
    std::printf("bare walk of the same keys: %.3f s (best of %d): %s keys, %s default values\n",
                f.walkSeconds, rounds, Grouped(static_cast<double>(f.walkKeys)).c_str(),
                Grouped(static_cast<double>(f.walkDefaultValues)).c_str());
    std::printf("scan / bare walk: %.1f (target: within %.1f): %s\n", ratio, kTargetRatio,
                met ? "met" : "MISSED");

    const Breakdown& s = f.scan;
    double perCall = TimingCostPerCall();
    Tally measured = s.Measured();
    std::printf(
        "where the scan's time goes (one more scan with every platform call timed: %.3f s,\n"
        "of which reading the clock about %.3f s, %.0f ns a call):\n",
        f.timedScanSeconds, perCall * static_cast<double>(measured.calls), perCall * 1e9);
    Line("registry calls", s.Registry(),
         Part("open", s.open) + ", " + Part("query", s.query) + ", " +
             Part("enum keys", s.enumKey) + ", " + Part("enum values", s.enumValue) + ", " +
             Part("close", s.close));
    Line("file tests", s.FileTests(),
         Part("attributes", s.attributes) + ", " + Part("open for reading", s.openForReading) +
             ", " + Part("drive type", s.driveType));
    Line("language texts", s.languageRead, "profile reads of the language file");
    Line("missing-text records", s.missingWrite, "profile writes to _missing.txt");
    Line("trace", s.trace, "lines appended to app2.log (one write each, file kept open)");
    Line("problem log", s.problemLog, "lines appended to app3.log (one write each, file kept open)");
    Tally other = s.appLog;
    other += s.otherLine;
    other += s.fileOther;
    other += s.profileOther;
    other += s.registryOther;
    Line("other platform calls", other, "app.log lines, options, other files");
    double own = f.timedScanSeconds - measured.seconds;
    std::printf(
        "  %-22s %8.3f s                     the procedures themselves: texts, records, progress\n",
        "the scan's own work", own);
    const Tally walkRegistry = f.walk.Registry();
    std::printf("the bare walk, timed the same way: %.3f s in %s registry calls\n",
                walkRegistry.seconds, Calls(walkRegistry).c_str());

    // The gap to the target, told by the figures above (timed run, scaled to the clean one).
    double scale = f.timedScanSeconds > 0 ? f.scanSeconds / f.timedScanSeconds : 1;
    double target = kTargetRatio * f.walkSeconds;
    std::printf(
        "over the target (%.3f s) by %.3f s; scaled to the untimed scan, that time is:\n"
        "  registry calls beyond twice the walk's %.3f s; language texts %.3f s; trace %.3f s;\n"
        "  file tests %.3f s; problem log %.3f s; missing-text records %.3f s; other calls %.3f s; "
        "own work %.3f s\n",
        target, f.scanSeconds - target,
        scale * (s.Registry().seconds - kTargetRatio * walkRegistry.seconds),
        scale * s.languageRead.seconds, scale * s.trace.seconds, scale * s.FileTests().seconds,
        scale * s.problemLog.seconds, scale * s.missingWrite.seconds, scale * other.seconds,
        scale * own);
    return met;
}

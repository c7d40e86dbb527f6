#include <gtest/gtest.h>

#include <numeric>

#include "problems/clsItem.h"
#include "scan/Progress.h"
#include "scan/ScanDriver.h"
#include "tests/ScanSupport.h"

using testing_support::ScanWorld;

namespace {

int BarStepsBefore(const std::string& stepName) {
    int steps = 0;
    for (const ScanStep& step : ScanSequence()) {
        if (step.name == stepName) break;
        steps += step.barSteps;
    }
    return steps;
}

int AllBarSteps() {
    int steps = 0;
    for (const ScanStep& step : ScanSequence()) steps += step.barSteps;
    return steps;
}

TEST(ScanDriver, LoadingTheWindowPreparesTheScan) {
    ScanWorld w;
    w.app.Scan.ContinueScan = false;
    w.app.Scan.ScanCancelled = true;
    ProgressLoad(w.app, w.progress);
    EXPECT_EQ(w.progress.caption, "Progress");
    EXPECT_EQ(w.progress.cancelCaption, "Cancel");
    EXPECT_EQ(w.progress.counter, "Counter:");
    EXPECT_FALSE(w.progress.problemsShown);
    EXPECT_EQ(w.progress.barMaximum, 31);
    EXPECT_TRUE(w.app.Scan.ContinueScan);
    EXPECT_FALSE(w.app.Scan.ScanCancelled);
    EXPECT_EQ(w.Lines("app2.log"), std::vector<std::string>{"frmProgress.Load"});
}

TEST(ScanDriver, ACompleteRunFillsTheBarAndCountsEveryItem) {
    ScanWorld w;
    w.Put(HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Gone", "C:\\Gone\\a.exe");
    w.Put(HKCR, ".used", "Content Type", "text/plain");
    ProgressLoad(w.app, w.progress);
    w.progress.barValue = 0;
    RunScanSequence(w.app);
    EXPECT_EQ(w.progress.barValue, AllBarSteps());
    EXPECT_EQ(w.progress.closed, 1);
    EXPECT_FALSE(w.app.Scan.ContinueScan);
    EXPECT_FALSE(w.app.Scan.ScanCancelled);
    EXPECT_EQ(w.app.Scan.ProgressCounter, static_cast<int32_t>(w.progress.items.size()));
    EXPECT_EQ(w.progress.counter, "Counter: " + std::to_string(w.progress.items.size()));
    EXPECT_EQ(w.app.Problems.Count(), 1);
    EXPECT_TRUE(w.progress.problemsShown);
    EXPECT_EQ(w.progress.problems, "Problems: 1");
    auto trace = w.Lines("app2.log");
    EXPECT_NE(std::find(trace.begin(), trace.end(), "frmProgress.T1"), trace.end());
}

TEST(ScanDriver, AScanWithoutProblemsNeverShowsTheProblemsLabel) {
    ScanWorld w;
    ProgressLoad(w.app, w.progress);
    RunScanSequence(w.app);
    EXPECT_EQ(w.app.Problems.Count(), 0);
    EXPECT_FALSE(w.progress.problemsShown);
}

TEST(ScanDriver, CancelDuringTheUninstallStepSkipsEveryLaterStep) {
    ScanWorld w;
    std::string u = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    w.Put(HKLM, u + "\\A", "UninstallString", "C:\\Gone\\a.exe");
    w.Put(HKLM, u + "\\B", "UninstallString", "C:\\Gone\\b.exe");
    w.Put(HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Gone", "C:\\Gone\\run.exe");
    ProgressLoad(w.app, w.progress);
    w.progress.cancelWhen = [](const std::string& item) { return item.find("Uninstall\\A") != std::string::npos; };
    RunScanSequence(w.app);
    EXPECT_TRUE(w.app.Scan.ScanCancelled);
    EXPECT_FALSE(w.app.Scan.ContinueScan);
    EXPECT_EQ(w.progress.barValue, BarStepsBefore("Uninstall"));
    EXPECT_EQ(w.progress.closed, 1);
    // The entry being shown when Cancel came is still judged; nothing after it is.
    ASSERT_EQ(w.app.Problems.Count(), 1);
    EXPECT_EQ(w.app.Problems.Item(1)->pName(), "HKLM\\" + u + "\\A");
    EXPECT_EQ(w.progress.items.size(), 1u);
    // After Cancel the uninstall scanner finishes its item and no other scanner starts.
    auto trace = w.Lines("app2.log");
    auto cancel = std::find(trace.begin(), trace.end(), "frmProgress.Cancel");
    ASSERT_NE(cancel, trace.end());
    EXPECT_EQ(std::vector<std::string>(cancel, trace.end()),
              (std::vector<std::string>{"frmProgress.Cancel", "addProblem"}));
}

TEST(ScanDriver, ClosingTheWindowStopsTheScanWithoutCancelling) {
    ScanWorld w;
    std::string u = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    w.Put(HKLM, u + "\\A", "UninstallString", "C:\\Gone\\a.exe");
    w.Put(HKLM, u + "\\B", "UninstallString", "C:\\Gone\\b.exe");
    ProgressLoad(w.app, w.progress);
    w.progress.cancelWhen = [&](const std::string&) {
        ProgressUnload(w.app);
        return false;
    };
    RunScanSequence(w.app);
    EXPECT_FALSE(w.app.Scan.ScanCancelled);
    EXPECT_EQ(w.app.Problems.Count(), 1);
}

TEST(ScanDriver, ASecondScanStartsFromAFreshCounter) {
    ScanWorld w;
    w.Put(HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Gone", "C:\\Gone\\a.exe");
    ProgressLoad(w.app, w.progress);
    RunScanSequence(w.app);
    int32_t first = w.app.Scan.ProgressCounter;
    testing_support::RecordingProgress second(w.app);
    w.app.Scan.progress = &second;
    ProgressLoad(w.app, second);
    RunScanSequence(w.app);
    EXPECT_EQ(w.app.Scan.ProgressCounter, first);
    EXPECT_EQ(second.barValue, AllBarSteps());
}

TEST(ScanDriver, UpdatesWithoutAWindowOnlyCount) {
    ScanWorld w;
    w.app.Scan.progress = nullptr;
    UpdateProgressLabel(w.app, "x");
    UpdateProgressbar(w.app);
    EXPECT_EQ(w.app.Scan.ProgressCounter, 1);
}

}  // namespace

namespace {

TEST(ScanDriver, TheSequenceHas27StepsThatFillTheBarsThirtyOneSteps) {
    std::vector<ScanStep> steps = ScanSequence();
    EXPECT_EQ(steps.size(), 27u);
    EXPECT_EQ(AllBarSteps(), 31);
    // The four shortcut folders come first and count two steps each.
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(steps[i].barSteps, 2) << steps[i].name;
}

}  // namespace

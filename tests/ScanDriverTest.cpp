#include <gtest/gtest.h>

#include "scan/ComScanners.h"
#include "scan/ExtensionScanners.h"
#include "scan/OldFilesScanner.h"
#include "scan/ReferenceScanners.h"
#include "scan/ScanDriver.h"
#include "scan/ShortcutScanners.h"
#include "tests/RegistrySpy.h"
#include "tests/ScanSupport.h"
#include "tests/contract/HostFiles.h"

using namespace testing_support;

namespace {

const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(ScanDriver, ACompleteRunFillsTheBarAndCountsEveryItem) {
    ScanWorld w;
    w.Put(HKLM, kRun, "Gone", "C:\\Gone\\a.exe");
    w.Put(HKCR, ".used", "Content Type", "text/plain");
    for (int run = 0; run < 2; ++run) {
        // Loading the window prepares each scan afresh.
        w.app.Scan.ContinueScan = false;
        w.app.Scan.ScanCancelled = true;
        testing_support::RecordingProgress progress(w.app);
        ScopedBinding<ProgressView> shown(w.app.Scan.progress, progress);
        ProgressLoad(w.app, progress);
        EXPECT_EQ(progress.caption + "|" + progress.cancelCaption + "|" + progress.counter,
                  "Progress|Cancel|Counter:");
        EXPECT_FALSE(progress.problemsShown);
        EXPECT_TRUE(w.app.Scan.ContinueScan);
        EXPECT_FALSE(w.app.Scan.ScanCancelled);
        RunScanSequence(w.app);
        EXPECT_EQ(progress.barValue, progress.barMaximum);
        EXPECT_EQ(progress.barMaximum, 31);
        EXPECT_EQ(progress.closed, 1);
        EXPECT_FALSE(w.app.Scan.ContinueScan || w.app.Scan.ScanCancelled);
        EXPECT_EQ(progress.items.size(), 2u);
        EXPECT_EQ(w.app.Scan.ProgressCounter, 2);
        EXPECT_EQ(progress.counter, "Counter: 2");
        if (run == 0) {
            EXPECT_EQ(progress.problems, "Problems: 1");
        }
    }
}

// A registry that runs out of memory when asked for a value name.
class ExhaustedRegistry : public testing_support::RegistrySpy {
  public:
    using RegistrySpy::RegistrySpy;
    int32_t EnumValue(RegKey, uint32_t, uint32_t, uint32_t, std::string&, uint32_t&) override {
        throw std::bad_alloc();
    }
};

// Running out of memory is no failure of one item: the scan ends in the step where it
// happened (Run of HKLM, the first to list values), and the application log says so.
TEST(ScanDriver, RunningOutOfMemoryEndsTheScan) {
    ScanWorld w;
    w.Put(HKLM, kRun, "Gone", "C:\\Gone\\run.exe");
    ExhaustedRegistry registry(w.world.registry);
    Platform platform = testing_support::Using(w.platform, registry);
    App app(platform, w.folder.path());
    app.Scan.ContinueScan = true;
    RunScanSequence(app);
    Lines expected = {"frmProgress.T1"};
    for (int i = 0; i < 4; ++i)
        expected.insert(expected.end(), {"SFFBL", "SFFBL skipped, foldername empty"});
    expected.insert(expected.end(), {"SRFBL", "SRKVFBL"});
    EXPECT_EQ(w.Lines("app2.log"), expected);
    EXPECT_EQ(w.Lines("app.log"), Lines{"Out of memory: the scan ends"});
    EXPECT_FALSE(app.Scan.ContinueScan);
    EXPECT_EQ(w.world.registry.OpenHandleCount(), 0u);
}

// Cancel pressed, or the window closed, while the first uninstall entry is shown: that
// entry is still judged, nothing after it is; only Cancel counts as cancelling.
TEST(ScanDriver, CancelOrClosingDuringTheUninstallStepSkipsEveryLaterStep) {
    for (bool close : {false, true}) {
        SCOPED_TRACE(close ? "window closed" : "Cancel");
        ScanWorld w;
        w.Put(HKLM, kUninstall + "\\A", "UninstallString", "C:\\Gone\\a.exe");
        w.Put(HKLM, kUninstall + "\\B", "UninstallString", "C:\\Gone\\b.exe");
        w.Put(HKLM, kRun, "Gone", "C:\\Gone\\run.exe");
        ProgressLoad(w.app, w.progress);
        w.progress.cancelWhen = [&](const std::string& item) {
            if (close) return ProgressUnload(w.app), false;
            return item.ends_with("Uninstall\\A");
        };
        RunScanSequence(w.app);
        EXPECT_EQ(w.app.Scan.ScanCancelled, !close);
        EXPECT_FALSE(w.app.Scan.ContinueScan);
        EXPECT_EQ(w.ProblemNames(), Lines{"HKLM\\" + kUninstall + "\\A"});
        EXPECT_EQ(w.progress.items.size(), 1u);
        if (close) continue;
        EXPECT_EQ(w.progress.barValue, 8);  // the four shortcut folders, two steps each
        EXPECT_EQ(w.progress.closed, 1);
        Lines trace = w.Lines("app2.log");
        auto cancel = std::find(trace.begin(), trace.end(), "frmProgress.Cancel");
        EXPECT_EQ(Lines(cancel, trace.end()), (Lines{"frmProgress.Cancel", "addProblem"}));
    }
}

// Each scanner tests ContinueScan before every item: Cancel pressed while one item is
// shown lets that item be judged and no other, at no level of a recursion, and every
// key opened is closed.
TEST(ScanDriver, CancelStopsEachScannerBeforeItsNextItem) {
    using W = ScanWorld&;
    const std::string clsid = "CLSID\\{11111111-2222-3333-4444-00000000000";
    struct Case {
        const char* scanner;
        std::function<void(W)> plant, scan;
        std::string cancelAt;
        Lines problems;
    } cases[] = {
        {"ScanRegistryForBrokenLinks",
         [&](W w) {
             for (const char* entry : {"A", "A\\Deep", "B", "B\\Deep"})
                 w.Put(HKLM, kUninstall + "\\" + entry, "UninstallString", "C:\\Gone\\x.exe");
         },
         [&](W w) {
             ScanRegistryForBrokenLinks(w.app, HKLM, kUninstall, true, "UninstallString", 2, 4);
         },
         "A\\Deep",
         {"HKLM\\" + kUninstall + "\\A", "HKLM\\" + kUninstall + "\\B",
          "HKLM\\" + kUninstall + "\\A\\Deep"}},
        {"ScanHKCR_CLSID",
         [&](W w) {
             for (int i = 0; i < 5; ++i)
                 w.Put(HKCR, clsid + std::to_string(i) + "}\\LocalServer32", "", "C:\\Gone\\x.exe");
         },
         [](W w) { ScanHKCR_CLSID(w.app); },
         "0001}\\LocalServer32",
         {"HKCR\\" + clsid + "0}\\LocalServer32", "HKCR\\" + clsid + "1}\\LocalServer32"}},
        {"SR_FileExtsHKCR",
         [](W w) {
             for (const char* ext : {".aa1", ".aa2", ".aa3"}) w.world.registry.CreateKey(HKCR, ext);
         },
         [](W w) { SR_FileExtsHKCR(w.app); },
         ".aa2",
         {"HKCR\\.aa1", "HKCR\\.aa2"}},
        {"SFFBL",
         [](W w) {
             for (const char* name : {"a.lnk", "b.lnk", "c.lnk", "Sub\\d.lnk"})
                 w.CreateShortcut(std::string("C:\\D\\") + name, "C:\\Gone\\x.exe");
         },
         [](W w) { SFFBL(w.app, "C:\\D"); },
         "b.lnk",
         {"C:\\D\\a.lnk", "C:\\D\\b.lnk"}},
        {"ScanFolderForOldFiles",
         [](W w) {
             for (const char* name : {"a.tmp", "b.tmp", "sub\\c.tmp"}) {
                 w.CreateFile(std::string("C:\\T\\") + name);
                 contract::SetHostAccessTime(w.HostPath(std::string("C:\\T\\") + name),
                                             {2020, 1, 1});
             }
         },
         [](W w) { ScanFolderForOldFiles(w.app, "C:\\T"); },
         "a.tmp",
         {"C:\\T\\a.tmp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scanner);
        ScanWorld w;
        c.plant(w);
        w.progress.cancelWhen = [&](const std::string& item) { return item.ends_with(c.cancelAt); };
        c.scan(w);
        EXPECT_EQ(w.ProblemNames(), c.problems);
        EXPECT_FALSE(w.app.Scan.ContinueScan);
        EXPECT_EQ(w.world.registry.OpenHandleCount(), 0u);
    }
}

}  // namespace

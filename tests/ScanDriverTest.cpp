#include <gtest/gtest.h>

#include <new>

#include "scan/ComScanners.h"
#include "scan/ExtensionScanners.h"
#include "scan/OldFilesScanner.h"
#include "scan/ReferenceScanners.h"
#include "scan/ScanDriver.h"
#include "scan/ShortcutScanners.h"
#include "tests/RegistrySpy.h"
#include "tests/ScanSupport.h"
#include "tests/contract/HostFiles.h"

using testing_support::ScanWorld;
using Lines = std::vector<std::string>;

namespace {

const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

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
    EXPECT_EQ(w.Lines("app2.log"), Lines{"frmProgress.Load"});
}

// No shortcut folders, empty temporary folders and every key missing: the 27 steps in
// their order, each scanner leaving only its trace tag, and no problem label.
TEST(ScanDriver, OnAnEmptyMachineEachStepLeavesOnlyItsTag) {
    ScanWorld w;
    w.CreateFolder("C:\\Temp");
    w.app.TempFolder = w.app.CacheFolder = "C:\\Temp";
    ProgressLoad(w.app, w.progress);
    RunScanSequence(w.app);
    Lines expected = {"frmProgress.Load", "frmProgress.T1"};
    for (int i = 0; i < 4; ++i)
        expected.insert(expected.end(), {"SFFBL", "SFFBL skipped, foldername empty"});
    // clang-format off
    expected.insert(expected.end(), {
        "SRFBL", "SRKVFBL", "SRKVFBL", "SRKVFBL", "SRKVFBL", "SRKVFBL", "SRFBL", "SRFBH", "SRFBH",
        "SRMO", "SRMO", "SRMO", "ScanHKCR", "ScanHKCR_CLSID", "SR_InstallerFolders", "SR_FileExts",
        "SR_FileExtsHKCR", "SR_ActivexHKCR", "SCANREG_TypeLib", "SCANREG_TypeLib", "SCANREG_ARPCache",
        "SFFOF", "SFFOF"});
    // clang-format on
    EXPECT_EQ(w.Lines("app2.log"), expected);
    EXPECT_TRUE(w.progress.items.empty());
    EXPECT_FALSE(w.progress.problemsShown);
    EXPECT_EQ(w.progress.barValue, 31);
    EXPECT_TRUE(w.Lines("app.log").empty());
}

TEST(ScanDriver, ACompleteRunFillsTheBarAndCountsEveryItem) {
    ScanWorld w;
    w.Put(HKLM, kRun, "Gone", "C:\\Gone\\a.exe");
    w.Put(HKCR, ".used", "Content Type", "text/plain");
    ProgressLoad(w.app, w.progress);
    RunScanSequence(w.app);
    EXPECT_EQ(w.progress.barValue, 31);
    EXPECT_EQ(w.progress.closed, 1);
    EXPECT_FALSE(w.app.Scan.ContinueScan);
    EXPECT_FALSE(w.app.Scan.ScanCancelled);
    EXPECT_EQ(w.progress.items.size(), 2u);
    EXPECT_EQ(w.app.Scan.ProgressCounter, 2);
    EXPECT_EQ(w.progress.counter, "Counter: 2");
    EXPECT_EQ(w.app.Problems.Count(), 1);
    EXPECT_TRUE(w.progress.problemsShown);
    EXPECT_EQ(w.progress.problems, "Problems: 1");

    // A second scan starts from a fresh window and a counter of 0.
    testing_support::RecordingProgress second(w.app);
    ScopedBinding<ProgressView> shown(w.app.Scan.progress, second);
    ProgressLoad(w.app, second);
    RunScanSequence(w.app);
    EXPECT_EQ(w.app.Scan.ProgressCounter, 2);
    EXPECT_EQ(second.barValue, 31);
}

TEST(ScanDriver, CancelDuringTheUninstallStepSkipsEveryLaterStep) {
    ScanWorld w;
    w.Put(HKLM, kUninstall + "\\A", "UninstallString", "C:\\Gone\\a.exe");
    w.Put(HKLM, kUninstall + "\\B", "UninstallString", "C:\\Gone\\b.exe");
    w.Put(HKLM, kRun, "Gone", "C:\\Gone\\run.exe");
    ProgressLoad(w.app, w.progress);
    w.progress.cancelWhen = [](const std::string& item) { return item.ends_with("Uninstall\\A"); };
    RunScanSequence(w.app);
    EXPECT_TRUE(w.app.Scan.ScanCancelled);
    EXPECT_FALSE(w.app.Scan.ContinueScan);
    EXPECT_EQ(w.progress.barValue, 8);  // the four shortcut folders, two steps each
    EXPECT_EQ(w.progress.closed, 1);
    // The entry being shown when Cancel came is still judged; nothing after it is.
    EXPECT_EQ(w.ProblemNames(), Lines{"HKLM\\" + kUninstall + "\\A"});
    EXPECT_EQ(w.progress.items.size(), 1u);
    Lines trace = w.Lines("app2.log");
    auto cancel = std::find(trace.begin(), trace.end(), "frmProgress.Cancel");
    EXPECT_EQ(Lines(cancel, trace.end()), (Lines{"frmProgress.Cancel", "addProblem"}));
}

TEST(ScanDriver, ClosingTheWindowStopsTheScanWithoutCancelling) {
    ScanWorld w;
    w.Put(HKLM, kUninstall + "\\A", "UninstallString", "C:\\Gone\\a.exe");
    w.Put(HKLM, kUninstall + "\\B", "UninstallString", "C:\\Gone\\b.exe");
    ProgressLoad(w.app, w.progress);
    w.progress.cancelWhen = [&](const std::string&) {
        ProgressUnload(w.app);
        return false;
    };
    RunScanSequence(w.app);
    EXPECT_FALSE(w.app.Scan.ScanCancelled);
    EXPECT_EQ(w.app.Problems.Count(), 1);
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

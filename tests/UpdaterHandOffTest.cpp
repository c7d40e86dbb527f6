// The hand-off to the updater: the RunOnce entries of the first start and the first
// scan, and "Update now" with its updatesetup.ini; and the "Save results..." button.
#include <gtest/gtest.h>

#include <functional>

#include "core/Options.h"
#include "core/Startup.h"
#include "core/Updater.h"
#include "platform/portable/ScriptedShell.h"
#include "problems/clsItem.h"
#include "scan/RegistryRead.h"
#include "tests/TestSupport.h"
#include "ui/MainCommands.h"
#include "ui/MainForm.h"
#include "ui/SaveResults.h"

using testing_support::Exists;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

namespace {

constexpr char kRunOnce[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

struct HandOff : testing_support::TestApp {
    HandOff() {
        app.BrandAppName = "Brivolex";
        world.registry.CreateKey(HKLM, kRunOnce);
        form.Load();
    }
    // A scan in a progress window that finds `found` problems, cancelled or not.
    void Scan(int found, bool cancelled) {
        struct Host : MainWindowHost {
            Host(HandOff& h, int found, bool cancelled)
                : h(h), found(found), cancelled(cancelled) {}
            void ShowProgressWindow() override {
                for (int i = 0; i < found; ++i) {
                    auto item = std::make_shared<clsItem>();
                    item->pType(kTypeShortcut);
                    item->pName("C:\\" + std::to_string(i) + ".lnk");
                    h.app.Problems.Add(item);
                }
                h.app.Scan.ScanCancelled = cancelled;
            }
            void ShowOptionsDialog() override {}
            void ShowNow() override {}
            HandOff& h;
            int found;
            bool cancelled;
        } host(*this, found, cancelled);
        ScanCommand(app, form, host);
    }
    std::string RunOnce(const std::string& name) {
        return GetRegistryValue(app, HKLM, kRunOnce, name);
    }
    std::string Updater(const std::string& argument) {
        return "\"" + app.AppFile("DUzovoz.exe") + "\" " + argument;
    }

    MainFormModel model;
    MainForm form{app, model, ScreenMetrics{}};
    ScriptedShell shell;
};

TEST(UpdaterHandOff, FirstStartFirstScanAndUpdateNow) {
    const std::string absent = "absent";
    struct Case {
        const char* what;
        std::string setup;        // setup.ini before, "" for none
        std::string updateSetup;  // updatesetup.ini before, "absent" for none
        std::function<void(HandOff&)> act;
        std::string firstRun, firstErrors;  // the RunOnce data, "" for none (the folder is "F")
        std::string wasFirstRun, firstErrorsOption;
        std::string updateSetupAfter;  // "absent" for none
        bool started;
        std::string lastLog;  // app.log's last line, "" for none
    } cases[] = {
        {"a first start", "", absent, [](HandOff& h) { Main(h.app); }, "F /FIRSTRUN", "", "1",
         absent, absent, false, "Program started 1/1/2026 with params: "},
        {"a second start", "[Main]\r\nwasfirstrun=1\r\n", absent, [](HandOff& h) { Main(h.app); },
         "", "", "1", absent, absent, false, "Program started 1/1/2026 with params: "},
        {"a first start without RunOnce", "", absent,
         [](HandOff& h) {
             h.world.registry.DeleteTree(HKLM, kRunOnce);
             Main(h.app);
         },
         "", "", "1", absent, absent, false, "Program started 1/1/2026 with params: "},
        {"the first scan finds 12, the next 3", "[Main]\r\nwasfirstrun=1\r\n", absent,
         [](HandOff& h) {
             h.Scan(12, false);
             h.Scan(3, false);
         },
         "", "F /FIRSTERRORS_12", "1", "12", absent, false, "Scan finished, problems found 3"},
        {"the first scan is cancelled after 3", "", absent, [](HandOff& h) { h.Scan(3, true); }, "",
         "F /FIRSTERRORS_C", "1", "3", absent, false, "Scan finished, problems found 3"},
        {"a first scan that finds nothing", "[Main]\r\nfirsterrors=-1\r\n", absent,
         [](HandOff& h) { h.Scan(0, false); }, "", "F /FIRSTERRORS_0", "1", "0", absent, false,
         "Scan finished, problems found 0"},
        {"update now: the version line in any case goes, others stay", "",
         "Last_Version=1.0.0.1\r\nupdate_source=\\\\server\\share\r\n  last_version=2\r\n",
         [](HandOff& h) { EXPECT_TRUE(UpdateNow(h.app, h.shell)); }, "", "", absent, absent,
         "update_source=\\\\server\\share\r\n  last_version=2\r\n", true, ""},
        {"update now: CR and LF line ends", "", "a\rLAST_VERSION=3\rb\nc",
         [](HandOff& h) { EXPECT_TRUE(UpdateNow(h.app, h.shell)); }, "", "", absent, absent,
         "a\r\nb\nc\r\n", true, ""},
        {"update now: an empty file", "", "",
         [](HandOff& h) { EXPECT_TRUE(UpdateNow(h.app, h.shell)); }, "", "", absent, absent, "",
         true, ""},
        {"update now: no updatesetup.ini", "", absent,
         [](HandOff& h) { EXPECT_FALSE(UpdateNow(h.app, h.shell)); }, "", "", absent, absent,
         absent, false, "Error in frmOptions.btnUpdate.Click, error 53, File not found"},
        {"update now: the updater does not start", "", "last_version=1\r\n",
         [](HandOff& h) {
             h.shell.startSucceeds = false;
             EXPECT_FALSE(UpdateNow(h.app, h.shell));
         },
         "", "", absent, absent, "", true,
         "Error in frmOptions.btnUpdate.Click, error 53, File not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HandOff h;
        h.world.clock.Fix({2026, 1, 1, 9, 0, 0});
        if (!c.setup.empty()) WriteBytes(h.folder.HostFile("setup.ini"), c.setup);
        if (c.updateSetup != absent)
            WriteBytes(h.folder.HostFile("updatesetup.ini"), c.updateSetup);
        c.act(h);
        auto withFolder = [&](const std::string& data) {
            return data.empty() ? data : h.Updater(data.substr(2));
        };
        EXPECT_EQ(h.RunOnce("update_lustrant2"), withFolder(c.firstRun));
        EXPECT_EQ(h.RunOnce("update_lustrant3"), withFolder(c.firstErrors));
        EXPECT_EQ(GetOptionS(h.app, "wasfirstrun", absent), c.wasFirstRun);
        EXPECT_EQ(GetOptionS(h.app, "firsterrors", absent), c.firstErrorsOption);
        bool exists = Exists(h.folder.HostFile("updatesetup.ini"));
        EXPECT_EQ(exists ? ReadBytes(h.folder.HostFile("updatesetup.ini")) : absent,
                  c.updateSetupAfter);
        // No quotes, minimized with the focus.
        EXPECT_EQ(h.shell.started, c.started
                                       ? std::vector<std::string>{h.app.AppFile("DUzovoz.exe")}
                                       : std::vector<std::string>{});
        EXPECT_EQ(h.shell.startShowCommands,
                  c.started ? std::vector<int>{kSwShowMinimized} : std::vector<int>{});
        std::vector<std::string> log = h.Lines("app.log");
        EXPECT_EQ(log.empty() ? "" : log.back(), c.lastLog);
    }
}

TEST(SaveResultsButton, CancelWritesNothingAndASavedReportIsOpened) {
    for (bool cancel : {true, false}) {
        HandOff h;
        auto item = std::make_shared<clsItem>();
        item->pType(kTypeShortcut);
        item->pName("C:\\a<b&c.lnk");
        h.app.Problems.Add(item);
        std::string file = h.folder.File("report.htm");
        if (!cancel) h.shell.saveAnswers = {file};
        SaveResultsCommand(h.app, h.shell);
        ASSERT_EQ(h.shell.saveRequests.size(), 1u);
        const SaveFileRequest& asked = h.shell.saveRequests[0];
        EXPECT_EQ(asked.filterName + "|" + asked.filterPattern + "|" + asked.defaultExtension,
                  "HTML files (*.htm)|*.htm|htm");
        EXPECT_EQ(asked.initialFolder, h.app.AppFolder);
        EXPECT_EQ(asked.flags, 2050u);
        EXPECT_EQ(Exists(h.folder.HostFile("report.htm")), !cancel);
        EXPECT_EQ(h.shell.opened,
                  cancel ? std::vector<std::string>{} : std::vector<std::string>{file});
        std::vector<std::string> trace = h.Lines("app2.log");
        EXPECT_EQ(trace.back(), cancel ? "Form1.btnSaveResults_Click" : "Results saved to " + file);
        if (!cancel) {
            EXPECT_EQ(h.Lines("report.htm"), ReportLines(h.app));
        }
    }
}

}  // namespace

// The main window's logic, the scan command, the start-up timer and the Options
// dialog, over the plain models the Win32 views copy into their controls.
#include <gtest/gtest.h>

#include "core/Options.h"
#include "problems/Admission.h"
#include "problems/clsItem.h"
#include "tests/TestSupport.h"
#include "platform/RecycleBin.h"
#include "platform/portable/PortableRegExport.h"
#include "repair/RepairRun.h"
#include "repair/RepairUi.h"
#include "ui/MainCommands.h"
#include "ui/RepairOptionsForm.h"
#include "ui/MainForm.h"
#include "ui/OptionsForm.h"

using testing_support::TestApp;

namespace {

struct Window : TestApp {
    explicit Window(ScreenMetrics s = {}) : screen(s) { app.BrandAppName = "Brivolex"; }
    std::string Option(const std::string& key) { return GetOptionS(app, key, "absent"); }
    void AddProblem(const std::string& name, int32_t type) {
        auto item = std::make_shared<clsItem>();
        item->pType(type);
        item->pName(name);
        app.Problems.Add(item);
    }
    ScreenMetrics screen;
    MainFormModel model;
    MainForm form{app, model, screen};
};

// The list, its buttons and the statistics panel follow the window's size; a normal
// window smaller than 780 by 550 pixels is snapped back first.
TEST(MainWindow, LayoutFollowsTheWindow) {
    struct Case {
        WindowState state;
        Box window;
        int dpiTwips;
        Box list, snapped;
        int buttonsTop, saveLeft;
    } cases[] = {
        {WindowState::Normal, {10, 20, 1000, 700}, 15, {245, 150, 737, 448}, {10, 20, 1000, 700}, 604, 665},
        // At 144 dots per inch the arrangement grows by half.
        {WindowState::Normal, {0, 0, 1500, 1050}, 10, {367, 225, 1106, 694}, {0, 0, 1500, 1050}, 928, 997},
        {WindowState::Normal, {0, 0, 700, 500}, 15, {}, {0, 0, 780, 550}, 0, 0},
        {WindowState::Normal, {0, 0, 1000, 700}, 10, {}, {0, 0, 1170, 825}, 0, 0},
        {WindowState::Maximized, {0, 0, 800, 600}, 15, {245, 150, 769, 491}, {0, 0, 800, 600}, 647, 665},
        {WindowState::Minimized, {0, 0, 800, 600}, 15, {}, {0, 0, 800, 600}, 0, 0},
    };
    for (const Case& c : cases) {
        Window w({c.dpiTwips, 1024, 768, 25, 17});
        w.form.Load();
        w.AddProblem("C:\\a.lnk", kTypeShortcut);
        w.form.RefreshList();
        w.model.state = c.state;
        w.model.window = c.window;
        w.form.Resize();
        EXPECT_EQ(w.model.window, c.snapped);
        if (c.list.width == 0) continue;
        EXPECT_EQ(w.model.lstMain.box, c.list);
        EXPECT_EQ(w.model.btnSaveResults.box.top, c.buttonsTop);
        EXPECT_EQ(w.model.btnSaveResults.box.left, c.saveLeft);
    }
}

TEST(MainWindow, PlaceAndColumnsSurviveARestartAndMaximisedKeepsTheNormalPlace) {
    Window w({10, 1024, 768, 25, 17});  // 144 dots per inch
    w.model.window = {0, 0, 900, 600};
    w.form.Load();
    w.model.window = {30, 40, 800, 560};
    w.model.columnTwips = {1000, 2000, 3000, 4000};
    w.form.SavePosition();
    w.model.state = WindowState::Maximized;
    w.form.Unload();
    EXPECT_EQ(w.Option("frmmain_window_state"), "2");
    EXPECT_EQ(w.Option("frmmain_window_left") + " " + w.Option("frmmain_window_width"), "300 8000");
    EXPECT_EQ(w.Option("frmmain_lstmain_columns_4"), "4000");

    MainFormModel reopened;
    MainForm again(w.app, reopened, w.screen);
    again.Load();
    EXPECT_EQ(reopened.state, WindowState::Maximized);
    EXPECT_EQ(reopened.window, (Box{30, 40, 800, 560}));
    EXPECT_EQ(reopened.columnTwips[2], 3000);
    SaveOptionL(w.app, "frmmain_window_state", 7);  // refused: the state stays
    reopened.state = WindowState::Normal;
    again.Load();
    EXPECT_EQ(reopened.state, WindowState::Normal);
}

TEST(MainWindow, StatisticsShowTheHealthOfTheLastScan) {
    struct Case {
        std::string date;
        int registry;
        std::string level;
        uint32_t colour;
    } cases[] = {
        {"", 0, "stat_0", Rgb(0, 0, 0)},          {"1/2/2026, 3:04:05 PM", 10, "stat_1", Rgb(0, 128, 0)},
        {"d", 11, "stat_2", Rgb(128, 128, 0)},    {"d", 50, "stat_2", Rgb(128, 128, 0)},
        {"d", 51, "stat_3", Rgb(255, 0, 0)},
    };
    for (const Case& c : cases) {
        Window w;
        SaveOptionS(w.app, "last_scan_date", c.date);
        SaveOptionL(w.app, "last_scan_errors_overal", 70);
        SaveOptionL(w.app, "last_scan_errors_registry", c.registry);
        w.form.Load();
        EXPECT_EQ(w.model.healthPicture, w.app.AppFile(c.level + ".gif")) << c.registry;
        EXPECT_EQ(w.model.overallColour, c.colour) << c.registry;
        // Texts without an English default are empty without a language file.
        EXPECT_EQ(w.model.lblBigStatRegistry.text,
                  c.date.empty() ? "Unknown" : std::to_string(c.registry) + " ");
        EXPECT_EQ(w.model.lblStatDate.text, c.date.empty() ? "" : " " + c.date);
        // The statistics face: the list is empty.
        EXPECT_TRUE(w.model.picBighealth.visible);
        EXPECT_FALSE(w.model.btnSaveResults.enabled || w.model.picWarning.visible);
    }
}

TEST(MainWindow, ListRowsKeepTheirCollectionPositionsAndTheCurrentRow) {
    Window w;
    w.form.Load();
    w.AddProblem("C:\\a.lnk", kTypeShortcut);
    w.AddProblem("C:\\a.lnk", kTypeShortcut);  // the same UID: no row of its own
    w.AddProblem("C:\\old.tmp", kTypeFile);
    w.AddProblem("C:\\b.lnk", kTypeShortcut);
    w.form.RefreshList();
    ASSERT_EQ(w.model.rows.size(), 3u);
    EXPECT_EQ(w.model.rows[1].tag + w.model.rows[2].tag, "34");
    EXPECT_EQ(w.model.rows[1].icon, 3);
    EXPECT_EQ(w.model.rows[1].texts[2], "C:\\old.tmp");
    EXPECT_EQ(w.model.lblInfo.text, "Problems: 4");
    EXPECT_EQ(w.Lines("app.log"),
              std::vector<std::string>{"Error in RefreshList, key most propably not unique, "
                                       "error 35602, uid: shortcut__C:\\a.lnk"});
    EXPECT_FALSE(w.model.picBighealth.visible);
    EXPECT_EQ(w.model.lstMain.box.left, 245);

    w.model.rows[0].selected = w.model.rows[2].selected = true;
    w.form.listSelection(3);
    EXPECT_EQ(w.model.rows[0].selected + 2 * w.model.rows[1].selected + 4 * w.model.rows[2].selected, 2);

    w.model.currentRow = 2;  // C:\b.lnk
    w.app.Problems.Remove(3);
    w.form.RefreshList();
    EXPECT_EQ(w.model.currentRow, 1);
    EXPECT_TRUE(w.model.showCurrentRow);
}

// A progress window that finds the problems it is given.
// A progress window that finds the problems it is given; repair options answered as
// scripted, and a repair run that deletes every selected registry problem.
struct FakeHost : MainWindowHost, RepairHost, RepairUi {
    FakeHost(Window& w, int found) : w(w), found(found) {}
    void ShowProgressWindow() override {
        for (int i = 0; i < found; ++i) w.AddProblem("C:\\" + std::to_string(i) + ".lnk", kTypeShortcut);
        ++scans;
    }
    void ShowOptionsDialog() override {}
    void ShowNow() override {}
    void ShowRepairOptions() override {
        RepairOptionsModel m;
        RepairOptionsLoad(w.app, m);
        m.conservative = false;
        m.backup = backup;
        if (confirm) RepairOptionsOK(w.app, m);
    }
    void ShowRepairProgress() override {
        std::vector<RepairRow> rows;
        for (const ListRow& row : w.model.rows) rows.push_back({row.selected, row.tag});
        RepairContext c{w.app, bin, *this};
        bool running = true;
        RunRepair(c, rows, running);
        ++repairs;
    }
    Processes& processes() override { return exporter; }
    bool ShowDeleteError(const std::string&, const std::string&) override { return false; }
    std::string SelectPath(const std::string&, const std::vector<std::string>&) override { return ""; }
    void ShowRepairItem(const std::string&) override {}
    void ShowRepairStatus(const std::string&) override {}
    void AdvanceBar(int) override {}

    Window& w;
    int found, scans = 0, repairs = 0;
    bool confirm = true, backup = false;
    PortableRegExport exporter{w.world.registry, w.world.files};
    struct : RecycleBin {
        bool Recycle(const std::string&) override { return false; }  // only registry problems here
    } bin;
};

TEST(MainWindow, ScanCommandListsAndSelectsWhatItFoundAndKeepsTheFirstCount) {
    Window w;
    w.form.Load();
    w.AddProblem("C:\\stale.lnk", kTypeShortcut);
    FakeHost host(w, 2);
    ScanCommand(w.app, w.form, host);
    ASSERT_EQ(w.model.rows.size(), 2u);
    EXPECT_TRUE(w.model.rows[0].selected && w.model.rows[1].selected);
    EXPECT_EQ(w.Option("firsterrors"), "2");
    EXPECT_EQ(w.Option("last_scan_errors_overal"), "2");
    EXPECT_EQ(w.Lines("app.log").back(), "Scan finished, problems found 2");
    EXPECT_TRUE(w.world.scriptedPrompts.shown.empty());

    FakeHost none(w, 0);
    ScanCommand(w.app, w.form, none);
    EXPECT_EQ(w.Lines("app2.log").back(), "Shown congratulation for no problems");
    EXPECT_EQ(w.Option("firsterrors"), "2");  // only the first scan counts
    ASSERT_EQ(w.world.scriptedPrompts.shown.size(), 1u);
    EXPECT_EQ(w.world.scriptedPrompts.shown[0].title, "Brivolex");
    EXPECT_TRUE(w.model.picBighealth.visible);
}

// The repair command: nothing without problems or without OK; nothing at all when the
// backup cannot be saved; otherwise the selected problems repaired and counted.
TEST(MainWindow, RepairCommandRepairsOnlyWhenConfirmedAndBackedUp) {
    struct Case {
        int problems;
        bool confirm, backup, backupFolder;
        size_t prompts;
        int repairs, left;
    } cases[] = {
        {0, true, false, false, 1, 0, 0},  // "No problems to repair"
        {2, false, false, false, 0, 0, 2},
        {2, true, true, false, 1, 0, 2},   // the backup folder is missing
        {2, true, true, true, 1, 1, 0},
        {2, true, false, false, 1, 1, 0},
    };
    for (const Case& c : cases) {
        Window w;
        w.form.Load();
        for (int i = 0; i < c.problems; ++i) {
            std::string key = ".ext" + std::to_string(i);
            w.world.registry.CreateKey(HKCR, key);
            auto item = std::make_shared<clsItem>();
            item->pInternalType = kCheckFileExtension;
            item->pCureKeyRoot = static_cast<int32_t>(HKCR);
            item->pCureKeyName = key;
            item->pName("HKCR\\" + key);
            w.app.Problems.Add(item);
        }
        if (c.backupFolder) std::filesystem::create_directory(w.folder.HostFile("backup"));
        w.form.RefreshList();
        w.form.listSelection(1);
        FakeHost host(w, 0);
        host.confirm = c.confirm;
        host.backup = c.backup;
        RepairCommand(w.app, w.form, host, host);
        EXPECT_EQ(w.world.scriptedPrompts.shown.size(), c.prompts) << c.problems << c.confirm << c.backup;
        EXPECT_EQ(host.repairs, c.repairs);
        EXPECT_EQ(w.app.Problems.Count(), c.left);
        if (c.repairs) {
            EXPECT_EQ(w.world.scriptedPrompts.shown.back().text, " 2");
            EXPECT_EQ(w.Option("last_scan_errors_overal"), "0");
        }
    }
}

TEST(MainWindow, StartupTimerWelcomesOnceAndScansWhenAsked) {
    struct Case {
        bool scheduled, welcomed;
        int answer, prompts, scans;
    } cases[] = {
        {true, false, kIdOk, 0, 1}, {false, false, kIdOk, 1, 1},
        {false, false, kIdCancel, 1, 0}, {false, true, kIdOk, 0, 0},
    };
    for (const Case& c : cases) {
        Window w;
        w.form.Load();
        w.app.ScheduledRun = c.scheduled;
        if (c.welcomed) SaveOptionB(w.app, "userwelcomed", true);
        w.world.scriptedPrompts.answers = {c.answer};
        FakeHost host(w, 1);
        StartupTimerTick(w.app, w.form, host);
        EXPECT_EQ(w.world.scriptedPrompts.shown.size(), static_cast<size_t>(c.prompts));
        EXPECT_EQ(host.scans, c.scans);
        EXPECT_EQ(GetOptionB(w.app, "userwelcomed", false), !c.scheduled);
    }
}

TEST(OptionsDialog, OutOfRangeChoicesReadAsWeeklyAndMondayAndOkKeepsTheRunEntryInStep) {
    Window w;
    SaveOptionL(w.app, "runautomatically_when", 7);
    SaveOptionL(w.app, "runautomatically_day", 9);
    OptionsFormModel m;
    OptionsLoad(w.app, m);
    EXPECT_EQ(m.when * 10 + m.day, 10);
    EXPECT_TRUE(m.lstDays.enabled);
    EXPECT_EQ(m.days[6], "Sunday");
    m.when = 2;
    UpdateScheduleControls(m);
    EXPECT_FALSE(m.lstDays.enabled);
    const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    w.world.registry.CreateKey(HKLM, run);
    OptionsOK(w.app, m);
    EXPECT_EQ(w.Option("runautomatically_when") + w.Option("runautomatically_day"), "20");
    RegValue value;
    ScopedRegKey key(w.world.registry);
    ASSERT_EQ(key.Open(HKLM, run, KEY_QUERY_VALUE_), 0);
    ASSERT_EQ(w.world.registry.QueryValue(key.Get(), "Brivolex", 1024, value), 0);
    EXPECT_EQ(value.data, w.app.AppFile("Brivolex.exe /SCHEDULED") + std::string(1, '\0'));

    m.runAutomatically = false;
    UpdateScheduleControls(m);
    EXPECT_FALSE(m.optWhen[0].enabled || m.lstDays.enabled);
    OptionsOK(w.app, m);
    EXPECT_NE(w.world.registry.QueryValue(key.Get(), "Brivolex", 1024, value), 0);
}

}  // namespace

#include <gtest/gtest.h>

#include "core/Options.h"
#include "core/Startup.h"
#include "tests/TestSupport.h"

using testing_support::ReadBytes;
using testing_support::TestApp;
using testing_support::WriteBytes;

namespace {

// 2026-12-07 is a Monday.
constexpr DateTime kMonday{2026, 12, 7, 9, 0, 0};

TEST(Startup, InteractiveStartTracesMainAndLogsTheStart) {
    TestApp t;
    WriteBytes(t.folder.HostFile("app2.log"), "previous run\r\n");
    WriteBytes(t.folder.HostFile("app.log"), "earlier\r\n");
    t.world.clock.Fix(kMonday);
    t.app.CommandLine = "-foo bar";
    EXPECT_EQ(Main(t.app), StartupResult::ShowMainWindow);
    EXPECT_EQ(t.Lines("app2.log").front(), "Main");
    EXPECT_EQ(t.Lines("app.log"),
              (std::vector<std::string>{"earlier", "Program started 12/7/2026 with params: -FOO BAR"}));
    EXPECT_EQ(t.app.BrandTitle, "Brivotex");
    EXPECT_EQ(t.app.BrandAppName, "Brivolex");
    EXPECT_FALSE(t.app.ScheduledRun);
}

TEST(Startup, OptionsAreReadIntoTheApplicationState) {
    TestApp t;
    WriteBytes(t.folder.HostFile("setup.ini"),
               "[Main]\r\nlanguage=deu\r\nwasfirstrun=1\r\nfirsterrors=12\r\ndeletereadonly=True\r\n");
    Main(t.app);
    EXPECT_EQ(t.app.LanguageCode, "deu");
    EXPECT_TRUE(t.app.WasFirstRun);
    EXPECT_EQ(t.app.FirstErrors, 12);
    EXPECT_TRUE(t.app.DeleteReadOnly);
}

TEST(Startup, FirstStartKeepsTheDefaults) {
    TestApp t;
    Main(t.app);
    EXPECT_EQ(t.app.LanguageCode, "eng");
    EXPECT_FALSE(t.app.WasFirstRun);
    EXPECT_EQ(t.app.FirstErrors, -1);
    EXPECT_FALSE(t.app.DeleteReadOnly);
}

TEST(Startup, ANonBooleanOptionEndsStartUpWithTheCriticalError) {
    TestApp t;
    WriteBytes(t.folder.HostFile("setup.ini"), "[Main]\r\nwasfirstrun=yes\r\n");
    EXPECT_EQ(Main(t.app), StartupResult::Ended);
    std::vector<std::string> trace = t.Lines("app2.log");
    EXPECT_EQ(trace.front(), "Main");
    EXPECT_EQ(trace.back(), "Critical error (main): 13, Type mismatch");
    ASSERT_EQ(t.world.scriptedPrompts.shown.size(), 1u);
    EXPECT_EQ(t.world.scriptedPrompts.shown[0].text, "Critical error (main): 13, Type mismatch");
    EXPECT_EQ(t.world.scriptedPrompts.shown[0].title, "Brivolex");
    EXPECT_EQ(t.world.scriptedPrompts.shown[0].style, kMbOk);
    // What was written before stays; nothing after the failing read happened.
    EXPECT_EQ(ReadBytes(t.folder.HostFile("setup.ini")), "[Main]\r\nwasfirstrun=yes\r\n");
    EXPECT_FALSE(testing_support::Exists(t.folder.HostFile("app.log")));
}

TEST(Startup, TheScheduledSwitchIsFoundAnywhereInAnyCase) {
    for (const char* args : {"/SCHEDULED", "/scheduled", "x/ScHeDuLeDy", "a /scheduled b"}) {
        TestApp t;
        t.world.clock.Fix(kMonday);
        WriteBytes(t.folder.HostFile("setup.ini"), "[Main]\r\nlast_scheduled_run=07122026\r\n");
        t.app.CommandLine = args;
        EXPECT_EQ(Main(t.app), StartupResult::Ended) << args;
        EXPECT_EQ(t.Lines("app.log").back(), ".. scheduled run, skipped, ending") << args;
    }
}

TEST(Startup, ScheduleDecision) {
    struct Case {
        const char* name;
        DateTime today;
        std::string setup;  // lines of section Main
        bool due;
    } cases[] = {
        {"weekly default on Monday", kMonday, "", true},
        {"weekly default on Tuesday", {2026, 12, 8}, "", false},
        {"weekly Sunday is 6", {2026, 12, 13}, "runautomatically_day=6\r\n", true},
        {"weekly Saturday is 5", {2026, 12, 12}, "runautomatically_day=5\r\n", true},
        {"weekly day 7 never matches", {2026, 12, 13}, "runautomatically_day=7\r\n", false},
        {"weekly day -1 never matches", {2026, 12, 13}, "runautomatically_day=-1\r\n", false},
        {"weekly missed day is not caught up", {2026, 12, 8},
         "last_scheduled_run=30112026\r\n", false},
        {"daily", {2026, 12, 8}, "runautomatically_when=0\r\n", true},
        {"daily, already ran today", {2026, 12, 8},
         "runautomatically_when=0\r\nlast_scheduled_run= 08122026 \r\n", false},
        {"daily, ran yesterday", {2026, 12, 8},
         "runautomatically_when=0\r\nlast_scheduled_run=07122026\r\n", true},
        {"monthly on the first", {2027, 1, 1}, "runautomatically_when=2\r\n", true},
        {"monthly on the second", {2027, 1, 2}, "runautomatically_when=2\r\n", false},
        {"unknown rhythm", kMonday, "runautomatically_when=3\r\n", false},
        {"switched off", kMonday, "runautomatically=0\r\n", false},
        {"switched off daily", kMonday, "runautomatically=0\r\nrunautomatically_when=0\r\n", false},
        {"a word for the rhythm is weekly", kMonday, "runautomatically_when=often\r\n", true},
    };
    for (const Case& c : cases) {
        TestApp t;
        t.world.clock.Fix(c.today);
        WriteBytes(t.folder.HostFile("setup.ini"), "[Main]\r\n" + c.setup);
        t.app.CommandLine = "/SCHEDULED";
        StartupResult result = Main(t.app);
        std::string today = DateAsDdMmYyyy(c.today.year, c.today.month, c.today.day);
        if (c.due) {
            EXPECT_EQ(result, StartupResult::ShowMainWindow) << c.name;
            EXPECT_TRUE(t.app.ScheduledRun) << c.name;
            EXPECT_EQ(t.Lines("app.log").back(), ".. performing scheduled run") << c.name;
            EXPECT_EQ(GetOptionS(t.app, "last_scheduled_run", ""), today) << c.name;
        } else {
            EXPECT_EQ(result, StartupResult::Ended) << c.name;
            EXPECT_FALSE(t.app.ScheduledRun) << c.name;
            EXPECT_EQ(t.Lines("app.log").back(), ".. scheduled run, skipped, ending") << c.name;
            EXPECT_EQ(ReadBytes(t.folder.HostFile("setup.ini")), "[Main]\r\n" + c.setup) << c.name;
        }
    }
}

TEST(Startup, DatesAreWrittenDayMonthYear) {
    EXPECT_EQ(DateAsDdMmYyyy(2026, 12, 4), "04122026");
    EXPECT_EQ(DateAsDdMmYyyy(2027, 1, 31), "31012027");
}

TEST(Startup, WeekdaysCountFromMonday) {
    EXPECT_EQ(DateTime(kMonday).Weekday(), 0);
    EXPECT_EQ((DateTime{2026, 12, 13}).Weekday(), 6);
    EXPECT_EQ((DateTime{2000, 2, 29}).Weekday(), 1);
    EXPECT_EQ(DateTime::Zero().Weekday(), 5);
    EXPECT_EQ(DateTime::FromDaySerial((DateTime{2024, 2, 29}).DaySerial()), (DateTime{2024, 2, 29}));
}

}  // namespace

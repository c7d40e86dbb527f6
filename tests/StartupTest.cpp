#include <gtest/gtest.h>

#include "core/Options.h"
#include "core/Startup.h"
#include "tests/ScriptedSystemInfo.h"
#include "tests/TestSupport.h"

using testing_support::ReadBytes;
using testing_support::TestApp;
using testing_support::WriteBytes;

namespace {

// 2026-12-07 is a Monday.
constexpr DateTime kMonday{2026, 12, 7, 9, 0, 0};

TEST(Startup, InteractiveStartTracesMainAndLogsTheStart) {
    TestApp t;
    testing_support::PutWindowsVersion(t.world.registry, "5.1");
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
    testing_support::PutWindowsVersion(t.world.registry, "5.1");
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

namespace {

using testing_support::ScriptedApp;

// A whole start-up of an XP image: the trace, line by line.
TEST(Startup, TraceOfAWholeStartUp) {
    ScriptedApp s;
    InMemoryRegistry& r = s.world.registry;
    testing_support::PutWindowsVersion(r, "5.1");
    const std::string shellFolders =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    r.PutValue(HKCU, shellFolders, "Desktop", RegString("C:\\Documents and Settings\\Anna\\Desktop"));
    r.PutValue(HKCU, shellFolders, "Programs", RegString("C:\\Documents and Settings\\Anna\\Programs"));
    r.PutValue(HKLM, shellFolders, "Common Desktop", RegString("C:\\Documents and Settings\\All Users\\Desktop"));
    r.PutValue(HKLM, shellFolders, "Common Programs", RegString("C:\\Documents and Settings\\All Users\\Programs"));
    r.PutValue(HKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", RegString("C:\\WINDOWS"));
    r.PutValue(HKCU, "Environment", "TEMP", RegString("%USERPROFILE%\\Local Settings\\Temp", REG_EXPAND_SZ_));
    r.PutValue(HKCU, "Volatile Environment", "USERPROFILE", RegString("C:\\Documents and Settings\\Anna"));
    s.system.fileVersion = [](const std::string& path, uint32_t& size, FileVersionParts& v) {
        size = path == "C:\\WINDOWS\\system32\\OLEAUT32.DLL" ? 1772 : 0;
        v = {2, 40, 4522, 0};
        return size != 0;
    };
    s.system.programVersion = [] { return FileVersionParts{1, 2, 0, 83}; };
    WriteBytes(s.folder.HostFile("setup.ini"), "[Main]\r\nwasfirstrun=1\r\n");

    EXPECT_EQ(Main(s.app), StartupResult::ShowMainWindow);
    EXPECT_EQ(s.Lines("app2.log"),
              (std::vector<std::string>{
                  "Main",
                  "Operating system version: Windows XP",
                  "GetOptionS", "GetOptionS", "GetOptionS", "GetOptionS",
                  "GetSpecialFolder",
                  "GetSpecialFolderreturn: C:\\Documents and Settings\\Anna\\Desktop",
                  "GetSpecialFolder",
                  "GetSpecialFolderreturn: C:\\Documents and Settings\\Anna\\Programs",
                  "GetSpecialFolderAllusers",
                  "GetSpecialFolderAllusers return: C:\\Documents and Settings\\All Users\\Desktop",
                  "GetSpecialFolderAllusers",
                  "GetSpecialFolderAllusers return: C:\\Documents and Settings\\All Users\\Programs",
                  "GetSpecialFolder",
                  "GetSpecialFolderreturn: ",
                  "GWSF",
                  "GWSF return: C:\\WINDOWS\\system32",
                  "GWF",
                  "LongPathName",
                  "GWF return 1: C:\\Documents and Settings\\Anna\\Local Settings\\Temp\\",
                  "GWF return 2: C:\\WINDOWS",
                  "GetProgramFilesFolder",
                  "mscomctl.ocx: ",
                  "comctl32.ocx: ",
                  "msvbvm60.DLL: ",
                  "OLEAUT32.DLL: 2.40.4522.00",
                  "OLEPRO32.DLL: ",
                  "ASYCFILT.DLL: ",
                  "STDOLE2.TLB: ",
                  "COMCAT.DLL: ",
                  "SHELLLNK.TLB: ",
                  "Program version: 1.2. 83",
              }));
    EXPECT_EQ(s.app.WindowsVersion, 5);
    EXPECT_EQ(s.app.DesktopFolder, "C:\\Documents and Settings\\Anna\\Desktop");
    EXPECT_EQ(s.app.ProgramsFolder, "C:\\Documents and Settings\\Anna\\Programs");
    EXPECT_EQ(s.app.CommonDesktopFolder, "C:\\Documents and Settings\\All Users\\Desktop");
    EXPECT_EQ(s.app.CommonProgramsFolder, "C:\\Documents and Settings\\All Users\\Programs");
    EXPECT_EQ(s.app.CacheFolder, "");
    EXPECT_EQ(s.app.SystemFolder, "C:\\WINDOWS\\system32");
    EXPECT_EQ(s.app.TempFolder, "C:\\Documents and Settings\\Anna\\Local Settings\\Temp\\");
    EXPECT_EQ(s.app.WindowsFolder, "C:\\WINDOWS");
    EXPECT_EQ(s.app.ProgramFilesFolder, "C:\\Program Files");
    // The version is known, so the application log holds only the start.
    EXPECT_EQ(s.Lines("app.log").size(), 1u);
}

// A Windows version outside the table, and an image that names none: the trace line
// has nothing after its colon; only the second is an error.
TEST(Startup, UnknownWindowsVersionsLeaveTheNameEmpty) {
    for (bool imageHasVersion : {true, false}) {
        TestApp t;
        if (imageHasVersion) testing_support::PutWindowsVersion(t.world.registry, "6.1");
        Main(t.app);
        std::vector<std::string> trace = t.Lines("app2.log");
        ASSERT_GE(trace.size(), 2u);
        EXPECT_EQ(trace[1], "Operating system version: ");
        EXPECT_EQ(t.app.WindowsVersion, 0);
        std::vector<std::string> log = t.Lines("app.log");
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front() == "Error in GetInternalWindowsVersion, error 5, "
                                 "Invalid procedure call or argument",
                  !imageHasVersion);
    }
}

}  // namespace

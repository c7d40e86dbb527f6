#include <gtest/gtest.h>

#include <algorithm>

#include "core/Options.h"
#include "core/Startup.h"
#include "scan/RegistryRead.h"
#include "tests/ScriptedSystemInfo.h"
#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

const std::string kNt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// 2026-12-07 is a Monday.
constexpr DateTime kMonday{2026, 12, 7, 9, 0, 0};

TEST(Startup, AnInteractiveStartTracesMainLogsTheStartAndReadsTheOptions) {
    TestApp t;
    PutWindowsVersion(t.world.registry, "5.1");
    WriteBytes(t.folder.HostFile("app2.log"), "previous run\r\n");
    WriteBytes(t.folder.HostFile("app.log"), "earlier\r\n");
    t.world.clock.Fix(kMonday);
    t.app.CommandLine = "-foo bar";
    EXPECT_EQ(Main(t.app), StartupResult::ShowMainWindow);
    EXPECT_EQ(t.Lines("app2.log").front(), "Main");
    EXPECT_EQ(t.Lines("app.log"),
              (Lines{"earlier", "Program started 12/7/2026 with params: -FOO BAR"}));
    EXPECT_FALSE(t.app.ScheduledRun);
    // A first start keeps the defaults; later ones read what setup.ini holds.
    EXPECT_EQ(t.app.LanguageCode + std::to_string(t.app.FirstErrors), "eng-1");
    EXPECT_FALSE(t.app.WasFirstRun || t.app.DeleteReadOnly);
    WriteBytes(
        t.folder.HostFile("setup.ini"),
        "[Main]\r\nlanguage=deu\r\nwasfirstrun=1\r\nfirsterrors=12\r\ndeletereadonly=True\r\n");
    Main(t.app);
    EXPECT_EQ(t.app.LanguageCode + std::to_string(t.app.FirstErrors), "deu12");
    EXPECT_TRUE(t.app.WasFirstRun && t.app.DeleteReadOnly);
}

TEST(Startup, ANonBooleanOptionEndsStartUpWithTheCriticalError) {
    TestApp t;
    PutWindowsVersion(t.world.registry, "5.1");
    WriteBytes(t.folder.HostFile("setup.ini"), "[Main]\r\nwasfirstrun=yes\r\n");
    EXPECT_EQ(Main(t.app), StartupResult::Ended);
    Lines trace = t.Lines("app2.log");
    EXPECT_EQ(trace.front(), "Main");
    EXPECT_EQ(trace.back(), "Critical error (main): 13, Type mismatch");
    ASSERT_EQ(t.world.scriptedPrompts.shown.size(), 1u);
    const auto& box = t.world.scriptedPrompts.shown[0];
    EXPECT_EQ(box.text + "|" + box.title, "Critical error (main): 13, Type mismatch|Brivolex");
    EXPECT_EQ(box.style, kMbOk);
    // What was written before stays; nothing after the failing read happened.
    EXPECT_EQ(ReadBytes(t.folder.HostFile("setup.ini")), "[Main]\r\nwasfirstrun=yes\r\n");
    EXPECT_FALSE(Exists(t.folder.HostFile("app.log")));
}

TEST(Startup, ScheduleDecision) {
    struct Case {
        const char* name;
        DateTime today;
        std::string setup;  // lines of section Main
        bool due;
        const char* args = "/SCHEDULED";
    } cases[] = {
        {"weekly default on Monday", kMonday, "", true},
        {"weekly default on Tuesday", {2026, 12, 8}, "", false},
        {"weekly Sunday is 6", {2026, 12, 13}, "runautomatically_day=6\r\n", true},
        {"weekly day 7 never matches", {2026, 12, 13}, "runautomatically_day=7\r\n", false},
        {"weekly day -1 never matches", {2026, 12, 13}, "runautomatically_day=-1\r\n", false},
        {"weekly missed day is not caught up",
         {2026, 12, 8},
         "last_scheduled_run=30112026\r\n",
         false},
        {"daily", {2026, 12, 8}, "runautomatically_when=0\r\n", true},
        {"daily, already ran today",
         {2026, 12, 8},
         "runautomatically_when=0\r\nlast_scheduled_run= 08122026 \r\n",
         false},
        {"daily, ran yesterday",
         {2026, 12, 8},
         "runautomatically_when=0\r\nlast_scheduled_run=07122026\r\n",
         true},
        {"monthly on the first", {2027, 1, 1}, "runautomatically_when=2\r\n", true},
        {"monthly on the second", {2027, 1, 2}, "runautomatically_when=2\r\n", false},
        {"unknown rhythm", kMonday, "runautomatically_when=3\r\n", false},
        {"switched off", kMonday, "runautomatically=0\r\n", false},
        {"a word for the rhythm is weekly", kMonday, "runautomatically_when=often\r\n", true},
        // The switch is found anywhere in the arguments, in any case.
        {"lower case", kMonday, "last_scheduled_run=07122026\r\n", false, "/scheduled"},
        {"inside a word", kMonday, "last_scheduled_run=07122026\r\n", false, "x/ScHeDuLeDy"},
        {"among others", kMonday, "", true, "a /scheduled b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestApp t;
        t.world.clock.Fix(c.today);
        // Not the first start, which would store "wasfirstrun".
        const std::string before = "[Main]\r\nwasfirstrun=1\r\n" + c.setup;
        WriteBytes(t.folder.HostFile("setup.ini"), before);
        t.app.CommandLine = c.args;
        StartupResult result = Main(t.app);
        EXPECT_EQ(result, c.due ? StartupResult::ShowMainWindow : StartupResult::Ended);
        EXPECT_EQ(t.app.ScheduledRun, c.due);
        EXPECT_EQ(t.Lines("app.log").back(),
                  c.due ? ".. performing scheduled run" : ".. scheduled run, skipped, ending");
        // A due run stores today; a run that is not due changes nothing in setup.ini.
        EXPECT_EQ(c.due ? GetOptionS(t.app, "last_scheduled_run", "")
                        : ReadBytes(t.folder.HostFile("setup.ini")),
                  c.due ? DateAsDdMmYyyy(c.today.year, c.today.month, c.today.day)
                        : before);
    }
}

// A whole start-up of an XP image: the trace, line by line, up to the runtime
// components (each traced with its version, or none), then the program's version.
TEST(Startup, TraceOfAWholeStartUp) {
    ScriptedApp s;
    InMemoryRegistry& r = s.world.registry;
    PutWindowsVersion(r, "5.1");
    const std::string shellFolders =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const std::string anna = "C:\\Documents and Settings\\Anna", all = "C:\\All";
    PutAll(r, {{HKCU, shellFolders, "Desktop", anna + "\\Desktop"},
               {HKLM, shellFolders, "Common Programs", all + "\\Programs"},
               {HKLM, kNt, "SystemRoot", "C:\\WINDOWS"},
               {HKCU, "Environment", "TEMP", "%USERPROFILE%\\Temp", REG_EXPAND_SZ_},
               {HKCU, "Volatile Environment", "USERPROFILE", anna}});
    s.system.fileVersion = [](const std::string& path, uint32_t& size, FileVersionParts& v) {
        size = path == "C:\\WINDOWS\\system32\\OLEAUT32.DLL" ? 1772 : 0;
        v = {2, 40, 4522, 0};
        return size != 0;
    };
    s.system.programVersion = [] { return FileVersionParts{1, 2, 0, 83}; };
    r.CreateKey(HKLM, kRunKey);
    WriteBytes(s.folder.HostFile("setup.ini"), "[Main]\r\nwasfirstrun=1\r\n");

    EXPECT_EQ(Main(s.app), StartupResult::ShowMainWindow);
    Lines trace = s.Lines("app2.log");
    ASSERT_GE(trace.size(), 27u);
    // clang-format off
    EXPECT_EQ(Lines(trace.begin(), trace.begin() + 26), (Lines{
        "Main", "Operating system version: Windows XP", "GetOptionS", "GetOptionS", "GetOptionS", "GetOptionS",
        "GetOptionS", "SetAutomaticalRun", "ChangeRegistryValue",
        "GetSpecialFolder", "GetSpecialFolderreturn: " + anna + "\\Desktop", "GetSpecialFolder", "GetSpecialFolderreturn: ",
        "GetSpecialFolderAllusers", "GetSpecialFolderAllusers return: ",
        "GetSpecialFolderAllusers", "GetSpecialFolderAllusers return: " + all + "\\Programs",
        "GetSpecialFolder", "GetSpecialFolderreturn: ", "GWSF", "GWSF return: C:\\WINDOWS\\system32",
        "GWF", "LongPathName", "GWF return 1: " + anna + "\\Temp\\", "GWF return 2: C:\\WINDOWS",
        "GetProgramFilesFolder"}));
    // clang-format on
    EXPECT_NE(std::find(trace.begin(), trace.end(), "OLEAUT32.DLL: 2.40.4522.00"), trace.end());
    EXPECT_EQ(trace.back(), "Program version: 1.2. 83");
    EXPECT_EQ(s.app.WindowsVersion, 5);
    // The version is known, so the application log holds only the start.
    EXPECT_EQ(s.Lines("app.log").size(), 1u);
}

// Every start writes the Run-key entry again while "runautomatically" is on and
// removes it when it is off; a registry that refuses changes nothing and start-up goes on.
TEST(Startup, TheRunEntryFollowsTheOptionOnEveryStart) {
    struct Case {
        const char* name;
        std::string setup;
        bool runKeyExists;
        bool entryAfter;
    } cases[] = {
        {"on by default", "", true, true},
        {"switched on", "runautomatically=True\r\n", true, true},
        {"switched off", "runautomatically=0\r\n", true, false},
        {"no Run key", "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestApp t;
        t.app.ProgramName = "Brivolex Setup";
        if (c.runKeyExists) {
            t.world.registry.PutValue(HKLM, kRunKey, "Brivolex", RegString("stale"));
            t.world.registry.PutValue(HKLM, kRunKey, "Other", RegString("other.exe"));
        }
        // Not the first start, which would store "wasfirstrun".
        const std::string before = "[Main]\r\nwasfirstrun=1\r\n" + c.setup;
        WriteBytes(t.folder.HostFile("setup.ini"), before);
        EXPECT_EQ(Main(t.app), StartupResult::ShowMainWindow);
        EXPECT_EQ(RegistryValueExists(t.app, HKLM, kRunKey, "Brivolex"), c.entryAfter);
        // The program's own path, blanks and all, without quotes.
        if (c.entryAfter) {
            EXPECT_EQ(GetRegistryValue(t.app, HKLM, kRunKey, "Brivolex"),
                      t.app.AppFolder + "\\Brivolex Setup.exe /SCHEDULED");
        }
        EXPECT_EQ(RegistryValueExists(t.app, HKLM, kRunKey, "Other"), c.runKeyExists);
    }
}

}  // namespace

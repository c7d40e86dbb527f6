#include <gtest/gtest.h>

#include "core/Errors.h"
#include "core/Logs.h"
#include "tests/TestSupport.h"

using testing_support::ReadBytes;
using testing_support::TestApp;

namespace {

TEST(Logs, EachWriterAppendsOneCrLfLineToItsOwnFile) {
    TestApp t;
    WriteLog(t.app, "first");
    WriteLog(t.app, "second");
    WriteTrace(t.app, "Main");
    EXPECT_EQ(ReadBytes(t.folder.HostFile("app.log")), "first\r\nsecond\r\n");
    EXPECT_EQ(ReadBytes(t.folder.HostFile("app2.log")), "Main\r\n");
    EXPECT_FALSE(testing_support::Exists(t.folder.HostFile("app3.log")));
}

TEST(Logs, ClearTraceEmptiesOnlyTheTrace) {
    TestApp t;
    WriteLog(t.app, "kept");
    WriteTrace(t.app, "old run");
    WriteProblemLog(t.app, "kept too");
    ClearTrace(t.app);
    EXPECT_EQ(ReadBytes(t.folder.HostFile("app2.log")), "");
    EXPECT_EQ(t.Lines("app.log"), std::vector<std::string>{"kept"});
    EXPECT_EQ(t.Lines("app3.log").size(), 1u);
}

TEST(Logs, ProblemLogLinesCarryRegionalDateAndTime) {
    TestApp t;
    t.world.clock.Fix(DateTime{2026, 12, 4, 17, 5, 9});
    WriteProblemLog(t.app, "Problem: x");
    EXPECT_EQ(t.Lines("app3.log"), std::vector<std::string>{"12/4/2026 5:05:09 PM: Problem: x"});
}

TEST(Logs, TextIsWrittenInTheAnsiCodePageAndLineBreaksSpreadOverLines) {
    TestApp t;
    WriteLog(t.app, "caf\xC3\xA9 \xE2\x82\xAC\r\nnext");
    EXPECT_EQ(ReadBytes(t.folder.HostFile("app.log")), "caf\xE9 \x80\r\nnext\r\n");
}

TEST(Logs, ReportErrorLine) {
    TestApp t;
    ReportError(t.app, "GetInternalWindowsVersion", 5, "Invalid procedure call or argument");
    EXPECT_EQ(t.Lines("app.log"),
              std::vector<std::string>{
                  "Error in GetInternalWindowsVersion, error 5, Invalid procedure call or argument"});
}

TEST(Logs, LogRegistryErrorNamesTheHiveOrItsSignedValue) {
    struct Case {
        RegKey hive;
        const char* expected;
    } cases[] = {
        {HKCR, "RegOpenKeyEx for HKCR\\A\\B failed with error: (2) "},
        {HKCU, "RegOpenKeyEx for HKCU\\A\\B failed with error: (2) "},
        {HKLM, "RegOpenKeyEx for HKLM\\A\\B failed with error: (2) "},
        {HKU, "RegOpenKeyEx for HKU\\A\\B failed with error: (2) "},
        {HKCC, "RegOpenKeyEx for HKCC\\A\\B failed with error: (2) "},
        {0x80000004u, "RegOpenKeyEx for -2147483644\\A\\B failed with error: (2) "},
        {42, "RegOpenKeyEx for 42\\A\\B failed with error: (2) "},
    };
    for (const Case& c : cases) {
        TestApp t;
        LogRegistryError(t.app, "RegOpenKeyEx", c.hive, "A\\B", 2);
        std::string trace = ReadBytes(t.folder.HostFile("app2.log"));
        std::string expected = std::string(c.expected) + GetSystemErrorText(t.app, 2);
        // The system text keeps its CR; the writer adds CR LF.
        EXPECT_EQ(trace, expected + "\r\n") << c.expected;
    }
}

TEST(Logs, SystemErrorTextKeepsTheCarriageReturnAndDropsTheLineFeed) {
    TestApp t;
    std::string text = GetSystemErrorText(t.app, 2);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\r');
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(GetSystemErrorText(t.app, 9999), "");
    EXPECT_THROW(GetSystemErrorText(t.app, 40000), RuntimeError);
}

TEST(Logs, LogRegistryErrorWritesNothingWhenItsLineCannotBeBuilt) {
    TestApp t;
    LogRegistryError(t.app, "RegDeleteValue", HKLM, "K", 70000);
    EXPECT_FALSE(testing_support::Exists(t.folder.HostFile("app2.log")));
}

TEST(Logs, AReadOnlyApplicationFolderLosesTheLinesQuietly) {
#ifdef _WIN32
    GTEST_SKIP() << "host permission bits stand for access rights only off Windows; "
                    "the Windows program is checked in a read-only folder by ProgramTest";
#endif
    TestApp t;
    std::filesystem::permissions(t.folder.host(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    ClearTrace(t.app);
    WriteLog(t.app, "lost");
    WriteTrace(t.app, "lost");
    WriteProblemLog(t.app, "lost");
    EXPECT_FALSE(testing_support::Exists(t.folder.HostFile("app.log")));
    EXPECT_FALSE(testing_support::Exists(t.folder.HostFile("app2.log")));
    EXPECT_FALSE(testing_support::Exists(t.folder.HostFile("app3.log")));
}

}  // namespace

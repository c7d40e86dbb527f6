// Brivolex.exe itself, started under Wine in a folder of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/Startup.h"
#include "platform/win32/WinText.h"
#include "tests/TestSupport.h"
#include "tests/win32/ProgramRunner.h"

using testing_support::ReadBytes;
using testing_support::ScratchFolder;
using testing_support::WriteBytes;

namespace {

TEST(Program, ScheduledStartThatIsNotDueEndsQuietly) {
    ScratchFolder folder("exe");
    ASSERT_TRUE(testing_support::CopyProgram("Brivolex.exe", folder.path()));
    WriteBytes(folder.HostFile("setup.ini"),
               testing_support::SetupOfAScheduledStartNotDue());
    auto run = testing_support::RunProgram(folder.path(), "Brivolex.exe", "/scheduled");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.messageBoxTexts.empty());
    auto appLog = testing_support::ReadLines(folder.HostFile("app.log"));
    ASSERT_FALSE(appLog.empty());
    EXPECT_EQ(appLog.back(), ".. scheduled run, skipped, ending");
    EXPECT_EQ(appLog.front().rfind("Program started ", 0), 0u);
    EXPECT_NE(appLog.front().find(" with params: /SCHEDULED"), std::string::npos);
    auto trace = testing_support::ReadLines(folder.HostFile("app2.log"));
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front(), "Main");
}

TEST(Program, NonBooleanFirstRunOptionShowsTheCriticalError) {
    ScratchFolder folder("exe");
    ASSERT_TRUE(testing_support::CopyProgram("Brivolex.exe", folder.path()));
    WriteBytes(folder.HostFile("setup.ini"), "[Main]\r\nwasfirstrun=yes\r\n");
    auto run = testing_support::RunProgram(folder.path(), "Brivolex.exe", "");
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.messageBoxTexts.size(), 1u);
    EXPECT_EQ(run.messageBoxTexts[0], "Critical error (main): 13, Type mismatch");
    EXPECT_EQ(run.messageBoxTitles[0], "Brivolex");
    auto trace = testing_support::ReadLines(folder.HostFile("app2.log"));
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front(), "Main");
    EXPECT_EQ(trace.back(), "Critical error (main): 13, Type mismatch");
    EXPECT_EQ(ReadBytes(folder.HostFile("setup.ini")), "[Main]\r\nwasfirstrun=yes\r\n");
}

TEST(Program, RunsWithoutLogsWhenItsFilesCannotBeWritten) {
    // Folders in the place of the three logs: no line can be written to them, whatever
    // the account may do (tests here run as root, for whom Wine ignores read-only files).
    ScratchFolder folder("exe");
    ASSERT_TRUE(testing_support::CopyProgram("Brivolex.exe", folder.path()));
    WriteBytes(folder.HostFile("setup.ini"),
               testing_support::SetupOfAScheduledStartNotDue());
    for (const char* name : {"app.log", "app2.log", "app3.log"})
        std::filesystem::create_directory(folder.HostFile(name));
    auto run = testing_support::RunProgram(folder.path(), "Brivolex.exe", "/SCHEDULED");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.messageBoxTexts.empty());
    for (const char* name : {"app.log", "app2.log", "app3.log"})
        EXPECT_TRUE(std::filesystem::is_empty(folder.HostFile(name))) << name;
}

}  // namespace

// Brivolex.exe itself, started under Wine in a folder of its own; and the folders of the
// running Windows (here: Wine) as the program finds them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/App.h"
#include "core/SystemFolders.h"
#include "platform/Text.h"
#include "platform/win32/SystemPlatform.h"
#include "platform/win32/WinText.h"
#include "tests/TestSupport.h"
#include "tests/win32/ProgramRunner.h"

using namespace testing_support;

namespace {

// A copy of the program in a folder of its own, with the given setup.ini.
struct ProgramCopy {
    explicit ProgramCopy(const std::string& setup) {
        EXPECT_TRUE(testing_support::CopyProgram("Brivolex.exe", folder.path()));
        WriteBytes(folder.HostFile("setup.ini"), setup);
    }
    testing_support::ProgramRun Run(const std::string& arguments) {
        return testing_support::RunProgram(folder.path(), "Brivolex.exe", arguments);
    }
    ScratchFolder folder{"exe"};
};

TEST(Program, AScheduledStartThatIsNotDueTracesItsVersionsAndEndsQuietly) {
    ProgramCopy program(testing_support::SetupOfAScheduledStartNotDue());
    auto run = program.Run("/scheduled");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.messageBoxTexts.empty());
    Lines appLog = ReadLines(program.folder.HostFile("app.log"));
    ASSERT_FALSE(appLog.empty());
    EXPECT_TRUE(appLog.front().starts_with("Program started ")) << appLog.front();
    EXPECT_TRUE(appLog.front().ends_with(" with params: /SCHEDULED")) << appLog.front();
    EXPECT_EQ(appLog.back(), ".. scheduled run, skipped, ending");

    // Wine reports Windows 7, which the table does not name. Wine's own OLEAUT32.DLL
    // carries a version resource, which this test process finds too.
    Lines trace = ReadLines(program.folder.HostFile("app2.log"));
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace[1], "Operating system version: ");
    SystemPlatform system;
    App app(system.platform, program.folder.path());
    GWSF(app);
    std::string oleaut = FileVersionNo(app, app.SystemFolder + "\\OLEAUT32.DLL");
    EXPECT_FALSE(oleaut.empty());
    EXPECT_NE(std::find(trace.begin(), trace.end(), "OLEAUT32.DLL: " + oleaut), trace.end());
    EXPECT_NE(std::find(trace.begin(), trace.end(), "Program version: 1.0. 1"), trace.end());
}

TEST(Program, FindsTheMachinesFolders) {
    ScratchFolder folder{"win"};
    SystemPlatform system;
    App app{system.platform, folder.path()};
    for (const char* name : {"Desktop", "Programs", "Cache"})
        EXPECT_FALSE(GetSpecialFolder(app, name).empty()) << name;
    for (const char* name : {"Common Desktop", "Common Programs"})
        EXPECT_FALSE(GetSpecialFolderAllusers(app, name).empty()) << name;
    GWSF(app);
    GWF(app);
    GetProgramFilesFolder(app);
    for (const std::string* f :
         {&app.SystemFolder, &app.TempFolder, &app.WindowsFolder, &app.ProgramFilesFolder}) {
        DWORD attributes = GetFileAttributesW(win::Wide(*f).c_str());
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES &&
                    (attributes & FILE_ATTRIBUTE_DIRECTORY)) << *f;
        EXPECT_FALSE(f->ends_with(":\\")) << *f;
        EXPECT_EQ(f->ends_with("\\"), f == &app.TempFolder) << *f;
    }
    EXPECT_EQ(LongPathName(app, app.TempFolder), app.TempFolder);
    EXPECT_TRUE(
        text::StartsWith(text::ToUpper(app.SystemFolder), text::ToUpper(app.WindowsFolder)));
    Lines trace = ReadLines(folder.HostFile("app2.log"));
    EXPECT_NE(std::find(trace.begin(), trace.end(), "GWF return 1: " + app.TempFolder),
              trace.end());
}

TEST(Program, NonBooleanFirstRunOptionShowsTheCriticalError) {
    ProgramCopy program("[Main]\r\nwasfirstrun=yes\r\n");
    auto run = program.Run("");
    ASSERT_TRUE(run.finished);
    // The box shows what the trace ends with (the text itself: StartupTest).
    ASSERT_EQ(run.messageBoxTexts.size(), 1u);
    EXPECT_EQ(run.messageBoxTitles[0], "Brivolex");
    EXPECT_EQ(ReadLines(program.folder.HostFile("app2.log")).back(), run.messageBoxTexts[0]);
    EXPECT_EQ(ReadBytes(program.folder.HostFile("setup.ini")), "[Main]\r\nwasfirstrun=yes\r\n");
}

TEST(Program, RunsWithoutLogsWhenItsFilesCannotBeWritten) {
    // Folders in the place of the three logs: no line can be written to them, whatever
    // the account may do (tests here run as root, for whom Wine ignores read-only files).
    ProgramCopy program(testing_support::SetupOfAScheduledStartNotDue());
    for (const char* name : {"app.log", "app2.log", "app3.log"})
        std::filesystem::create_directory(program.folder.HostFile(name));
    auto run = program.Run("/SCHEDULED");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.messageBoxTexts.empty());
    for (const char* name : {"app.log", "app2.log", "app3.log"})
        EXPECT_TRUE(std::filesystem::is_empty(program.folder.HostFile(name))) << name;
}

}  // namespace

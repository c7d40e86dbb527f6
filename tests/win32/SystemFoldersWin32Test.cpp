// The folders, versions and start-up trace lines on the running Windows (here: Wine).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "core/App.h"
#include "core/Startup.h"
#include "core/SystemFolders.h"
#include "platform/Text.h"
#include "platform/win32/SystemPlatform.h"
#include "platform/win32/WinText.h"
#include "tests/TestSupport.h"
#include "tests/win32/ProgramRunner.h"

using testing_support::ReadLines;
using testing_support::ScratchFolder;
using testing_support::WriteBytes;

namespace {

struct Win32App {
    ScratchFolder folder{"win"};
    SystemPlatform system;
    App app{system.platform, folder.path()};
};

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesW(win::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What the version resource of the built program holds: major.minor.0.build.
std::string BuiltProgramVersionText() {
    char text[64];
    std::snprintf(text, sizeof text, "%u.%02u.%04u", BRIVOLEX_VERSION_MAJOR, BRIVOLEX_VERSION_MINOR,
                  BRIVOLEX_VERSION_TWEAK);
    return text;
}

// Sets an environment variable of this process for the life of the object.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t old[32768];
        DWORD n = GetEnvironmentVariableW(name, old, 32768);
        had_ = n > 0 && n < 32768;
        if (had_) old_.assign(old, n);
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironmentVariable() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    const wchar_t* name_;
    std::wstring old_;
    bool had_ = false;
};

TEST(SystemFoldersWin32, TheMachinesFoldersAreFound) {
    Win32App w;
    App& app = w.app;
    for (const char* name : {"Desktop", "Programs", "Cache"})
        EXPECT_FALSE(GetSpecialFolder(app, name).empty()) << name;
    for (const char* name : {"Common Desktop", "Common Programs"})
        EXPECT_FALSE(GetSpecialFolderAllusers(app, name).empty()) << name;
    GWSF(app);
    GWF(app);
    GetProgramFilesFolder(app);
    for (const std::string* folder :
         {&app.SystemFolder, &app.TempFolder, &app.WindowsFolder, &app.ProgramFilesFolder}) {
        EXPECT_TRUE(IsFolder(*folder)) << *folder;
        EXPECT_FALSE(folder->ends_with(":\\")) << *folder;
    }
    EXPECT_TRUE(app.TempFolder.ends_with("\\"));
    EXPECT_FALSE(app.WindowsFolder.ends_with("\\"));
    EXPECT_FALSE(app.SystemFolder.ends_with("\\"));
    EXPECT_EQ(LongPathName(app, app.TempFolder), app.TempFolder);
    EXPECT_TRUE(
        text::StartsWith(text::ToUpper(app.SystemFolder), text::ToUpper(app.WindowsFolder)));
    std::vector<std::string> trace = ReadLines(w.folder.HostFile("app2.log"));
    EXPECT_NE(std::find(trace.begin(), trace.end(), "GWF return 1: " + app.TempFolder),
              trace.end());
}

TEST(SystemFoldersWin32, ATemporaryFolderGivenInShortFormIsStoredInItsLongForm) {
    Win32App w;
    std::filesystem::create_directory(w.folder.HostFile("Temporary Files Of Brivolex"));
    std::string longForm = w.folder.File("Temporary Files Of Brivolex") + "\\";
    wchar_t shortForm[MAX_PATH] = {};
    DWORD n = GetShortPathNameW(win::Wide(longForm).c_str(), shortForm, MAX_PATH);
    ASSERT_GT(n, 0u);
    ASSERT_NE(win::Narrow(shortForm, n), longForm);  // the system made an 8.3 name

    ScopedEnvironmentVariable tmp(L"TMP", std::wstring(shortForm, n));
    ASSERT_EQ(w.system.system.TempPath(), win::Narrow(shortForm, n));
    GWF(w.app);
    EXPECT_EQ(w.app.TempFolder, longForm);
}

TEST(SystemFoldersWin32, WineReportsWindows7WhichTheTableDoesNotName) {
    Win32App w;
    OsVersionInfo version;
    ASSERT_TRUE(w.system.system.GetVersion(version));
    EXPECT_EQ(version.major, 6u);
    EXPECT_EQ(version.minor, 1u);
    EXPECT_EQ(version.platformId, 2u);
    EXPECT_EQ(GetInternalWindowsVersion(w.app), 0);
    EXPECT_FALSE(testing_support::Exists(w.folder.HostFile("app.log")));
}

TEST(SystemFoldersWin32, FileVersionsOfRealFiles) {
    Win32App w;
    EXPECT_EQ(FileVersionNo(w.app, std::string(BRIVOLEX_PROGRAM_DIR) + "\\Brivolex.exe"),
              BuiltProgramVersionText());
    EXPECT_EQ(BuiltProgramVersionText(), "1.00.0001");
    // The test program has no version resource; a text file neither; nor a missing file.
    EXPECT_EQ(FileVersionNo(w.app, std::string(BRIVOLEX_PROGRAM_DIR) + "\\brivolex_tests.exe"), "");
    WriteBytes(w.folder.HostFile("readme.txt"), "text");
    EXPECT_EQ(FileVersionNo(w.app, w.folder.File("readme.txt")), "");
    EXPECT_EQ(FileVersionNo(w.app, w.folder.File("missing.dll")), "");
    EXPECT_FALSE(testing_support::Exists(w.folder.HostFile("app2.log")));

    w.app.SystemFolder = w.folder.path();
    LogFileVersion(w.app, "readme.txt");
    EXPECT_EQ(ReadLines(w.folder.HostFile("app2.log")), (std::vector<std::string>{"readme.txt: "}));
}

TEST(SystemFoldersWin32, TheProgramTracesItsVersionsAndFolders) {
    ScratchFolder folder("exe");
    ASSERT_TRUE(testing_support::CopyProgram("Brivolex.exe", folder.path()));
    WriteBytes(folder.HostFile("setup.ini"),
               testing_support::SetupOfAScheduledStartNotDue());
    auto run = testing_support::RunProgram(folder.path(), "Brivolex.exe", "/SCHEDULED");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    std::vector<std::string> trace = ReadLines(folder.HostFile("app2.log"));
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace[1], "Operating system version: ");

    // What this test process finds on the same machine.
    Win32App w;
    GWSF(w.app);
    const char* components[] = {"mscomctl.ocx", "comctl32.ocx", "msvbvm60.DLL",
                                "OLEAUT32.DLL", "OLEPRO32.DLL", "ASYCFILT.DLL",
                                "STDOLE2.TLB",  "COMCAT.DLL",   "SHELLLNK.TLB"};
    std::vector<std::string> expected;
    for (const char* name : components)
        expected.push_back(name + std::string(": ") +
                           FileVersionNo(w.app, w.app.SystemFolder + "\\" + name));
    expected.push_back("Program version: " + std::to_string(BRIVOLEX_VERSION_MAJOR) + "." +
                       std::to_string(BRIVOLEX_VERSION_MINOR) + ". " +
                       std::to_string(BRIVOLEX_VERSION_TWEAK));
    EXPECT_EQ(expected.back(), "Program version: 1.0. 1");
    // Wine's own OLEAUT32.DLL carries a version resource: the line is not bare.
    EXPECT_GT(expected[3].size(), std::string("OLEAUT32.DLL: ").size());

    auto first = std::find(trace.begin(), trace.end(), expected.front());
    ASSERT_GE(trace.end() - first, static_cast<std::ptrdiff_t>(expected.size()));
    EXPECT_EQ(std::vector<std::string>(first, first + static_cast<std::ptrdiff_t>(expected.size())),
              expected);
    EXPECT_NE(std::find(trace.begin(), trace.end(), "GWSF return: " + w.app.SystemFolder),
              trace.end());
}

}  // namespace

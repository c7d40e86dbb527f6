// Where the scan is more careful than a literal reading of its rules on a 64-bit
// Windows 10/11 machine: what cannot be checked, or is reached only through a link, is
// never listed.
#include <gtest/gtest.h>

#include <filesystem>

#include "scan/OldFilesScanner.h"
#include "scan/PathTests.h"
#include "scan/ShortcutScanners.h"
#include "tests/ScanSupport.h"
#include "tests/contract/HostFiles.h"

using testing_support::ScanWorld;

namespace {

const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRun32 = "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

// Each value as a Run entry of the given key: whether it is reported.
TEST(MoreCareful, PathsAreTestedAsWindowsWouldReachThem) {
    ScanWorld w;
    w.app.WindowsFolder = "C:\\Windows";
    w.CreateFile("C:\\Windows\\System32\\native.dll");
    w.CreateFile("C:\\Windows\\SysWOW64\\wow.dll");
    w.CreateFile("C:\\Program Files\\Long Name App\\app.exe");
    w.CreateFile("C:\\Data\\Report 2024.doc");
    w.CreateFile("C:\\Data\\Report 2025.doc");
    w.CreateFile("C:\\x");
    struct Case {
        std::string key, value;
        bool reported;
    } cases[] = {
        // Only 32-bit programs see "Sysnative"; for this program it is System32.
        {kRun, "C:\\Windows\\Sysnative\\native.dll", false},
        {kRun, "C:\\Windows\\SysNative\\gone.dll", true},
        // A 32-bit program's System32 is SysWOW64.
        {kRun32, "C:\\Windows\\System32\\wow.dll", false},
        {kRun32, "C:\\Windows\\System32\\native.dll", true},
        {kRun, "C:\\Windows\\System32\\wow.dll", true},
        // Short names, where the image's long names tell them apart.
        {kRun, "C:\\PROGRA~1\\LONGNA~1\\app.exe", false},
        {kRun, "C:\\progra~1\\longna~1\\app.exe -x", false},
        {kRun, "C:\\PROGRA~1\\LONGNA~1\\gone.exe", true},
        {kRun, "C:\\PROGRA~1\\GONEAP~1\\app.exe", true},
        // Which long name got which number is not known: never reported.
        {kRun, "C:\\PROGRA~2\\LONGNA~1\\gone.exe", false},
        {kRun, "C:\\Data\\REPORT~1.DOC\\gone", false},
        {kRun, "C:\\PROGRA~1\\LO4F2A~1\\app.exe", false},  // the hashed form
        // A relative name means the image's system drive, not the host's folder.
        {kRun, "x", false},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        TestBrokenRegistryPath(w.app, c.value, "HKLM\\" + c.key, 0, HKLM, c.key, c.value, 5, 0);
        if (c.reported) expected.push_back(c.value);
    }
    std::vector<std::string> reported;
    for (const ProblemRef& item : w.app.Problems) reported.push_back(item->pCureMissingfile);
    EXPECT_EQ(reported, expected);
}

// Links in a temporary folder and on a desktop, as the host can make them: one to the
// user's documents, one to an old file, one to nothing, two that lead back up.
TEST(MoreCareful, FolderWalksNeitherFollowLinksNorLoop) {
    namespace fs = std::filesystem;
    ScanWorld w;
    const DateTime old{2024, 1, 2, 3, 4, 5};
    w.CreateFile("C:\\Temp\\old.tmp");
    w.CreateFile("C:\\Temp\\sub\\old.log");
    w.CreateFile("C:\\Users\\Me\\Documents\\report.doc");
    w.CreateShortcut("C:\\Users\\Me\\Documents\\broken.lnk", "C:\\Gone\\app.exe");
    for (const char* file : {"C:\\Temp\\old.tmp", "C:\\Temp\\sub\\old.log",
                             "C:\\Users\\Me\\Documents\\report.doc"})
        ASSERT_TRUE(contract::SetHostAccessTime(w.HostPath(file), old));
    std::error_code ec;
    fs::create_directory_symlink(w.Host("C:\\Users\\Me\\Documents"), w.Host("C:\\Temp\\docs"), ec);
    if (ec || !fs::is_symlink(w.Host("C:\\Temp\\docs")))
        GTEST_SKIP() << "this host makes no symbolic links";
    fs::create_symlink(w.Host("C:\\Users\\Me\\Documents\\report.doc"), w.Host("C:\\Temp\\report.doc"));
    fs::create_symlink(w.Host("C:\\nowhere"), w.Host("C:\\Temp\\dangling.tmp"));
    fs::create_directory_symlink(w.Host("C:\\Temp"), w.Host("C:\\Temp\\self"));
    fs::create_directory_symlink("..", w.Host("C:\\Temp\\sub\\up"));

    ScanFolderForOldFiles(w.app, "C:\\Temp");
    SFFBL(w.app, "C:\\Temp");
    EXPECT_EQ(w.ProblemNames(), (std::vector<std::string>{"C:\\Temp\\old.tmp",
                                                         "C:\\Temp\\sub\\old.log"}));
    EXPECT_TRUE(w.Lines("app.log").empty());
    // A link that cannot be followed (an App Execution Alias on Windows) is not missing.
    EXPECT_TRUE(FileExists(w.app, "C:\\Temp\\dangling.tmp"));
}

}  // namespace

#include <gtest/gtest.h>

#include "scan/OldFilesScanner.h"
#include "tests/ScanSupport.h"
#include "tests/contract/HostFiles.h"

using namespace testing_support;

namespace {

DateTime DaysBefore(const DateTime& day, int days, int hour = 9) {
    DateTime t = DateTime::FromDaySerial(day.DaySerial() - days);
    t.hour = hour;
    return t;
}

// Creates C:\Temp\<name> with the given last access and DOS bits (read-only: its host
// write permission taken away).
std::string PlantFile(ScanWorld& w, const std::string& name, const DateTime& lastAccess,
                      uint32_t dosBits = 0) {
    std::string path = "C:\\Temp\\" + name;
    w.CreateFile(path);
    if (dosBits == kAttrReadOnly)
        std::filesystem::permissions(w.Host(path), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
    else
        EXPECT_TRUE(dosBits == 0 || contract::SetHostDosBits(w.HostPath(path), dosBits));
    EXPECT_TRUE(contract::SetHostAccessTime(w.HostPath(path), lastAccess));
    return path;
}

TEST(OldFilesScanner, FilesUnusedForMoreThanAYearByDate) {
    struct Case {
        const char* name;
        DateTime today, lastAccess;
        uint32_t dosBits;
        bool reported;
    } cases[] = {
        {"366 days", kNow, DaysBefore(kNow, 366), 0, true},
        {"exactly 365 days, late in the day", kNow, DaysBefore(kNow, 365, 23), 0, false},
        {"last year's 31 December on 1 January", {2027, 1, 1, 10}, {2026, 12, 31, 8}, 0, false},
        {"29 February of a leap year, 366 days on", {2025, 3, 1, 10}, {2024, 2, 29, 8}, 0, true},
        {"1 March of a leap year, 365 days on", {2025, 3, 1, 10}, {2024, 3, 1, 8}, 0, false},
        {"old and hidden", kNow, DaysBefore(kNow, 800), kAttrHidden, true},
        {"old and system", kNow, DaysBefore(kNow, 800), kAttrSystem, false},
        {"old and read-only", kNow, DaysBefore(kNow, 400), kAttrReadOnly, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanWorld w;
        w.world.clock.Fix(c.today);
        std::string path = PlantFile(w, "file.tmp", c.lastAccess, c.dosBits);
        ScanFolderForOldFiles(w.app, "C:\\Temp");
        EXPECT_EQ(w.progress.items, std::vector<std::string>{"Scanning file " + path});
        EXPECT_EQ(w.ProblemFields(),
                  OneIf(c.reported, Fields{2, 1, 0, path, "file_" + path + "_",
                                           "File in temporary folder, last used " +
                                               w.world.locale.GeneralDate(c.lastAccess),
                                           0, "", "", "", path, 0, 0}));
    }
}

TEST(OldFilesScanner, SubfoldersAreSearchedAfterTheFilesOfTheirParent) {
    ScanWorld w;
    for (const char* name : {"a\\deep.tmp", "b.tmp", "c\\deeper.tmp", "d.tmp"})
        PlantFile(w, name, DaysBefore(kNow, 400));
    ScanFolderForOldFiles(w.app, "C:\\Temp\\");  // a final "\" changes nothing
    EXPECT_EQ(w.ProblemNames(),
              (std::vector<std::string>{"C:\\Temp\\b.tmp", "C:\\Temp\\d.tmp",
                                        "C:\\Temp\\a\\deep.tmp", "C:\\Temp\\c\\deeper.tmp"}));
}

// A file system whose last-access time stamps cannot be read.
class NoAccessTimes : public SplitFileSystem {
  public:
    using SplitFileSystem::SplitFileSystem;
    bool GetLastAccessTime(const std::string&, DateTime&) override { return false; }
};

TEST(OldFilesScanner, AFileWhoseLastAccessCannotBeReadIsNotListed) {
    ScanWorld w;
    PlantFile(w, "x.tmp", DaysBefore(kNow, 3));
    NoAccessTimes files(w.folder.path(), w.hostFiles, w.world.files);
    Platform platform = testing_support::Using(w.platform, files);
    App app(platform, w.folder.path());
    app.Scan.ContinueScan = true;
    ScanFolderForOldFiles(app, "C:\\Temp");
    EXPECT_EQ(app.Problems.Count(), 0);
    EXPECT_EQ(
        w.Lines("app.log"),
        std::vector<std::string>{"Error in GetDateLastAccessed, error 75, Path/File access error"});
}

}  // namespace

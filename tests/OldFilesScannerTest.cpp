#include <gtest/gtest.h>

#include "problems/clsItem.h"
#include "scan/OldFilesScanner.h"
#include "tests/ScanSupport.h"
#include "tests/contract/HostFiles.h"

using testing_support::ScanWorld;

namespace {

constexpr DateTime kToday{2026, 12, 4, 10, 0, 0};
const char kTemp[] = "C:\\Temp";

DateTime DaysBefore(const DateTime& day, int days, int hour = 9) {
    DateTime t = DateTime::FromDaySerial(day.DaySerial() - days);
    t.hour = hour;
    return t;
}

struct OldFilesWorld : ScanWorld {
    OldFilesWorld() { world.clock.Fix(kToday); }
    std::string PlantFile(const std::string& name, const DateTime& lastAccess, uint32_t dosBits = 0) {
        std::string path = std::string(kTemp) + "\\" + name;
        CreateFileOnC(path);
        if (dosBits) {
            EXPECT_TRUE(contract::SetHostDosBits(HostPathOnC(path), dosBits));
        }
        EXPECT_TRUE(contract::SetHostAccessTime(HostPathOnC(path), lastAccess));
        return path;
    }
};

TEST(OldFilesScanner, FilesUnusedForMoreThanAYearByDate) {
    struct Case {
        const char* name;
        DateTime today;
        DateTime lastAccess;
        uint32_t dosBits;
        bool reported;
    } cases[] = {
        {"366 days", kToday, DaysBefore(kToday, 366), 0, true},
        {"exactly 365 days, even late in the day", kToday, DaysBefore(kToday, 365, 23), 0, false},
        {"last year's 31 December on 1 January", DateTime{2027, 1, 1, 10}, DateTime{2026, 12, 31, 8},
         0, false},
        {"old and hidden", kToday, DaysBefore(kToday, 800), kAttrHidden, true},
        {"old and system", kToday, DaysBefore(kToday, 800), kAttrSystem, false},
        {"yesterday", kToday, DaysBefore(kToday, 1), 0, false},
    };
    for (const Case& c : cases) {
        OldFilesWorld w;
        w.world.clock.Fix(c.today);
        std::string path = w.PlantFile("file.tmp", c.lastAccess, c.dosBits);
        ScanFolderForOldFiles(w.app, kTemp);
        ASSERT_EQ(w.app.Problems.Count(), c.reported ? 1 : 0) << c.name;
        EXPECT_EQ(w.progress.items, std::vector<std::string>{"Scanning file " + path}) << c.name;
        if (!c.reported) continue;
        const clsItem& p = *w.app.Problems.Item(1);
        EXPECT_EQ(p.pType(), 2);
        EXPECT_EQ(p.pSTATUS, 1);
        EXPECT_EQ(p.pInternalType, 0);
        EXPECT_EQ(p.pName(), path);
        EXPECT_EQ(p.UID(), "file_" + path + "_");
        EXPECT_EQ(p.pCureFilename, path);
        EXPECT_EQ(p.pCureMissingfile, "");
        EXPECT_EQ(p.pDescription, "File in temporary folder, last used " +
                                      w.world.locale.GeneralDate(c.lastAccess));
    }
}

TEST(OldFilesScanner, AReadOnlyOldFileIsReportedToo) {
#ifdef _WIN32
    GTEST_SKIP() << "Wine ignores read-only files for the root account the tests run as";
#endif
    OldFilesWorld w;
    std::string path = w.PlantFile("ro.tmp", DaysBefore(kToday, 400));
    std::filesystem::permissions(w.driveC.host() / "Temp" / "ro.tmp", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    ScanFolderForOldFiles(w.app, kTemp);
    EXPECT_EQ(w.ProblemNames(), std::vector<std::string>{path});
}

TEST(OldFilesScanner, SubfoldersAreSearchedAfterTheFilesOfTheirParent) {
    OldFilesWorld w;
    w.PlantFile("a\\deep.tmp", DaysBefore(kToday, 400));
    w.PlantFile("b.tmp", DaysBefore(kToday, 400));
    w.PlantFile("c\\deeper.tmp", DaysBefore(kToday, 400));
    w.PlantFile("d.tmp", DaysBefore(kToday, 400));
    ScanFolderForOldFiles(w.app, std::string(kTemp) + "\\");  // a final "\" changes nothing
    EXPECT_EQ(w.ProblemNames(),
              (std::vector<std::string>{"C:\\Temp\\b.tmp", "C:\\Temp\\d.tmp", "C:\\Temp\\a\\deep.tmp",
                                        "C:\\Temp\\c\\deeper.tmp"}));
}

TEST(OldFilesScanner, CancelStopsBeforeTheNextEntry) {
    OldFilesWorld w;
    w.PlantFile("a.tmp", DaysBefore(kToday, 400));
    w.PlantFile("b.tmp", DaysBefore(kToday, 400));
    w.PlantFile("sub\\c.tmp", DaysBefore(kToday, 400));
    w.progress.cancelWhen = [](const std::string& item) { return item.find("a.tmp") != std::string::npos; };
    ScanFolderForOldFiles(w.app, kTemp);
    EXPECT_EQ(w.ProblemNames(), std::vector<std::string>{"C:\\Temp\\a.tmp"});
}

// A file system whose last-access time stamps cannot be read.
class NoAccessTimes : public SplitFileSystem {
public:
    using SplitFileSystem::SplitFileSystem;
    bool GetLastAccessTime(const std::string&, DateTime&) override { return false; }
};

TEST(OldFilesScanner, AFileWhoseLastAccessCannotBeReadCountsAsOld) {
    OldFilesWorld w;
    std::string path = w.PlantFile("x.tmp", DaysBefore(kToday, 3));
    NoAccessTimes files(w.folder.path(), w.hostFiles, w.world.files);
    Platform platform{w.world.registry, files,        w.profile,
                      w.world.clock,    w.world.locale, w.world.system,
                      w.world.scriptedPrompts,          w.world.links};
    App app(platform, w.folder.path());
    app.Scan.ContinueScan = true;
    ScanFolderForOldFiles(app, kTemp);
    ASSERT_EQ(app.Problems.Count(), 1);
    EXPECT_EQ(app.Problems.Item(1)->pDescription, "File in temporary folder, last used 12/30/1899");
    EXPECT_EQ(w.Lines("app.log"),
              std::vector<std::string>{
                  "Error in GetDateLastAccessed, error 75, Path/File access error"});
}

TEST(OldFilesScanner, AnEmptyFolderNameScansNothing) {
    OldFilesWorld w;
    w.PlantFile("x.tmp", DaysBefore(kToday, 400));
    ScanFolderForOldFiles(w.app, "");
    EXPECT_EQ(w.app.Problems.Count(), 0);
    EXPECT_TRUE(w.progress.items.empty());
}

TEST(OldFilesScanner, AgeIsCountedInWholeDays) {
    EXPECT_TRUE(IsOlderThanAYear(DateTime{2025, 12, 3, 23, 59, 59}, DateTime{2026, 12, 4, 0, 0, 0}));
    EXPECT_FALSE(IsOlderThanAYear(DateTime{2025, 12, 4, 0, 0, 0}, DateTime{2026, 12, 4, 23, 0, 0}));
    // 2024 is a leap year: 29 February counts as a day.
    EXPECT_FALSE(IsOlderThanAYear(DateTime{2024, 3, 1}, DateTime{2025, 3, 1}));
    EXPECT_TRUE(IsOlderThanAYear(DateTime{2024, 2, 29}, DateTime{2025, 3, 1}));
}

}  // namespace

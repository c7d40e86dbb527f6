// What the scanners rely on when they test files, folders and drives, and what the
// logs rely on when they write, against every file-system backend. A file reported
// missing by mistake later becomes a deletion, so existence is checked on non-ASCII
// names too.
#include <gtest/gtest.h>

#include <map>

#include "core/App.h"
#include "scan/PathTests.h"
#include "tests/TestSupport.h"
#include "tests/contract/Backends.h"
#include "tests/contract/HostFiles.h"

using namespace testing_support;

namespace {

const std::string kCyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";  // Привет
const std::string kCyrillicUpper = "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2";  // ПРИВЕТ
const std::string kCjk = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";                        // 日本語

class FileSystemContract : public ::testing::TestWithParam<contract::FileSystemBackend> {
  protected:
    void SetUp() override {
        files = GetParam().make();
        platform = std::make_unique<Platform>(testing_support::Using(world.platform, *files));
        app = std::make_unique<App>(*platform, folder.path());
        WriteBytes(folder.HostFile("file.txt"), "data");
        std::filesystem::create_directory(folder.HostFile("sub"));
    }
    // The attributes of a path, or "absent".
    std::string Attributes(const std::string& path, uint32_t mask) {
        uint32_t attributes = 0;
        return files->GetAttributes(path, attributes) ? std::to_string(attributes & mask)
                                                      : "absent";
    }

    ScratchFolder folder{"fs"};
    std::unique_ptr<FileSystem> files;
    PortableWorld world;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<App> app;
};

// Each path: its attributes (directory, read-only, hidden, system), whether it opens
// for reading, and what FileExists and DirExists say. Names resolve without regard to
// case; a final separator names folders only; a folder counts as existing for
// FileExists; read-only, hidden and system files are files that exist.
TEST_P(FileSystemContract, AttributesAndExistenceOfFilesAndFolders) {
    WriteBytes(folder.HostFile("ro.txt"), "x");
    WriteBytes(folder.HostFile("hidden.txt"), "x");
    WriteBytes(folder.HostFile("Mixed.Txt"), "x");
    std::filesystem::create_directory(folder.HostFile(kCyrillic));
    WriteBytes(folder.HostFile(kCyrillic) / hostpath::FromUtf8(kCjk + ".txt"), "x");
    WriteBytes(folder.HostFile(kCyrillic + " " + kCjk + ".exe"), "x");
    namespace fs = std::filesystem;
    fs::permissions(folder.HostFile("ro.txt"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ASSERT_TRUE(contract::SetHostDosBits(folder.File("hidden.txt"), kAttrHidden | kAttrSystem));
    const uint32_t mask = kAttrDirectory | kAttrReadOnly | kAttrHidden | kAttrSystem;
    const std::string dir = std::to_string(kAttrDirectory);
    struct Case {
        std::string path, attributes;
        bool opens, fileExists, dirExists;
    } cases[] = {
        {folder.File("file.txt"), "0", true, true, false},
        {folder.File("FILE.TXT"), "0", true, true, false},
        {folder.File("mixed.txt"), "0", true, true, false},
        {folder.File("file.txt") + "\\", "absent", false, false, false},
        {folder.File("sub"), dir, false, true, true},
        {folder.File("SUB") + "\\", dir, false, true, true},
        {folder.File("ro.txt"), std::to_string(kAttrReadOnly), true, true, false},
        {folder.File("hidden.txt"), std::to_string(kAttrHidden | kAttrSystem), true, true, false},
        {folder.File(kCyrillicUpper), dir, false, true, true},
        {folder.File(kCyrillic + "\\" + kCjk + ".txt"), "0", true, true, false},
        {folder.File(kCyrillic + " " + kCjk + ".exe"), "0", true, true, false},
        {folder.File(kCyrillic + "\\" + kCjk + "x.txt"), "absent", false, false, false},
        {folder.File("missing.txt"), "absent", false, false, false},
        {folder.File("missing") + "\\", "absent", false, false, false},
        {folder.File("missing\\file.txt"), "absent", false, false, false},
        {"", "absent", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(Attributes(c.path, mask), c.attributes);
        EXPECT_EQ(files->CanOpenForReading(c.path), c.opens);
        EXPECT_EQ(FileExists(*app, c.path), c.fileExists);
        EXPECT_EQ(DirExists(*app, c.path), c.dirExists);
    }
}

TEST_P(FileSystemContract, AFileThatCannotBeOpenedForReadingCountsAsMissing) {
    {
        contract::UnreadableFile locked(folder.File("file.txt"));
        ASSERT_TRUE(locked.ok());
        EXPECT_EQ(Attributes(folder.File("file.txt"), kAttrDirectory), "0");
        EXPECT_FALSE(files->CanOpenForReading(folder.File("file.txt")));
        EXPECT_FALSE(FileExists(*app, folder.File("file.txt")));
    }
    EXPECT_TRUE(FileExists(*app, folder.File("file.txt")));
}

TEST_P(FileSystemContract, ListingGivesEveryEntryWithItsAttributes) {
    WriteBytes(folder.HostFile("hidden.txt"), "x");
    ASSERT_TRUE(contract::SetHostDosBits(folder.File("hidden.txt"), kAttrHidden));
    WriteBytes(folder.HostFile("system.dat"), "x");
    ASSERT_TRUE(contract::SetHostDosBits(folder.File("system.dat"), kAttrSystem));
    std::filesystem::create_directory(folder.HostFile(kCyrillic));
    WriteBytes(folder.HostFile(kCyrillic) / hostpath::FromUtf8(kCjk + ".txt"), "x");

    std::vector<DirEntry> entries;
    ASSERT_TRUE(files->ListFolder(folder.path(), entries));
    ASSERT_GE(entries.size(), 2u);
    // "." and ".." come first in a folder that is not a drive root; then each entry once.
    EXPECT_EQ(entries[0].name + " " + entries[1].name, ". ..");
    std::map<std::string, uint32_t> listed;
    for (const DirEntry& e : entries)
        EXPECT_TRUE(listed.emplace(e.name, e.attributes & (kAttrDirectory | kAttrHidden | kAttrSystem))
                        .second);
    EXPECT_EQ(listed, (std::map<std::string, uint32_t>{
                          {".", kAttrDirectory}, {"..", kAttrDirectory}, {"file.txt", 0},
                          {"sub", kAttrDirectory}, {"hidden.txt", kAttrHidden},
                          {"system.dat", kAttrSystem}, {kCyrillic, kAttrDirectory}}));
    ASSERT_TRUE(files->ListFolder(folder.File(kCyrillicUpper), entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].name, kCjk + ".txt");
    std::vector<DirEntry> none;
    EXPECT_FALSE(files->ListFolder(folder.File("missing"), none));
    EXPECT_TRUE(none.empty());
}

TEST_P(FileSystemContract, LastAccessTimeStampInLocalTime) {
    std::filesystem::create_directory(folder.HostFile(kCyrillic));
    WriteBytes(folder.HostFile(kCyrillic) / hostpath::FromUtf8(kCjk + ".txt"), "x");
    const std::pair<std::string, DateTime> cases[] = {
        {folder.File("file.txt"), {2021, 3, 10, 14, 25, 36}},
        {folder.File("file.txt"), {2001, 11, 2, 0, 0, 0}},
        {folder.File(kCyrillic + "\\" + kCjk + ".txt"), {2020, 6, 1, 8, 0, 0}}};
    for (const auto& [path, stamp] : cases) {
        ASSERT_TRUE(contract::SetHostAccessTime(path, stamp));
        DateTime read;
        ASSERT_TRUE(files->GetLastAccessTime(path, read));
        EXPECT_EQ(read, stamp);
    }
    DateTime read;
    EXPECT_FALSE(files->GetLastAccessTime(folder.File("missing.txt"), read));
}

TEST_P(FileSystemContract, LogLinesAndWholeFilesAreWrittenAsTheyShouldBe) {
    std::string log = folder.File("a.log");
    EXPECT_TRUE(files->AppendLine(log, "one"));
    EXPECT_TRUE(files->AppendLine(log, "d\xC3\xA9j\xC3\xA0"));
    EXPECT_TRUE(files->AppendLine(log, ""));
    EXPECT_EQ(ReadBytes(folder.HostFile("a.log")), "one\r\nd\xE9j\xE0\r\n\r\n");  // ANSI, CR LF
    EXPECT_TRUE(files->CreateEmpty(log));
    EXPECT_EQ(ReadBytes(folder.HostFile("a.log")), "");
    std::string bytes("\xFF\xFE\0x\r\n", 6), back;
    EXPECT_TRUE(files->WriteFile(folder.File("b.bin"), bytes));
    EXPECT_TRUE(files->ReadFile(folder.File("b.bin"), back));
    EXPECT_EQ(back, bytes);
    // Nothing is written into a missing folder.
    EXPECT_FALSE(files->AppendLine(folder.File("missing\\a.log"), "x"));
    EXPECT_FALSE(files->CreateEmpty(folder.File("missing\\b.log")));
    EXPECT_FALSE(files->ReadFile(folder.File("missing\\c.log"), back));
}

// A folder below the temporary folder can lie deeper than the 260 characters of a
// classic Windows path; it is read like any other, never taken for a missing file.
TEST_P(FileSystemContract, PathsPastTheClassicLimitWorkLikeAnyOther) {
    std::string deep = folder.File("long");
    while (deep.size() < 400) deep += "\\a folder with a long name";
    const std::string file = deep + "\\old.tmp";
    ASSERT_TRUE(contract::MakeLongHostFolders(deep));
    ASSERT_TRUE(contract::MakeLongHostFile(file, "x"));
    EXPECT_EQ(Attributes(file, kAttrDirectory), "0");
    EXPECT_EQ(Attributes(deep, kAttrDirectory), std::to_string(kAttrDirectory));
    EXPECT_TRUE(FileExists(*app, file));
    EXPECT_FALSE(FileExists(*app, deep + "\\gone.tmp"));
    std::vector<DirEntry> entries;
    ASSERT_TRUE(files->ListFolder(deep, entries));
    EXPECT_EQ(entries.back().name, "old.tmp");
    DateTime accessed;
    EXPECT_TRUE(files->GetLastAccessTime(file, accessed));
    FolderId id;
    EXPECT_TRUE(files->GetFolderId(deep, id));
    contract::RemoveLongHostTree(folder.File("long"));
}

// A walk that meets a folder a second time, under another spelling or through a link,
// knows it by its identity.
TEST_P(FileSystemContract, AFolderIsKnownByItsIdentityWhateverItsSpelling) {
    FolderId sub, subAgain, top, missing;
    ASSERT_TRUE(files->GetFolderId(folder.File("sub"), sub));
    ASSERT_TRUE(files->GetFolderId(folder.File("SUB") + "\\", subAgain));
    ASSERT_TRUE(files->GetFolderId(folder.path(), top));
    EXPECT_EQ(sub, subAgain);
    EXPECT_FALSE(sub == top);
    EXPECT_FALSE(files->GetFolderId(folder.File("missing"), missing));
}

// What the file system cannot check is never missing: a share that cannot be reached.
// A file that is simply not there is.
TEST_P(FileSystemContract, OnlyWhatCanBeCheckedIsMissing) {
    EXPECT_TRUE(FileExists(*app, "\\\\brivolex-no-such-server\\share\\tool.exe"));
    EXPECT_FALSE(files->ExistenceUnknown(folder.File("missing.txt")));
    EXPECT_FALSE(FileExists(*app, folder.File("missing.txt")));
}

INSTANTIATE_TEST_SUITE_P(Backends, FileSystemContract,
                         ::testing::ValuesIn(contract::HostFileSystemBackends()),
                         [](const auto& info) { return info.param.name; });

class DriveTypeContract : public ::testing::TestWithParam<contract::DriveBackend> {
  protected:
    ScratchFolder folder{"drives"};
};

TEST_P(DriveTypeContract, EachRootReportsItsDriveType) {
    contract::DriveSetup setup = GetParam().make(folder.path());
    if (!setup.skipReason.empty()) GTEST_SKIP() << setup.skipReason;
    ASSERT_FALSE(setup.roots.empty());
    for (const auto& [root, type] : setup.roots)
        EXPECT_EQ(setup.files->QueryDriveType(root), type) << root;
}

INSTANTIATE_TEST_SUITE_P(Backends, DriveTypeContract,
                         ::testing::ValuesIn(contract::DriveBackends()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

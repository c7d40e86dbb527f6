// What the scanners rely on when they test files, folders and drives, against every
// file-system backend. A file reported missing by mistake later becomes a deletion,
// so existence is checked on non-ASCII names too.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "core/App.h"
#include "scan/PathTests.h"
#include "tests/TestSupport.h"
#include "tests/contract/Backends.h"
#include "tests/contract/HostFiles.h"

using testing_support::ScratchFolder;
using testing_support::WriteBytes;

namespace {

const std::string kCyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";  // Привет
const std::string kCjk = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";                     // 日本語

class FileSystemContract : public ::testing::TestWithParam<contract::FileSystemBackend> {
protected:
    void SetUp() override {
        files = GetParam().make();
        WriteBytes(folder.HostFile("file.txt"), "data");
        std::filesystem::create_directory(folder.HostFile("sub"));
    }
    // An App that tests paths through this backend.
    struct BackendApp {
        BackendApp(PortableWorld& w, FileSystem& f, const std::string& dir)
            : platform{w.registry, f, w.profile, w.clock, w.locale, w.system, w.scriptedPrompts, w.links},
              app(platform, dir) {}
        Platform platform;
        App app;
    };
    App& app() {
        if (!backendApp) backendApp = std::make_unique<BackendApp>(world, *files, folder.path());
        return backendApp->app;
    }

    ScratchFolder folder{"fs"};
    std::unique_ptr<FileSystem> files;
    PortableWorld world;
    std::unique_ptr<BackendApp> backendApp;
};

TEST_P(FileSystemContract, AttributesOfFilesAndFolders) {
    uint32_t attributes = 0;
    ASSERT_TRUE(files->GetAttributes(folder.File("file.txt"), attributes));
    EXPECT_EQ(attributes & kAttrDirectory, 0u);
    EXPECT_EQ(attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem), 0u);

    ASSERT_TRUE(files->GetAttributes(folder.File("sub"), attributes));
    EXPECT_NE(attributes & kAttrDirectory, 0u);
    ASSERT_TRUE(files->GetAttributes(folder.File("sub\\"), attributes));
    EXPECT_NE(attributes & kAttrDirectory, 0u);

    EXPECT_FALSE(files->GetAttributes(folder.File("missing.txt"), attributes));
    EXPECT_FALSE(files->GetAttributes(folder.File("missing\\file.txt"), attributes));
    EXPECT_FALSE(files->GetAttributes("", attributes));
}

TEST_P(FileSystemContract, ReadOnlyHiddenAndSystemBits) {
    WriteBytes(folder.HostFile("ro.txt"), "x");
    WriteBytes(folder.HostFile("hidden.txt"), "x");
    std::filesystem::permissions(folder.HostFile("ro.txt"), std::filesystem::perms::owner_write |
                                                                std::filesystem::perms::group_write |
                                                                std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    ASSERT_TRUE(contract::SetHostDosBits(folder.File("hidden.txt"), kAttrHidden | kAttrSystem));

    uint32_t attributes = 0;
    ASSERT_TRUE(files->GetAttributes(folder.File("ro.txt"), attributes));
    EXPECT_EQ(attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem), kAttrReadOnly);
    ASSERT_TRUE(files->GetAttributes(folder.File("hidden.txt"), attributes));
    EXPECT_EQ(attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem), kAttrHidden | kAttrSystem);
    // Read-only, hidden and system files are still files that exist.
    EXPECT_TRUE(files->CanOpenForReading(folder.File("ro.txt")));
    EXPECT_TRUE(files->CanOpenForReading(folder.File("hidden.txt")));
}

TEST_P(FileSystemContract, OnlyFilesOpenForReading) {
    EXPECT_TRUE(files->CanOpenForReading(folder.File("file.txt")));
    EXPECT_FALSE(files->CanOpenForReading(folder.File("sub")));
    EXPECT_FALSE(files->CanOpenForReading(folder.File("missing.txt")));
    EXPECT_FALSE(files->CanOpenForReading(""));
}

TEST_P(FileSystemContract, AFolderCountsAsExistingForFileExistsButAFileNotForDirExists) {
    EXPECT_TRUE(FileExists(app(), folder.File("sub")));
    EXPECT_TRUE(FileExists(app(), folder.File("sub\\")));
    EXPECT_TRUE(FileExists(app(), folder.File("file.txt")));
    EXPECT_FALSE(FileExists(app(), folder.File("missing.txt")));
    EXPECT_FALSE(FileExists(app(), ""));

    EXPECT_TRUE(DirExists(app(), folder.File("sub")));
    EXPECT_FALSE(DirExists(app(), folder.File("file.txt")));
    EXPECT_FALSE(DirExists(app(), folder.File("missing")));
}

TEST_P(FileSystemContract, AFileThatCannotBeOpenedForReadingCountsAsMissing) {
    WriteBytes(folder.HostFile("locked.txt"), "x");
    {
        contract::UnreadableFile locked(folder.File("locked.txt"));
        ASSERT_TRUE(locked.ok());
        uint32_t attributes = 0;
        EXPECT_TRUE(files->GetAttributes(folder.File("locked.txt"), attributes));
        EXPECT_FALSE(files->CanOpenForReading(folder.File("locked.txt")));
        EXPECT_FALSE(FileExists(app(), folder.File("locked.txt")));
    }
    EXPECT_TRUE(FileExists(app(), folder.File("locked.txt")));
}

TEST_P(FileSystemContract, ListingGivesEveryEntryWithItsAttributes) {
    WriteBytes(folder.HostFile("hidden.txt"), "x");
    ASSERT_TRUE(contract::SetHostDosBits(folder.File("hidden.txt"), kAttrHidden));
    WriteBytes(folder.HostFile("system.dat"), "x");
    ASSERT_TRUE(contract::SetHostDosBits(folder.File("system.dat"), kAttrSystem));

    std::vector<DirEntry> entries;
    ASSERT_TRUE(files->ListFolder(folder.path(), entries));
    ASSERT_GE(entries.size(), 2u);
    // "." and ".." come first in a folder that is not a drive root.
    EXPECT_EQ(entries[0].name, ".");
    EXPECT_EQ(entries[1].name, "..");
    EXPECT_NE(entries[0].attributes & kAttrDirectory, 0u);

    std::set<std::string> names;
    for (const DirEntry& e : entries) {
        names.insert(e.name);
        uint32_t expected = 0, mask = kAttrDirectory | kAttrHidden | kAttrSystem;
        if (e.name == "sub") expected = kAttrDirectory;
        if (e.name == "hidden.txt") expected = kAttrHidden;
        if (e.name == "system.dat") expected = kAttrSystem;
        if (e.name == "." || e.name == "..") mask = kAttrDirectory, expected = kAttrDirectory;
        EXPECT_EQ(e.attributes & mask, expected) << e.name;
    }
    EXPECT_EQ(names, (std::set<std::string>{".", "..", "file.txt", "sub", "hidden.txt",
                                            "system.dat"}));
    EXPECT_EQ(entries.size(), names.size());

    std::vector<DirEntry> none;
    EXPECT_FALSE(files->ListFolder(folder.File("missing"), none));
    EXPECT_TRUE(none.empty());
}

TEST_P(FileSystemContract, LastAccessTimeStampInLocalTime) {
    const DateTime stamp{2021, 3, 10, 14, 25, 36};
    ASSERT_TRUE(contract::SetHostAccessTime(folder.File("file.txt"), stamp));
    DateTime read;
    ASSERT_TRUE(files->GetLastAccessTime(folder.File("file.txt"), read));
    EXPECT_EQ(read, stamp);

    const DateTime longAgo{2001, 11, 2, 0, 0, 0};
    ASSERT_TRUE(contract::SetHostAccessTime(folder.File("file.txt"), longAgo));
    ASSERT_TRUE(files->GetLastAccessTime(folder.File("file.txt"), read));
    EXPECT_EQ(read, longAgo);

    EXPECT_FALSE(files->GetLastAccessTime(folder.File("missing.txt"), read));
}

TEST_P(FileSystemContract, CyrillicAndCjkNamesAreFoundListedAndRead) {
    const std::string cyrillicFolder = kCyrillic;
    const std::string cjkFile = kCjk + ".txt";
    std::filesystem::create_directory(folder.HostFile(cyrillicFolder));
    WriteBytes(folder.HostFile(cyrillicFolder) / hostpath::FromUtf8(cjkFile), "x");
    WriteBytes(folder.HostFile(kCyrillic + " " + kCjk + ".exe"), "x");

    const std::string inner = folder.File(cyrillicFolder + "\\" + cjkFile);
    uint32_t attributes = 0;
    ASSERT_TRUE(files->GetAttributes(inner, attributes));
    EXPECT_EQ(attributes & kAttrDirectory, 0u);
    EXPECT_TRUE(files->CanOpenForReading(inner));
    EXPECT_TRUE(FileExists(app(), inner));
    EXPECT_TRUE(FileExists(app(), folder.File(kCyrillic + " " + kCjk + ".exe")));
    EXPECT_TRUE(DirExists(app(), folder.File(cyrillicFolder)));
    EXPECT_FALSE(FileExists(app(), folder.File(cyrillicFolder + "\\" + kCjk + "x.txt")));

    std::vector<DirEntry> entries;
    ASSERT_TRUE(files->ListFolder(folder.File(cyrillicFolder), entries));
    std::set<std::string> names;
    for (const DirEntry& e : entries) names.insert(e.name);
    EXPECT_EQ(names, (std::set<std::string>{".", "..", cjkFile}));

    ASSERT_TRUE(contract::SetHostAccessTime(inner, DateTime{2020, 6, 1, 8, 0, 0}));
    DateTime read;
    ASSERT_TRUE(files->GetLastAccessTime(inner, read));
    EXPECT_EQ(read, (DateTime{2020, 6, 1, 8, 0, 0}));
}

TEST_P(FileSystemContract, NamesResolveWithoutRegardToCase) {
    WriteBytes(folder.HostFile("Mixed.Txt"), "x");
    std::filesystem::create_directory(folder.HostFile(kCyrillic));
    // Привет in capitals: ПРИВЕТ.
    const std::string upperCyrillic = "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2";

    uint32_t attributes = 0;
    EXPECT_TRUE(files->GetAttributes(folder.File("MIXED.TXT"), attributes));
    EXPECT_TRUE(files->CanOpenForReading(folder.File("mixed.txt")));
    EXPECT_TRUE(FileExists(app(), folder.File("FILE.TXT")));
    EXPECT_TRUE(DirExists(app(), folder.File("SUB")));
    EXPECT_TRUE(DirExists(app(), folder.File(upperCyrillic)));
    std::vector<DirEntry> entries;
    EXPECT_TRUE(files->ListFolder(folder.File("Sub"), entries));
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

// Appending log lines and whole-file reads and writes, against every backend.
#include <gtest/gtest.h>

#include "tests/TestSupport.h"
#include "tests/contract/Backends.h"

using testing_support::ReadBytes;
using testing_support::ScratchFolder;
using testing_support::WriteBytes;

namespace {

class FileWriteContract : public ::testing::TestWithParam<contract::FileSystemBackend> {
protected:
    void SetUp() override { files = GetParam().make(); }
    ScratchFolder folder{"fw"};
    std::unique_ptr<FileSystem> files;
};

TEST_P(FileWriteContract, AppendLineCreatesAndAppendsAnsiCrLfLines) {
    std::string log = folder.File("a.log");
    EXPECT_TRUE(files->AppendLine(log, "one"));
    EXPECT_TRUE(files->AppendLine(log, "d\xC3\xA9j\xC3\xA0"));
    EXPECT_TRUE(files->AppendLine(log, ""));
    EXPECT_EQ(ReadBytes(folder.HostFile("a.log")), "one\r\nd\xE9j\xE0\r\n\r\n");
}

TEST_P(FileWriteContract, CreateEmptyEmptiesAnExistingFile) {
    WriteBytes(folder.HostFile("t.log"), "old\r\n");
    EXPECT_TRUE(files->CreateEmpty(folder.File("t.log")));
    EXPECT_EQ(ReadBytes(folder.HostFile("t.log")), "");
}

TEST_P(FileWriteContract, NothingIsWrittenIntoAMissingFolder) {
    EXPECT_FALSE(files->AppendLine(folder.File("missing\\a.log"), "x"));
    EXPECT_FALSE(files->CreateEmpty(folder.File("missing\\b.log")));
    std::string bytes;
    EXPECT_FALSE(files->ReadFile(folder.File("missing\\c.log"), bytes));
}

TEST_P(FileWriteContract, WholeFilesRoundTripTheirBytes) {
    std::string bytes("\xFF\xFE\0x\r\n", 6);
    EXPECT_TRUE(files->WriteFile(folder.File("b.bin"), bytes));
    std::string back;
    EXPECT_TRUE(files->ReadFile(folder.File("b.bin"), back));
    EXPECT_EQ(back, bytes);
}

INSTANTIATE_TEST_SUITE_P(Backends, FileWriteContract,
                         ::testing::ValuesIn(contract::HostFileSystemBackends()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

// Attributes of folders and files named with and without a final separator, against
// every backend: the temporary folder is named with one.
#include <gtest/gtest.h>

#include "tests/TestSupport.h"
#include "tests/contract/Backends.h"

using testing_support::ScratchFolder;
using testing_support::WriteBytes;

namespace {

class FileAttributesContract : public ::testing::TestWithParam<contract::FileSystemBackend> {
  protected:
    void SetUp() override { files = GetParam().make(); }
    ScratchFolder folder{"fa"};
    std::unique_ptr<FileSystem> files;
};

TEST_P(FileAttributesContract, AFinalSeparatorNamesFoldersOnly) {
    std::filesystem::create_directory(folder.HostFile("sub"));
    WriteBytes(folder.HostFile("file.txt"), "x");
    struct Case {
        std::string path;
        bool found;
        bool directory;
    } cases[] = {
        {folder.File("sub"), true, true},
        {folder.File("sub") + "\\", true, true},
        {folder.File("file.txt"), true, false},
        {folder.File("file.txt") + "\\", false, false},
        {folder.File("missing") + "\\", false, false},
    };
    for (const Case& c : cases) {
        uint32_t attributes = 0;
        EXPECT_EQ(files->GetAttributes(c.path, attributes), c.found) << c.path;
        if (c.found) {
            EXPECT_EQ((attributes & kAttrDirectory) != 0, c.directory) << c.path;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, FileAttributesContract,
                         ::testing::ValuesIn(contract::HostFileSystemBackends()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

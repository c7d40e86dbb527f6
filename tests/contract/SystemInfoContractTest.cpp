// Long and short path forms and version resources, as the folder code relies on them,
// against every backend.
#include <gtest/gtest.h>

#include "platform/Text.h"
#include "tests/TestSupport.h"
#include "tests/contract/Backends.h"

using namespace testing_support;

namespace {

constexpr uint32_t kCapacity = 260;
const std::string kUntouched = "untouched";

uint32_t Utf16Length(const std::string& s) {
    return static_cast<uint32_t>(text::Utf8ToUtf16(s).size());
}

class SystemInfoContract : public ::testing::TestWithParam<contract::SystemInfoBackend> {
  protected:
    void SetUp() override { system = GetParam().make(); }
    // A folder of the scratch folder, created; its path as the program names it.
    std::string MakeFolder(const std::string& name) {
        std::filesystem::create_directory(folder.HostFile(name));
        return folder.File(name);
    }
    ScratchFolder folder{"paths"};
    std::unique_ptr<SystemInfo> system;
};

// The long form of an existing long path is the path itself, counted in UTF-16 units (an
// emoji counts two); a buffer too small gives the count needed and no result.
TEST_P(SystemInfoContract, LongFormOfAnExistingLongPathIsThePathItself) {
    for (const std::string& name :
         {std::string("Long Folder Name"),
          std::string("\xC3\x84rger \xE2\x82\xAC \xE6\x96\x87 \xF0\x9F\x98\x80")}) {
        std::string path = MakeFolder(name);
        uint32_t length = Utf16Length(path);
        for (const std::string& asked : {path, path + "\\"}) {
            std::string result = kUntouched;
            EXPECT_EQ(system->LongPathName(asked, kCapacity, result), Utf16Length(asked)) << asked;
            EXPECT_EQ(result, asked);
        }
        for (uint32_t capacity : {5u, length}) {
            std::string result = kUntouched;
            EXPECT_EQ(system->LongPathName(path, capacity, result), length + 1) << capacity;
            EXPECT_EQ(result, kUntouched);
        }
        std::string result;
        EXPECT_EQ(system->LongPathName(path, length + 1, result), length);
    }
}

TEST_P(SystemInfoContract, AMissingOrEmptyPathGivesZero) {
    for (const std::string& path :
         {folder.File("missing"), folder.File("missing") + "\\deeper\\file.txt", std::string()}) {
        std::string result = kUntouched;
        EXPECT_EQ(system->LongPathName(path, kCapacity, result), 0u) << path;
        EXPECT_EQ(system->ShortPathName(path, kCapacity, result), 0u) << path;
        EXPECT_EQ(result, kUntouched) << path;
    }
}

TEST_P(SystemInfoContract, ShortFormLeadsBackToTheLongForm) {
    std::string path = MakeFolder("A folder with a long name");
    WriteBytes(folder.HostFile("A folder with a long name") / "some document.txt", "x");
    for (const std::string& asked : {path, path + "\\some document.txt"}) {
        std::string shortForm, longForm;
        uint32_t n = system->ShortPathName(asked, kCapacity, shortForm);
        ASSERT_GE(n, 1u) << asked;
        ASSERT_LT(n, kCapacity) << asked;
        EXPECT_EQ(n, Utf16Length(shortForm));
        EXPECT_EQ(system->LongPathName(shortForm, kCapacity, longForm), Utf16Length(asked));
        EXPECT_EQ(longForm, asked) << shortForm;
    }
}

TEST_P(SystemInfoContract, AFileWithoutVersionResourceHasNone) {
    WriteBytes(folder.HostFile("plain.dll"), "MZ not really a program");
    for (const std::string& path : {folder.File("plain.dll"), folder.File("missing.dll")}) {
        uint32_t size = 99;
        FileVersionParts parts{1, 2, 3, 4};
        EXPECT_FALSE(system->FileVersion(path, size, parts)) << path;
        EXPECT_EQ(size, 0u) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, SystemInfoContract,
                         ::testing::ValuesIn(contract::HostSystemInfoBackends()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

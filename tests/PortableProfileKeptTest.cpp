// The portable profile may keep a file's parsed lines, but a change made right after a
// read is seen by the next read, whatever the change.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/PortableProfile.h"
#include "tests/TestSupport.h"

using testing_support::WriteBytes;
namespace fs = std::filesystem;

namespace {

TEST(PortableProfileKept, AChangeRightAfterAReadIsSeen) {
    testing_support::ScratchFolder folder{"kept"};
    const std::string ini = folder.File("eng.txt");
    const fs::path host = folder.HostFile("eng.txt");
    PortableFileSystem files;
    PortableProfile profile{files};
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"one", [] {}},
        {"two", [&] { WriteBytes(host, "[Lang]\r\nk=two\r\n"); }},  // same size, same second
        {"three", [&] { WriteBytes(host, "[Lang]\r\nk=three\r\n"); }},
        {"new",
         [&] {
             WriteBytes(folder.HostFile("new.txt"), "[Lang]\r\nk=new\r\n");
             fs::rename(folder.HostFile("new.txt"), host);
         }},
        {"six", [&] { EXPECT_EQ(profile.WriteString("Lang", "k", "six", ini), 0); }},
        {"def", [&] { fs::remove(host); }},
    };
    WriteBytes(host, "[Lang]\r\nk=one\r\n");
    for (const auto& [expected, change] : changes) {
        change();
        EXPECT_EQ(profile.GetString("Lang", "k", "def", ini, 2048), expected);
    }
}

}  // namespace

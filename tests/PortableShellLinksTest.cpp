// Portable shell links inside a world: link files found through mapped drive letters,
// retargets that describe the new target's drive, and writes the world refuses.
#include <gtest/gtest.h>

#include "platform/portable/ShellLinkFile.h"
#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

class PortableShellLinksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        world.files.MapDrive('C', driveC.path());
        world.files.MapDrive('E', driveE.path(), kDriveCdrom);
        std::filesystem::create_directories(driveC.HostFile("Apps"));
        std::filesystem::create_directories(driveC.HostFile("Links"));
        WriteBytes(driveC.HostFile("Apps/tool.exe"), "MZ");
        WriteBytes(driveE.HostFile("setup.exe"), "MZ");
    }
    std::string WriteLink(const std::string& name, const std::string& target,
                          const std::string& arguments = "") {
        ShellLinkInfo fields;
        fields.target = target;
        fields.arguments = arguments;
        std::string bytes = NewShellLinkBytes(fields);
        WriteBytes(driveC.HostFile("Links/" + name), bytes);
        return bytes;
    }

    testing_support::ScratchFolder driveC{"c"}, driveE{"e"};
    PortableWorld world;
    ShellLinks& links = world.platform.links;
};

TEST_F(PortableShellLinksTest, RetargetDescribesTheNewTargetAsTheWorldSeesIt) {
    struct Case {
        std::string target;
        bool isFolder;
        uint32_t driveType;
    } cases[] = {{"C:\\Apps\\tool.exe", false, kDriveFixed},
                 {"C:\\Apps", true, kDriveFixed},
                 {"E:\\setup.exe", false, kDriveCdrom},
                 {"Q:\\gone.exe", false, kDriveFixed}};  // a drive the world lacks
    // Link files are found through the world's drive letters, in any case.
    WriteLink("Tool.lnk", "C:\\Apps\\tool.exe", "/run");
    ShellLinkInfo read;
    ShellLinkError readError;
    ASSERT_TRUE(links.Read("c:\\links\\tool.LNK", read, readError)) << readError.description;
    EXPECT_EQ(read.target + " " + read.arguments, "C:\\Apps\\tool.exe /run");
    EXPECT_FALSE(links.Read("D:\\Links\\Tool.lnk", read, readError));
    EXPECT_EQ(readError.number, kLinkFileNotFound);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        WriteLink("r.lnk", "C:\\Old\\old.exe");
        ShellLinkError error;
        ASSERT_TRUE(links.Retarget("C:\\Links\\r.lnk", c.target, error)) << error.description;
        shelllink::LinkFile link;
        std::string parseError;
        ASSERT_TRUE(shelllink::Parse(ReadBytes(driveC.HostFile("Links/r.lnk")), link, parseError))
            << parseError;
        EXPECT_EQ(shelllink::TargetPath(link), c.target);
        ASSERT_TRUE(link.linkInfo.has_value());
        EXPECT_EQ(link.linkInfo->driveType, c.driveType);
        EXPECT_EQ((link.fileAttributes & kAttrDirectory) != 0, c.isFolder);
    }
}

TEST_F(PortableShellLinksTest, ALinkTheWorldMayNotWriteStaysAsItWas) {
#ifdef _WIN32
    GTEST_SKIP() << "host permission bits stand for access rights only off Windows";
#endif
    std::string bytes = WriteLink("ro.lnk", "C:\\Old\\old.exe");
    namespace fs = std::filesystem;
    fs::permissions(driveC.HostFile("Links/ro.lnk"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ShellLinkError error;
    EXPECT_FALSE(links.Retarget("C:\\Links\\ro.lnk", "C:\\Apps\\tool.exe", error));
    EXPECT_EQ(error.number, kLinkAccessDenied);
    EXPECT_EQ(ReadBytes(driveC.HostFile("Links/ro.lnk")), bytes);
}

}  // namespace

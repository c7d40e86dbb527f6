// Portable shell links inside a world: link files found through mapped drive letters,
// retargets that describe the new target's drive, and writes the world refuses.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/portable/PortableWorld.h"
#include "platform/portable/ShellItemIds.h"
#include "platform/portable/ShellLinkFile.h"
#include "tests/TestSupport.h"

using testing_support::ReadBytes;
using testing_support::ScratchFolder;
using testing_support::WriteBytes;

namespace {

class PortableShellLinksTest : public ::testing::Test {
protected:
    void SetUp() override {
        world.files.MapDrive('C', driveC.path());
        world.files.MapDrive('E', driveE.path(), kDriveCdrom);
        std::filesystem::create_directories(driveC.HostFile("Links"));
        std::filesystem::create_directories(driveC.HostFile("Apps"));
        WriteBytes(driveC.HostFile("Apps/tool.exe"), "MZ");
        WriteBytes(driveE.HostFile("setup.exe"), "MZ");
    }

    shelllink::LinkFile ParseHostFile(const std::string& name) {
        shelllink::LinkFile link;
        std::string error;
        EXPECT_TRUE(shelllink::Parse(ReadBytes(driveC.HostFile(name)), link, error)) << error;
        return link;
    }

    ScratchFolder driveC{"c"};
    ScratchFolder driveE{"e"};
    PortableWorld world;
};

TEST_F(PortableShellLinksTest, LinksAreFoundThroughTheWorldsDriveLetters) {
    ShellLinkInfo fields;
    fields.target = "C:\\Apps\\tool.exe";
    fields.arguments = "/run";
    WriteBytes(driveC.HostFile("Links/Tool.lnk"), NewShellLinkBytes(fields));
    ShellLinkInfo read;
    ShellLinkError error;
    ASSERT_TRUE(world.platform.links.Read("c:\\links\\tool.LNK", read, error)) << error.description;
    EXPECT_EQ(read.target, "C:\\Apps\\tool.exe");
    EXPECT_EQ(read.arguments, "/run");
    EXPECT_FALSE(world.platform.links.Read("D:\\Links\\Tool.lnk", read, error));
    EXPECT_EQ(error.number, kLinkFileNotFound);
}

TEST_F(PortableShellLinksTest, RetargetDescribesTheNewTargetAsTheWorldSeesIt) {
    struct Case {
        const char* label;
        std::string target;
        bool isFolder;
        uint32_t driveType;
    };
    const Case cases[] = {
        {"file on the fixed disk", "C:\\Apps\\tool.exe", false, kDriveFixed},
        {"folder on the fixed disk", "C:\\Apps", true, kDriveFixed},
        {"file on the CD-ROM", "E:\\setup.exe", false, kDriveCdrom},
        {"file on a drive the world lacks", "Q:\\gone.exe", false, kDriveFixed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ShellLinkInfo fields;
        fields.target = "C:\\Old\\old.exe";
        WriteBytes(driveC.HostFile("Links/r.lnk"), NewShellLinkBytes(fields));
        ShellLinkError error;
        ASSERT_TRUE(world.platform.links.Retarget("C:\\Links\\r.lnk", c.target, error))
            << error.description;
        shelllink::LinkFile link = ParseHostFile("Links/r.lnk");
        EXPECT_EQ(shelllink::TargetPath(link), c.target);
        ASSERT_TRUE(link.linkInfo.has_value());
        EXPECT_EQ(link.linkInfo->driveType, c.driveType);
        EXPECT_EQ((link.fileAttributes & kAttrDirectory) != 0, c.isFolder);
        std::vector<std::string_view> items;
        ASSERT_TRUE(shellitems::SplitIdList(link.idList, items));
        ASSERT_GE(items.size(), 3u);
        EXPECT_EQ(items.back()[2], c.isFolder ? '\x31' : '\x32');
    }
}

TEST_F(PortableShellLinksTest, ALinkTheWorldMayNotWriteStaysAsItWas) {
#ifdef _WIN32
    GTEST_SKIP() << "host permission bits stand for access rights only off Windows";
#endif
    ShellLinkInfo fields;
    fields.target = "C:\\Old\\old.exe";
    std::string bytes = NewShellLinkBytes(fields);
    WriteBytes(driveC.HostFile("Links/ro.lnk"), bytes);
    std::filesystem::permissions(driveC.HostFile("Links/ro.lnk"),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    ShellLinkError error;
    EXPECT_FALSE(world.platform.links.Retarget("C:\\Links\\ro.lnk", "C:\\Apps\\tool.exe", error));
    EXPECT_EQ(error.number, kLinkAccessDenied);
    EXPECT_EQ(ReadBytes(driveC.HostFile("Links/ro.lnk")), bytes);
}

}  // namespace

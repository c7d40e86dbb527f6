// Reading and retargeting shell links, against every backend: links written by the
// portable writer, read back; retargets that keep the other fields; damaged files.
#include <gtest/gtest.h>

#include "platform/portable/PortableShellLinks.h"
#include "tests/TestSupport.h"
#include "tests/contract/Backends.h"

using namespace testing_support;

namespace {

constexpr int32_t kShowMaximized = 3;

ShellLinkInfo Fields(const std::string& target, int32_t showCommand = kShowMaximized) {
    ShellLinkInfo f;
    f.target = target;
    f.arguments = "/x \"y z\" --имя=值";
    f.description = "The app: Описание 説明";
    f.workingDirectory = "C:\\Program Files\\App";
    f.iconLocation = "C:\\Program Files\\App\\app.exe";
    f.iconIndex = 2;
    f.hotKey = 0x0641;  // Ctrl+Alt+A
    f.showCommand = showCommand;
    return f;
}

class ShellLinkContract : public ::testing::TestWithParam<contract::ShellLinksBackend> {
  protected:
    void SetUp() override { links = GetParam().make(); }

    std::string WriteLink(const std::string& name, const ShellLinkInfo& fields,
                          bool targetIsFolder = false) {
        WriteBytes(folder.HostFile(name), NewShellLinkBytes(fields, targetIsFolder));
        return folder.File(name);
    }
    bool IsWine() const { return GetParam().name == "Win32"; }

    // Reads `link` and expects `written` back. Known Wine 8 bugs: its link object takes
    // the target only from the ANSI local path of LinkInfo, so network-only links read
    // as having no target (characters outside the code page come back as '?', which
    // the backend repairs from the file); and it does not load the show command, which
    // always reads back as 1.
    void ExpectReadBack(const std::string& link, const ShellLinkInfo& written) {
        ShellLinkInfo read;
        ShellLinkError error;
        ASSERT_TRUE(links->Read(link, read, error)) << error.number << " " << error.description;
        EXPECT_EQ(read.target,
                  IsWine() && written.target.starts_with("\\\\") ? "" : written.target);
        EXPECT_EQ(read.arguments + "|" + read.description + "|" + read.workingDirectory + "|" +
                      read.iconLocation,
                  written.arguments + "|" + written.description + "|" + written.workingDirectory +
                      "|" + written.iconLocation);
        EXPECT_EQ(read.iconIndex, written.iconIndex);
        EXPECT_EQ(read.hotKey, written.hotKey);
        EXPECT_EQ(read.showCommand, IsWine() ? 1 : written.showCommand);
    }

    ScratchFolder folder{"lnk"};
    std::unique_ptr<ShellLinks> links;
};

TEST_P(ShellLinkContract, WrittenLinksReadBackWithTheirFields) {
    WriteBytes(folder.HostFile("present.txt"), "x");
    struct Case {
        std::string target;
        bool targetIsFolder;
        int32_t showCommand;
    } cases[] = {
        {"C:\\Gone\\app.exe", false, kShowMaximized},
        {"C:\\Program Files\\Some App\\the program.exe", false, 7},
        {"C:\\Windows", true, 1},
        {"D:\\", true, 1},
        {folder.File("present.txt"), false, kShowMaximized},
        {"\\\\server\\share\\dir\\f.txt", false, 1},
        {"\\\\server\\share", true, 1},
        {"C:\\Папка\\файл.txt", false, 1},
        {"C:\\文件\\测试.txt", false, 1},
        {"C:\\Café\\menü.exe", false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        ShellLinkInfo written = Fields(c.target, c.showCommand);
        ExpectReadBack(WriteLink("a.lnk", written, c.targetIsFolder), written);
    }
}

TEST_P(ShellLinkContract, TextsAreCutToTheBuffersTheyAreReadWith) {
    ShellLinkInfo written = Fields("C:\\App\\app.exe");
    written.arguments = std::string(300, 'a');
    written.workingDirectory = "C:\\" + std::string(300, 'w');
    written.description = std::string(1100, 'd');
    ShellLinkInfo read;
    ShellLinkError error;
    ASSERT_TRUE(links->Read(WriteLink("long.lnk", written), read, error)) << error.description;
    EXPECT_EQ(read.arguments, std::string(259, 'a'));
    EXPECT_EQ(read.workingDirectory, written.workingDirectory.substr(0, 259));
    EXPECT_EQ(read.description, std::string(1023, 'd'));
}

TEST_P(ShellLinkContract, FieldsOfAnEarlierLinkDoNotCarryOver) {
    std::string full = WriteLink("full.lnk", Fields("C:\\App\\app.exe"));
    ShellLinkInfo bare;
    bare.target = "C:\\Other\\other.exe";
    bare.showCommand = 1;
    std::string plain = WriteLink("bare.lnk", bare);
    ShellLinkInfo read;
    ShellLinkError error;
    ASSERT_TRUE(links->Read(full, read, error));
    ASSERT_TRUE(links->Read(plain, read, error));
    EXPECT_EQ(read.target, "C:\\Other\\other.exe");
    EXPECT_EQ(read.arguments + read.description + read.workingDirectory + read.iconLocation, "");
    EXPECT_EQ(read.hotKey, 0);
}

TEST_P(ShellLinkContract, RetargetPointsTheLinkElsewhereAndKeepsItsOtherFields) {
    WriteBytes(folder.HostFile("moved.exe"), "MZ");
    std::filesystem::create_directory(folder.HostFile("Moved Folder"));
    // An empty path leaves a link to nothing.
    for (const std::string& newTarget :
         {folder.File("moved.exe"), folder.File("Moved Folder"), std::string()}) {
        SCOPED_TRACE(newTarget);
        ShellLinkInfo written = Fields("C:\\Gone\\app.exe");
        std::string link = WriteLink("r.lnk", written);
        ShellLinkError error;
        ASSERT_TRUE(links->Retarget(link, newTarget, error))
            << error.number << " " << error.description;
        written.target = newTarget;
        ExpectReadBack(link, written);
    }
}

TEST_P(ShellLinkContract, DamagedForeignAndMissingFilesFailAndStayAsTheyWere) {
    std::string good = NewShellLinkBytes(Fields("C:\\App\\app.exe"));
    std::string otherClass = good;
    otherClass[4] = '\x02';
    std::filesystem::create_directory(folder.HostFile("dir.lnk"));  // a folder is not a link
    const std::pair<std::string, int32_t> cases[] = {
        {"", kLinkUnreadable},
        {"[InternetShortcut]\r\nURL=http://example.com/\r\n", kLinkUnreadable},
        {good.substr(0, 76), kLinkUnreadable},
        {good.substr(0, 100), kLinkUnreadable},
        {otherClass, kLinkUnreadable},
        {"none", kLinkFileNotFound},
        {"dir", kLinkAccessDenied},
    };
    for (const auto& [bytes, number] : cases) {
        SCOPED_TRACE(bytes.size());
        std::string name = number == kLinkUnreadable ? "bad.lnk" : bytes + ".lnk";
        if (number == kLinkUnreadable) WriteBytes(folder.HostFile(name), bytes);
        ShellLinkInfo read;
        ShellLinkError error;
        EXPECT_FALSE(links->Read(folder.File(name), read, error));
        EXPECT_EQ(error.number, number);
        EXPECT_FALSE(error.description.empty());
        if (number == kLinkAccessDenied) continue;
        error = ShellLinkError{};
        EXPECT_FALSE(links->Retarget(folder.File(name), "C:\\x.exe", error));
        EXPECT_EQ(error.number, number);
        EXPECT_EQ(testing_support::Exists(folder.HostFile(name)), number == kLinkUnreadable);
        if (number == kLinkUnreadable) {
            EXPECT_EQ(ReadBytes(folder.HostFile(name)), bytes);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, ShellLinkContract,
                         ::testing::ValuesIn(contract::HostShellLinksBackends()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

// Reading and retargeting shell links, against every backend: links written by the
// portable writer, read back; retargets that keep the other fields; damaged files.
#include <gtest/gtest.h>

#include "platform/Text.h"
#include "platform/portable/PortableShellLinks.h"
#include "tests/TestSupport.h"
#include "tests/contract/Backends.h"

using testing_support::ReadBytes;
using testing_support::ScratchFolder;
using testing_support::WriteBytes;

namespace {

constexpr int32_t kShowMaximized = 3;
constexpr int32_t kShowMinNoActive = 7;

ShellLinkInfo Fields(const std::string& target) {
    ShellLinkInfo f;
    f.target = target;
    f.arguments = "/x \"y z\"";
    f.description = "The app";
    f.workingDirectory = "C:\\Program Files\\App";
    f.iconLocation = "C:\\Program Files\\App\\app.exe";
    f.iconIndex = 2;
    f.hotKey = 0x0641;  // Ctrl+Alt+A
    f.showCommand = kShowMaximized;
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

    // Known Wine 8 bug: its link object takes the target only from the ANSI local path
    // of LinkInfo, so network-only links read as having no target. (Characters outside
    // the code page come back as '?', which the backend repairs from the file.)
    std::string ExpectedTarget(const std::string& written) const {
        if (IsWine() && written.rfind("\\\\", 0) == 0) return "";
        return written;
    }

    // Known Wine 8 bug: the show command is not loaded; it always reads back as 1.
    int32_t ExpectedShowCommand(int32_t written) const { return IsWine() ? 1 : written; }

    void ExpectFieldsOtherThanTarget(const ShellLinkInfo& read, const ShellLinkInfo& written) {
        EXPECT_EQ(read.arguments, written.arguments);
        EXPECT_EQ(read.description, written.description);
        EXPECT_EQ(read.workingDirectory, written.workingDirectory);
        EXPECT_EQ(read.iconLocation, written.iconLocation);
        EXPECT_EQ(read.iconIndex, written.iconIndex);
        EXPECT_EQ(read.hotKey, written.hotKey);
        EXPECT_EQ(read.showCommand, ExpectedShowCommand(written.showCommand));
    }

    ScratchFolder folder{"lnk"};
    std::unique_ptr<ShellLinks> links;
};

TEST_P(ShellLinkContract, WrittenLinksReadBackWithTheirFields) {
    struct Case {
        const char* label;
        std::string target;
        bool targetIsFolder;
        int32_t showCommand;
    };
    std::string existing = folder.File("present.txt");
    WriteBytes(folder.HostFile("present.txt"), "x");
    const Case cases[] = {
        {"missing file", "C:\\Gone\\app.exe", false, kShowMaximized},
        {"long names", "C:\\Program Files\\Some App\\the program.exe", false, kShowMinNoActive},
        {"folder", "C:\\Windows", true, 1},
        {"drive root", "D:\\", true, 1},
        {"existing file", existing, false, kShowMaximized},
        {"network", "\\\\server\\share\\dir\\f.txt", false, 1},
        {"network share", "\\\\server\\share", true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ShellLinkInfo written = Fields(c.target);
        written.showCommand = c.showCommand;
        std::string link = WriteLink("a.lnk", written, c.targetIsFolder);
        ShellLinkInfo read;
        ShellLinkError error;
        ASSERT_TRUE(links->Read(link, read, error)) << error.number << " " << error.description;
        EXPECT_EQ(read.target, ExpectedTarget(c.target));
        ExpectFieldsOtherThanTarget(read, written);
    }
}

TEST_P(ShellLinkContract, NonAsciiTargetsAndFieldsReadBack) {
    struct Case {
        const char* label;
        std::string target;
    };
    const Case cases[] = {
        {"Cyrillic", "C:\\Папка\\файл.txt"},
        {"CJK", "C:\\文件\\测试.txt"},
        {"Latin-1", "C:\\Café\\menü.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ShellLinkInfo written = Fields(c.target);
        written.arguments = "--имя=值";
        written.description = "Описание 説明";
        std::string link = WriteLink("n.lnk", written);
        ShellLinkInfo read;
        ShellLinkError error;
        ASSERT_TRUE(links->Read(link, read, error)) << error.number << " " << error.description;
        EXPECT_EQ(read.target, ExpectedTarget(c.target));
        ExpectFieldsOtherThanTarget(read, written);
    }
}

TEST_P(ShellLinkContract, TextsAreCutToTheBuffersTheyAreReadWith) {
    ShellLinkInfo written = Fields("C:\\App\\app.exe");
    written.arguments = std::string(300, 'a');
    written.workingDirectory = "C:\\" + std::string(300, 'w');
    written.description = std::string(1100, 'd');
    std::string link = WriteLink("long.lnk", written);
    ShellLinkInfo read;
    ShellLinkError error;
    ASSERT_TRUE(links->Read(link, read, error)) << error.number << " " << error.description;
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
    EXPECT_EQ(read.arguments, "");
    EXPECT_EQ(read.description, "");
    EXPECT_EQ(read.workingDirectory, "");
    EXPECT_EQ(read.iconLocation, "");
    EXPECT_EQ(read.hotKey, 0);
}

TEST_P(ShellLinkContract, RetargetPointsTheLinkElsewhereAndKeepsItsOtherFields) {
    WriteBytes(folder.HostFile("moved.exe"), "MZ");
    std::filesystem::create_directory(folder.HostFile("Moved Folder"));
    struct Case {
        const char* label;
        std::string newTarget;
    };
    const Case cases[] = {
        {"file", folder.File("moved.exe")},
        {"folder", folder.File("Moved Folder")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ShellLinkInfo written = Fields("C:\\Gone\\app.exe");
        std::string link = WriteLink("r.lnk", written);
        ShellLinkError error;
        ASSERT_TRUE(links->Retarget(link, c.newTarget, error))
            << error.number << " " << error.description;
        ShellLinkInfo read;
        ASSERT_TRUE(links->Read(link, read, error)) << error.number << " " << error.description;
        EXPECT_EQ(read.target, c.newTarget);
        ExpectFieldsOtherThanTarget(read, written);
    }
}

TEST_P(ShellLinkContract, DamagedAndForeignFilesFailAndStayAsTheyWere) {
    std::string good = NewShellLinkBytes(Fields("C:\\App\\app.exe"));
    std::string otherClass = good;
    otherClass[4] = '\x02';
    struct Case {
        const char* label;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"text", "[InternetShortcut]\r\nURL=http://example.com/\r\n"},
        {"header only", good.substr(0, 76)},
        {"cut in the ID list", good.substr(0, 100)},
        {"other class", otherClass},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        WriteBytes(folder.HostFile("bad.lnk"), c.bytes);
        ShellLinkInfo read;
        ShellLinkError error;
        EXPECT_FALSE(links->Read(folder.File("bad.lnk"), read, error));
        EXPECT_EQ(error.number, kLinkUnreadable);
        EXPECT_FALSE(error.description.empty());
        error = ShellLinkError{};
        EXPECT_FALSE(links->Retarget(folder.File("bad.lnk"), "C:\\x.exe", error));
        EXPECT_EQ(error.number, kLinkUnreadable);
        EXPECT_EQ(ReadBytes(folder.HostFile("bad.lnk")), c.bytes);
    }
}

TEST_P(ShellLinkContract, AMissingLinkFileIsNotFound) {
    ShellLinkInfo read;
    ShellLinkError error;
    EXPECT_FALSE(links->Read(folder.File("none.lnk"), read, error));
    EXPECT_EQ(error.number, kLinkFileNotFound);
    EXPECT_FALSE(error.description.empty());
    error = ShellLinkError{};
    EXPECT_FALSE(links->Retarget(folder.File("none.lnk"), "C:\\x.exe", error));
    EXPECT_EQ(error.number, kLinkFileNotFound);
    EXPECT_FALSE(testing_support::Exists(folder.HostFile("none.lnk")));
}

TEST_P(ShellLinkContract, AFolderIsNotALink) {
    std::filesystem::create_directory(folder.HostFile("dir.lnk"));
    ShellLinkInfo read;
    ShellLinkError error;
    EXPECT_FALSE(links->Read(folder.File("dir.lnk"), read, error));
    EXPECT_EQ(error.number, kLinkAccessDenied);
}

TEST_P(ShellLinkContract, RetargetToAnEmptyPathLeavesALinkToNothing) {
    ShellLinkInfo written = Fields("C:\\App\\app.exe");
    std::string link = WriteLink("e.lnk", written);
    ShellLinkError error;
    ASSERT_TRUE(links->Retarget(link, "", error)) << error.number << " " << error.description;
    ShellLinkInfo read;
    ASSERT_TRUE(links->Read(link, read, error)) << error.number << " " << error.description;
    EXPECT_EQ(read.target, "");
    ExpectFieldsOtherThanTarget(read, written);
}

INSTANTIATE_TEST_SUITE_P(Backends, ShellLinkContract,
                         ::testing::ValuesIn(contract::HostShellLinksBackends()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

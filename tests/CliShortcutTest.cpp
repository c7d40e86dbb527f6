// brivolex-cli shortcut: what the machine's shell-link reader finds in each file.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/portable/PortableShellLinks.h"
#include "tests/TestSupport.h"

using testing_support::JsonField;
using testing_support::RunBuiltProgram;
using testing_support::ScratchFolder;
using testing_support::WriteBytes;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(CliShortcut, PrintsOneJsonObjectPerFile) {
    ScratchFolder folder("cli");
    ShellLinkInfo fields;
    fields.target = "C:\\Program Files\\\xD0\x9F\xD1\x80\xD0\xBE\\app.exe";
    fields.arguments = "--start \"x y\"";
    fields.description = "The app";
    fields.workingDirectory = "C:\\Program Files";
    fields.iconLocation = "C:\\Program Files\\app.ico";
    WriteBytes(folder.HostFile("good.lnk"), NewShellLinkBytes(fields));
    WriteBytes(folder.HostFile("bad.lnk"), "not a link");

    auto run = RunBuiltProgram("brivolex-cli", {"shortcut", "--json", folder.File("good.lnk"),
                                                folder.File("bad.lnk")});
    EXPECT_EQ(run.status, 1);
    std::vector<std::string> lines = Lines(run.output);
    ASSERT_EQ(lines.size(), 2u) << run.output;
    EXPECT_EQ(JsonField(lines[0], "file"), folder.File("good.lnk"));
    EXPECT_EQ(JsonField(lines[0], "ok"), "true");
    EXPECT_EQ(JsonField(lines[0], "target"), fields.target);
    EXPECT_EQ(JsonField(lines[0], "arguments"), fields.arguments);
    EXPECT_EQ(JsonField(lines[0], "description"), fields.description);
    EXPECT_EQ(JsonField(lines[0], "workingDirectory"), fields.workingDirectory);
    EXPECT_EQ(JsonField(lines[0], "iconLocation"), fields.iconLocation);
    EXPECT_EQ(JsonField(lines[1], "file"), folder.File("bad.lnk"));
    EXPECT_EQ(JsonField(lines[1], "ok"), "false");
    EXPECT_NE(JsonField(lines[1], "error"), "<missing>");
}

TEST(CliShortcut, AllReadableFilesExitWithZero) {
    ScratchFolder folder("cli");
    ShellLinkInfo fields;
    fields.target = "C:\\Windows\\notepad.exe";
    WriteBytes(folder.HostFile("n.lnk"), NewShellLinkBytes(fields));
    auto run = RunBuiltProgram("brivolex-cli", {"shortcut", folder.File("n.lnk")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("  target:            C:\\Windows\\notepad.exe"), std::string::npos)
        << run.output;
}

}  // namespace

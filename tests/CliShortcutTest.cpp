// brivolex-cli shortcut: what the machine's shell-link reader finds in each file.
#include <gtest/gtest.h>

#include "platform/portable/PortableShellLinks.h"
#include "tests/TestSupport.h"

using testing_support::JsonField;
using testing_support::RunBuiltProgram;
using testing_support::WriteBytes;

namespace {

TEST(CliShortcut, PrintsEachFilesFieldsAndExitsWithOneWhenAFileIsUnreadable) {
    testing_support::ScratchFolder folder("cli");
    ShellLinkInfo fields;
    fields.target = "C:\\Program Files\\\xD0\x9F\xD1\x80\xD0\xBE\\app.exe";
    fields.arguments = "--start \"x y\"";
    fields.description = "The app";
    fields.workingDirectory = "C:\\Program Files";
    fields.iconLocation = "C:\\Program Files\\app.ico";
    WriteBytes(folder.HostFile("good.lnk"), NewShellLinkBytes(fields));
    WriteBytes(folder.HostFile("bad.lnk"), "not a link");

    auto run = RunBuiltProgram(
        "brivolex-cli", {"shortcut", "--json", folder.File("good.lnk"), folder.File("bad.lnk")});
    EXPECT_EQ(run.status, 1);
    // One line per file.
    size_t newline = run.output.find('\n');
    ASSERT_NE(newline, std::string::npos) << run.output;
    std::string good = run.output.substr(0, newline), bad = run.output.substr(newline + 1);
    EXPECT_EQ(bad.find('\n'), bad.size() - 1);
    for (const auto& [key, value] :
         {std::pair<std::string, std::string>{"file", folder.File("good.lnk")}, {"ok", "true"},
          {"target", fields.target}, {"arguments", fields.arguments},
          {"description", fields.description}, {"workingDirectory", fields.workingDirectory},
          {"iconLocation", fields.iconLocation}})
        EXPECT_EQ(JsonField(good, key), value) << key;
    EXPECT_EQ(JsonField(bad, "ok"), "false");
    EXPECT_NE(JsonField(bad, "error"), "<missing>");
    run = RunBuiltProgram("brivolex-cli", {"shortcut", folder.File("good.lnk")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("  target:            " + fields.target), std::string::npos)
        << run.output;
}

}  // namespace

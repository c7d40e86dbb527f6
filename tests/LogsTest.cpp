#include <gtest/gtest.h>

#include "core/Errors.h"
#include "core/Logs.h"
#include "tests/TestSupport.h"
#include "ui/SaveResults.h"

using namespace testing_support;

namespace {

TEST(Logs, EachWriterAppendsOneAnsiCrLfLineToItsOwnFile) {
    TestApp t;
    t.world.clock.Fix(DateTime{2026, 12, 4, 17, 5, 9});
    WriteLog(t.app, "first");
    WriteLog(t.app, "caf\xC3\xA9 \xE2\x82\xAC\r\nnext");  // line breaks spread over lines
    WriteTrace(t.app, "old run");
    WriteProblemLog(t.app, "Problem: x");
    EXPECT_EQ(ReadBytes(t.folder.HostFile("app.log")), "first\r\ncaf\xE9 \x80\r\nnext\r\n");
    EXPECT_EQ(ReadBytes(t.folder.HostFile("app2.log")), "old run\r\n");
    // The problem log carries the regional date and time.
    EXPECT_EQ(ReadBytes(t.folder.HostFile("app3.log")), "12/4/2026 5:05:09 PM: Problem: x\r\n");
    // A new run empties only the trace.
    ClearTrace(t.app);
    WriteTrace(t.app, "Main");
    EXPECT_EQ(ReadBytes(t.folder.HostFile("app2.log")), "Main\r\n");
    EXPECT_EQ(t.Lines("app.log").size(), 3u);
    EXPECT_EQ(t.Lines("app3.log").size(), 1u);
}

TEST(Logs, ErrorLines) {
    TestApp t;
    // The system text keeps its CR and loses its LF; a code without text gives "".
    std::string text = GetSystemErrorText(t.app, 2);
    EXPECT_EQ(text, "The system cannot find the file specified.\r");
    EXPECT_EQ(GetSystemErrorText(t.app, 9999), "");
    EXPECT_THROW(GetSystemErrorText(t.app, 40000), RuntimeError);  // not a 16-bit code
    const std::pair<RegKey, const char*> hives[] = {
        {HKCR, "HKCR"}, {HKCU, "HKCU"}, {HKLM, "HKLM"}, {0x80000004u, "-2147483644"}, {42, "42"}};
    std::string expected;
    for (const auto& [hive, name] : hives) {
        LogRegistryError(t.app, "RegOpenKeyEx", hive, "A\\B", 2);
        expected += std::string("RegOpenKeyEx for ") + name + "\\A\\B failed with error: (2) " +
                    text + "\r\n";
    }
    // Nothing when the line cannot be built.
    LogRegistryError(t.app, "RegDeleteValue", HKLM, "K", 70000);
    EXPECT_EQ(ReadBytes(t.folder.HostFile("app2.log")), expected);
}

// A report that cannot be written leaves one line in the trace and shows no message.
TEST(Logs, AReportThatCannotBeWrittenIsTraced) {
    TestApp t;
    const std::string failed = "SaveResults: the report could not be written to ";
    const std::string written = t.folder.File("report.htm");
    const std::string missingFolder = t.folder.File("missing\\report.htm");
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {written, {"SaveResults"}},
        {missingFolder, {"SaveResults", failed + missingFolder}},
        {t.folder.path(), {"SaveResults", failed + t.folder.path()}},
    };
    for (const auto& [file, trace] : cases) {
        ClearTrace(t.app);
        SaveResults(t.app, file);
        EXPECT_EQ(t.Lines("app2.log"), trace) << file;
    }
    EXPECT_TRUE(t.world.scriptedPrompts.shown.empty());
}

// Each line is in its file when the call returns, also when someone else emptied,
// renamed or deleted the file since the line before.
TEST(Logs, EachLineIsInItsFileWhenTheCallReturns) {
    TestApp t;
    const auto log = t.folder.HostFile("app.log");
    WriteLog(t.app, "one");
    EXPECT_EQ(ReadBytes(log), "one\r\n");
    WriteLog(t.app, "two");
    EXPECT_EQ(ReadBytes(log), "one\r\ntwo\r\n");
    testing_support::WriteBytes(log, "");
    WriteLog(t.app, "after emptying");
    EXPECT_EQ(ReadBytes(log), "after emptying\r\n");
    std::filesystem::rename(log, t.folder.HostFile("app.old"));
    WriteLog(t.app, "after renaming");
    EXPECT_EQ(ReadBytes(log), "after renaming\r\n");
    EXPECT_EQ(ReadBytes(t.folder.HostFile("app.old")), "after emptying\r\n");
#ifndef _WIN32
    // Windows deletes a file only when its last handle closes (Wine checks nothing in
    // between), so deleting an open log is tried off Windows only.
    std::filesystem::remove(log);
    WriteLog(t.app, "after deleting");
    EXPECT_EQ(ReadBytes(log), "after deleting\r\n");
#endif
}

TEST(Logs, AReadOnlyApplicationFolderLosesTheLinesQuietly) {
#ifdef _WIN32
    GTEST_SKIP() << "host permission bits stand for access rights only off Windows; "
                    "the Windows program is checked in a folder it cannot write by ProgramTest";
#endif
    TestApp t;
    std::filesystem::permissions(t.folder.host(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    ClearTrace(t.app);
    WriteLog(t.app, "lost");
    WriteTrace(t.app, "lost");
    WriteProblemLog(t.app, "lost");
    for (const char* name : {"app.log", "app2.log", "app3.log"})
        EXPECT_FALSE(Exists(t.folder.HostFile(name))) << name;
}

}  // namespace

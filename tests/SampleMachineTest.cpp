// The embedded sample machine, scanned end to end by brivolex-cli: exactly its planted
// problems, in scan order, and none of the near misses beside them.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/TestSupport.h"

using testing_support::JsonField;
using testing_support::RunBuiltProgram;
using testing_support::ScratchFolder;
using testing_support::SourcePath;

namespace {

struct Expected {
    std::string name;
    int check, status;
    std::string missing, value = "";  // value: the registry value a repair would change
    int type = 0;
};

const std::string kCv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const std::string kUninstall = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kPf = "C:\\Program Files\\";
std::string Class(int n) {
    std::string digits = std::to_string(n);
    return "HKCR\\CLSID\\{11111111-2222-3333-4444-" + std::string(12 - digits.size(), '0') + digits + "}";
}
const std::string kFileExts = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

const std::string kPrograms = "C:\\Users\\Sample\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
const std::string kCommonPrograms = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
const std::string kMenuOrder = kCv + "\\Explorer\\MenuOrder\\";
const std::string kLocal = "C:\\Users\\Sample\\AppData\\Local\\";

const std::vector<Expected>& SampleProblems() {
    static const std::vector<Expected> problems = {
        {"C:\\Users\\Sample\\Desktop\\Old Game.lnk", 0, 0, kPf + "Old Game\\game.exe", "", 1},
        {"C:\\Users\\Public\\Desktop\\Old Tool.lnk", 0, 0, kPf + "Old Tool\\tool.exe", "", 1},
        {kPrograms + "\\Accessories\\Old Paint.lnk", 0, 0, kPf + "Old Paint\\paint.exe", "", 1},
        {kCommonPrograms + "\\Viewer\\Viewer Help.lnk", 0, 0, kPf + "Viewer\\help.chm", "", 1},
        {kUninstall + "\\OldGame", 4, 2, kPf + "Old Game\\uninst.exe", "UninstallString"},
        {kUninstall + "\\OldGame\\Patch1", 4, 2, kPf + "Old Game\\Patch1\\unpatch.exe", "UninstallString"},
        {"HKLM\\" + kCv + "\\Run\\OldUpdater", 5, 0, kPf + "Old Updater\\updater.exe -background", "OldUpdater"},
        {"HKCU\\" + kCv + "\\Run\\Chatter", 6, 0, "C:\\Users\\Sample\\AppData\\Roaming\\Chatter\\chatter.exe", "Chatter"},
        {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Fonts\\Gone Sans (TrueType)", 7, 0,
         "C:\\Windows\\Fonts\\gonesans.ttf", "Gone Sans (TrueType)"},
        {"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\Old Serif (TrueType)", 8, 0,
         "C:\\Windows\\Fonts\\oldserif.ttf", "Old Serif (TrueType)"},
        {"HKLM\\" + kCv + "\\SharedDLLs", 9, 0, kPf + "Common Files\\gone.dll", kPf + "Common Files\\gone.dll"},
        {"HKLM\\" + kCv + "\\App Paths\\oldapp.exe", 3, 0, kPf + "Old App\\oldapp.exe"},
        {"HKLM\\Software\\Microsoft\\Windows\\Help\\oldhelp.hlp", 1, 3, kPf + "Old App\\Help\\oldhelp.hlp", "oldhelp.hlp"},
        {"HKLM\\Software\\Microsoft\\Windows\\HTML Help\\gone.chm", 1, 3, kPf + "Old App\\Help\\gone.chm", "gone.chm"},
        {kMenuOrder + "Start Menu\\&Programs\\Accessories\\Old Calc", 13, 0,
         kPrograms + "\\Accessories\\Old Calc.lnk"},
        {kMenuOrder + "Start Menu2\\Programs\\Games\\Old Solitaire", 13, 0,
         kPrograms + "\\Games\\Old Solitaire.lnk"},
        {"HKCR\\Applications\\oldeditor.exe\\shell\\open\\command", 14, 0, kPf + "Old Editor\\oldeditor.exe"},
        {Class(1) + "\\InprocServer32", 15, 0, kPf + "Old Plugin\\plugin.dll"},
        {Class(5) + "\\InprocServer32", 15, 0, ""},
        {Class(6) + "\\LocalServer32", 21, 0, kPf + "Old Server\\server.exe"},
        {Class(7) + "\\LocalServer32", 21, 0, ""},
        {Class(9) + "\\DefaultIcon", 22, 0, kPf + "Old Icons\\icons.dll"},
        {"HKLM\\" + kCv + "\\Installer\\Folders", 16, 0, kPf + "Old Game\\", kPf + "Old Game\\"},
        {kFileExts + "\\.abc", 17, 4, ""},
        {kFileExts + "\\.zzz", 17, 4, ""},
        {"HKCR\\.ct", 17, 4, ""},
        {"HKCR\\.qqq", 17, 4, ""},
        {"HKCR\\.xyz", 17, 4, ""},
        {"HKCR\\Old.Plugin", 18, 5, ""},
        {Class(2) + "\\TypeLib", 19, 5, ""},
        {"HKCR\\Interface\\{AAAAAAAA-0000-0000-0000-000000000001}\\TypeLib", 19, 5, ""},
        {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\OldGame", 20, 0,
         kPf + "Old Game\\game.exe", "SlowInfoCache"},
        {kLocal + "Temp\\old-install.log", 0, 1, "", "", 2},
        {kLocal + "Temp\\sub\\old-cache.bin", 0, 1, "", "", 2},
        {kLocal + "Microsoft\\Windows\\Temporary Internet Files\\old-page.htm", 0, 1, "", "", 2},
    };
    return problems;
}

std::vector<std::string> ProblemLines(const std::string& json) {
    std::vector<std::string> lines;
    std::istringstream in(json);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("  {\"UID\"", 0) == 0) lines.push_back(line);
    return lines;
}

TEST(SampleMachine, ScanFindsExactlyThePlantedProblems) {
    ScratchFolder appDir("cli");
    ScratchFolder machine("sample");
    std::string driveC = testing_support::PrepareSampleMachine(machine);
    auto run = RunBuiltProgram(
        "brivolex-cli", {"scan", "--json", "--registry", SourcePath("sample/machine.reg"), "--drive",
                         "C=" + driveC, "--drive", "D=" + machine.File("D") + ",cdrom",
                         "--app-dir", appDir.path()});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("\"scanCancelled\": false"), std::string::npos);
    std::vector<std::string> lines = ProblemLines(run.output);
    const auto& expected = SampleProblems();
    ASSERT_EQ(lines.size(), expected.size()) << run.output;
    for (size_t i = 0; i < expected.size(); ++i) {
        const Expected& e = expected[i];
        const std::string& line = lines[i];
        EXPECT_EQ(JsonField(line, "pName"), e.name) << "#" << i + 1;
        EXPECT_EQ(JsonField(line, "pInternalType"), std::to_string(e.check)) << e.name;
        EXPECT_EQ(JsonField(line, "pSTATUS"), std::to_string(e.status)) << e.name;
        EXPECT_EQ(JsonField(line, "pCureMissingfile"), e.missing) << e.name;
        EXPECT_EQ(JsonField(line, "pCureKeyValueName"), e.value) << e.name;
        EXPECT_EQ(JsonField(line, "pType"), std::to_string(e.type)) << e.name;
    }
}

TEST(SampleMachine, ReportHoldsEveryProblem) {
    ScratchFolder appDir("cli");
    ScratchFolder machine("sample");
    std::string driveC = testing_support::PrepareSampleMachine(machine);
    std::string report = appDir.File("report.htm");
    auto run = RunBuiltProgram("brivolex-cli",
                               {"scan", "--report", report, "--registry", SourcePath("sample/machine.reg"),
                                "--drive", "C=" + driveC, "--app-dir", appDir.path()});
    ASSERT_EQ(run.status, 0) << run.output;
    std::vector<std::string> lines = testing_support::ReadLines(appDir.HostFile("report.htm"));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.size(), 4 + 6 * SampleProblems().size());
    EXPECT_EQ(lines.back(), "</body></html>");
    EXPECT_NE(run.output.find("Problems found: " + std::to_string(SampleProblems().size())),
              std::string::npos);
}

TEST(SampleMachine, BadUsageAndUnreadableImagesExitWithTwo) {
    ScratchFolder appDir("cli");
    struct Case {
        std::vector<std::string> args;
    } cases[] = {
        {{}},
        {{"frobnicate"}},
        {{"scan", "--registry"}},
        {{"scan", "--registry", appDir.File("missing.reg"), "--app-dir", appDir.path()}},
        {{"scan", "--registry", SourcePath("sample/machine.reg"), "--drive", "C=" + appDir.File("nope"),
          "--app-dir", appDir.path()}},
        {{"scan", "--registry", SourcePath("sample/machine.reg"), "--drive", "C=x,floppy"}},
        {{"scan", "--registry", SourcePath("sample/machine.reg"), "--drive", "C=" + appDir.path(),
          "--drive", "c=" + appDir.path(), "--app-dir", appDir.path()}},
        // Folders that cannot serve are refused before a scan is spent.
        {{"scan", "--registry", SourcePath("sample/machine.reg"), "--app-dir", appDir.File("nope")}},
        {{"scan", "--registry", SourcePath("sample/machine.reg"), "--app-dir", appDir.path(),
          "--report", appDir.File("nope\\report.htm")}},
        {{"scan", "--registry", SourcePath("sample/machine.reg"), "--app-dir", appDir.path(),
          "--report", appDir.path()}},
    };
    for (const Case& c : cases) {
        auto run = RunBuiltProgram("brivolex-cli", c.args);
        EXPECT_EQ(run.status, 2) << (c.args.empty() ? "" : c.args.back());
        EXPECT_EQ(run.output, "");
    }
}

}  // namespace

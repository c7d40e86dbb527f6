// brivolex-cli end to end: the embedded sample machine scanned (exactly its planted
// problems, in scan order, and none of the near misses beside them), and link files read.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/portable/PortableShellLinks.h"
#include "tests/TestSupport.h"

using namespace testing_support;

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

const std::string kRegistry = SourcePath("sample/machine.reg");

// The JSON list holds exactly the planted problems in scan order; the table and the
// HTML report of a second scan hold as many.
TEST(SampleMachine, ScanFindsExactlyThePlantedProblems) {
    ScratchFolder appDir("cli"), machine("sample");
    std::string driveC = testing_support::PrepareSampleMachine(machine);
    auto run = RunBuiltProgram("brivolex-cli", {"scan", "--json", "--registry", kRegistry,
                                                "--drive", "C=" + driveC, "--drive",
                                                "D=" + machine.File("D") + ",cdrom", "--app-dir",
                                                appDir.path()});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("\"scanCancelled\": false"), std::string::npos);
    std::vector<std::string> lines = ProblemLines(run.output);
    const auto& expected = SampleProblems();
    ASSERT_EQ(lines.size(), expected.size()) << run.output;
    for (size_t i = 0; i < expected.size(); ++i) {
        const Expected& e = expected[i];
        std::string fields;
        for (const char* key : {"pName", "pInternalType", "pSTATUS", "pCureMissingfile",
                                "pCureKeyValueName", "pType"})
            fields += JsonField(lines[i], key) + "|";
        EXPECT_EQ(fields, e.name + "|" + std::to_string(e.check) + "|" + std::to_string(e.status) +
                              "|" + e.missing + "|" + e.value + "|" + std::to_string(e.type) + "|")
            << "#" << i + 1;
    }
    run = RunBuiltProgram("brivolex-cli", {"scan", "--report", appDir.File("report.htm"),
                                           "--registry", kRegistry, "--drive", "C=" + driveC,
                                           "--app-dir", appDir.path()});
    ASSERT_EQ(run.status, 0) << run.output;
    lines = testing_support::ReadLines(appDir.HostFile("report.htm"));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.size(), 4 + 6 * expected.size());
    EXPECT_EQ(lines.back(), "</body></html>");
    EXPECT_NE(run.output.find("Problems found: " + std::to_string(expected.size())),
              std::string::npos);
}

TEST(SampleMachine, BadUsageAndUnreadableImagesExitWithTwo) {
    ScratchFolder appDir("cli");
    const std::string app = appDir.path();
    const std::vector<std::string> cases[] = {
        {},
        {"frobnicate"},
        {"scan", "--registry"},
        {"scan", "--registry", appDir.File("missing.reg"), "--app-dir", app},
        {"scan", "--registry", kRegistry, "--drive", "C=" + appDir.File("nope"), "--app-dir", app},
        {"scan", "--registry", kRegistry, "--drive", "C=x,floppy"},
        {"scan", "--registry", kRegistry, "--drive", "C=" + app, "--drive", "c=" + app, "--app-dir",
         app},
        // Folders that cannot serve are refused before a scan is spent.
        {"scan", "--registry", kRegistry, "--app-dir", appDir.File("nope")},
        {"scan", "--registry", kRegistry, "--app-dir", app, "--report", appDir.File("nope\\r.htm")},
        {"scan", "--registry", kRegistry, "--app-dir", app, "--report", app},
        // An image is named once; --user and drive C: belong to --windows.
        {"scan", "--registry", kRegistry, "--windows", app, "--app-dir", app},
        {"scan", "--registry", kRegistry, "--user", "x", "--app-dir", app},
        {"scan", "--windows", app, "--drive", "C=" + app, "--app-dir", app},
        {"scan", "--windows", app, "--app-dir", app},
        {"scan", "--wine-prefix", app, "--app-dir", app},
    };
    for (const auto& args : cases) {
        auto run = RunBuiltProgram("brivolex-cli", args);
        EXPECT_EQ(run.status, 2) << (args.empty() ? "" : args.back());
        EXPECT_EQ(run.output, "");
    }
}

// brivolex-cli shortcut: what the machine's shell-link reader finds in each file.
TEST(CliShortcut, PrintsEachFilesFieldsAndExitsWithOneWhenAFileIsUnreadable) {
    ScratchFolder folder("cli");
    ShellLinkInfo fields;
    fields.target = "C:\\Program Files\\\xD0\x9F\xD1\x80\xD0\xBE\\app.exe";
    fields.arguments = "--start \"x y\"";
    fields.description = "The app";
    fields.workingDirectory = "C:\\Program Files";
    fields.iconLocation = "C:\\Program Files\\app.ico";
    testing_support::WriteBytes(folder.HostFile("good.lnk"), NewShellLinkBytes(fields));
    testing_support::WriteBytes(folder.HostFile("bad.lnk"), "not a link");

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

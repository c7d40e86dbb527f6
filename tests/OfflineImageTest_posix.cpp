// Offline machines read from their own registry files: hives made here with hivex
// (values of every shape, the sample machine as hives, damaged ones and ones with
// unreplayed logs), the choice of the user profile, and a small Wine prefix.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <sstream>

#include "platform/Text.h"
#include "platform/portable/HiveFile.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/OfflineImages.h"
#include "platform/portable/RegFile.h"
#include "tests/HiveTestSupport.h"
#include "tests/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// Values as real hives hold them come back exactly: strings without their final NUL
// or with an odd byte count, types hivex does not name, names with "\", '"' and
// letters beyond ASCII, empty and large data.
TEST(HiveFile, ValuesOfEveryShapeComeBackExactly) {
    ScratchFolder folder("hive");
    InMemoryRegistry source;
    RegValue unterminated{REG_SZ_, "no end", 6};
    RegValue odd = RegBinary(std::string("\x41\x00\x42", 3), REG_SZ_);
    const std::vector<std::pair<std::string, RegValue>> values = {
        {"", RegString("default")},
        {"plain", RegString("C:\\Program Files\\x.exe")},
        {"unterminated", unterminated},
        {"expand", RegString("%SystemRoot%\\x", REG_EXPAND_SZ_)},
        {"multi", RegString(std::string("a\0b", 3), REG_MULTI_SZ_)},
        {"dword", RegDword(0x12345678)},
        {"short dword", RegBinary("\x01\x02", REG_DWORD_)},
        {"odd type", RegBinary("\x01\x02\x03", 0xFFFF0012)},
        {"none", RegBinary("", REG_NONE_)},
        {"back\\slash \"quoted\"", RegString("x")},
        {"K\xC3\xB6rper \xE2\x82\xAC", RegString("\xE6\x97\xA5\xE6\x9C\xAC")},
        {"large", RegBinary(std::string(20000, '\x5A'))},
    };
    for (const auto& [name, value] : values)
        ASSERT_TRUE(source.PutValue(HKLM, "SOFTWARE\\Shapes\\K\xC3\xA4y", name, value));
    ASSERT_TRUE(source.PutValue(HKLM, "SOFTWARE\\Shapes\\odd", "", odd));
    WriteHive(source, HKLM, "SOFTWARE", folder.host() / "SOFTWARE");

    InMemoryRegistry loaded;
    std::string error;
    ASSERT_TRUE(
        LoadHiveFile(loaded, HKLM, "SOFTWARE", (folder.host() / "SOFTWARE").string(), error))
        << error;
    std::vector<std::string> expected = Dump(source, HKLM, "SOFTWARE"),
                             got = Dump(loaded, HKLM, "SOFTWARE");
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got.size(), values.size() + 1);
}

// A hive that is damaged, truncated or has unreplayed transaction logs is refused, with
// the file (and the log) named, and nothing of it is loaded; old and empty logs are not
// in the way.
TEST(HiveFile, DamagedTruncatedAndUnreplayedHivesAreRefused) {
    InMemoryRegistry source;
    for (int i = 0; i < 200; ++i)
        source.PutValue(HKLM, "SOFTWARE\\K" + std::to_string(i), "v",
                        RegString(std::string(40, 'x')));
    ScratchFolder folder("hive");
    fs::path good = folder.host() / "good";
    WriteHive(source, HKLM, "SOFTWARE", good);
    const std::string hive = ReadBytes(good);
    const uint32_t sequence = GetDword(hive, 8);
    struct Case {
        const char* what;
        std::function<void(std::string&)> hive;
        const char* logName;
        std::string logBytes;
        const char* expected;  // "" when the hive loads
    } cases[] = {
        {"intact", nullptr, nullptr, "", ""},
        {"an empty log", nullptr, "SOFTWARE.LOG1", "", ""},
        {"a zeroed log", nullptr, "software.log2", std::string(4096, '\0'), ""},
        {"an old log", nullptr, "SOFTWARE.LOG1", HiveLog(sequence - 1), ""},
        {"cut in its bins", [](std::string& b) { b.resize(b.size() - 100); }, nullptr, "",
         "is truncated"},
        {"cut in its base block", [](std::string& b) { b.resize(1000); }, nullptr, "",
         "is truncated"},
        {"no hive", [](std::string& b) { b[0] = 'R'; }, nullptr, "", "is not a registry hive"},
        {"a bad checksum", [](std::string& b) { b[0x30] ^= 1; }, nullptr, "", "checksum"},
        {"a damaged bin", [](std::string& b) { std::memcpy(&b[0x1000], "junk", 4); }, nullptr, "",
         "hivex"},
        {"differing sequence numbers",
         [](std::string& b) { PutDword(b, 4, GetDword(b, 4) + 1), Seal(b); }, nullptr, "",
         "sequence numbers"},
        {"a newer log", nullptr, "SOFTWARE.LOG1", HiveLog(sequence), "SOFTWARE.LOG1 holds changes"},
        {"an unreadable log", nullptr, "SOFTWARE.LOG2", std::string(600, '\x42'),
         "SOFTWARE.LOG2 cannot be read"},
    };
    for (const Case& c : cases) {
        ScratchFolder config("config");
        std::string bytes = hive;
        if (c.hive) c.hive(bytes);
        WriteBytes(config.host() / "SOFTWARE", bytes);
        if (c.logName) WriteBytes(config.host() / c.logName, c.logBytes);
        InMemoryRegistry loaded;
        std::string file = (config.host() / "SOFTWARE").string(), error;
        bool ok = LoadHiveFile(loaded, HKLM, "SOFTWARE", file, error);
        if (std::string(c.expected).empty()) {
            EXPECT_TRUE(ok) << c.what << ": " << error;
            EXPECT_EQ(loaded.KeyCount(), 201u) << c.what;
            continue;
        }
        EXPECT_FALSE(ok) << c.what;
        EXPECT_EQ(error.rfind(file + ": ", 0), 0u) << c.what << ": " << error;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(loaded.KeyCount(), 0u) << c.what;
    }
}

// The profile scanned: the one --user names, else the only one, else the one whose
// NTUSER.DAT was written last; the templates and the shared profiles are never users.
TEST(OfflineProfiles, ChosenByNameElseTheOnlyOneElseTheLatest) {
    struct Case {
        std::vector<std::pair<std::string, int>> profiles;  // folder below the root, age in hours
        std::string wanted;
        std::string expected;  // the chosen profile's image path, or "error: ..."
    } cases[] = {
        {{{"Users/Default", 0}, {"Users/Public", 0}, {"Users/ann", 50}}, "", "C:\\Users\\ann"},
        {{{"Users/ann", 5}, {"Users/bob", 1}, {"Users/cy", 9}}, "", "C:\\Users\\bob"},
        {{{"Users/ann", 5}, {"Users/bob", 1}}, "ANN", "C:\\Users\\ann"},
        {{{"Documents and Settings/old", 3}}, "", "C:\\Documents and Settings\\old"},
        {{{"Users/ann", 5}}, "zed", "error: no user profile \"zed\""},
        {{{"Users/Default", 0}}, "", "error: the installation has no user profile"},
    };
    for (const Case& c : cases) {
        ScratchFolder root("win");
        for (const auto& [folder, hours] : c.profiles) {
            fs::path ntuser = root.host() / folder / "NTUSER.DAT";
            fs::create_directories(ntuser.parent_path());
            WriteBytes(ntuser, "x");
            fs::last_write_time(ntuser,
                                fs::file_time_type::clock::now() - std::chrono::hours(hours));
        }
        std::vector<OfflineProfile> profiles = FindOfflineProfiles(root.host().string());
        size_t chosen = 0;
        std::string why, error;
        std::string got = ChooseOfflineProfile(profiles, c.wanted, chosen, why, error)
                              ? profiles[chosen].image
                              : "error: " + error;
        EXPECT_EQ(got.substr(0, c.expected.size()), c.expected) << c.wanted;
    }
}

std::vector<std::string> ProblemLines(const std::string& output) {
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("  {\"UID\"", 0) == 0)
            lines.push_back(JsonField(line, "pName") + " | " + JsonField(line, "pInternalType") +
                            " | " + JsonField(line, "pCureMissingfile"));
    return lines;
}

// The sample machine as a Windows installation's hives scans to the very problems its
// .reg export gives.
TEST(OfflineWindows, SampleMachineAsHivesScansAsItsExport) {
    ScratchFolder appDir("cli"), machine("sample");
    std::string driveC = PrepareSampleMachine(machine);
    InMemoryRegistry sample;
    std::string error;
    ASSERT_TRUE(ImportRegFile(sample, ReadBytes(SourcePath("sample/machine.reg")), error)) << error;
    WriteInstallation(sample, machine.host() / "C", "Sample");

    std::string driveD = "D=" + machine.File("D") + ",cdrom";
    auto fromExport = RunBuiltProgram(
        "brivolex-cli", {"scan", "--json", "--registry", SourcePath("sample/machine.reg"),
                         "--drive", "C=" + driveC, "--drive", driveD, "--app-dir", appDir.path()});
    auto fromHives = RunBuiltProgram(
        "brivolex-cli",
        {"scan", "--json", "--windows", driveC, "--drive", driveD, "--app-dir", appDir.path()});
    ASSERT_EQ(fromExport.status, 0);
    ASSERT_EQ(fromHives.status, 0) << fromHives.output;
    EXPECT_GT(ProblemLines(fromExport.output).size(), 20u);
    EXPECT_EQ(ProblemLines(fromHives.output), ProblemLines(fromExport.output));
}

// The whole chain on an installation: the dry run names what --write then does, the
// changed hives are copied first and read back repaired, and the deleted files are in
// the user's own Recycle Bin of the image.
TEST(OfflineWindows, RepairWriteChangesWhatTheDryRunNamedAndKeepsCopies) {
    ScratchFolder appDir("cli"), machine("sample");
    std::string driveC = PrepareSampleMachine(machine);
    InMemoryRegistry sample;
    std::string error;
    ASSERT_TRUE(ImportRegFile(sample, ReadBytes(SourcePath("sample/machine.reg")), error)) << error;
    const std::string sid = "S-1-5-21-1-2-3-1001";
    sample.PutValue(HKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + sid,
                    "ProfileImagePath", RegString("C:\\Users\\Sample", REG_EXPAND_SZ_));
    WriteInstallation(sample, machine.host() / "C", "Sample");
    const fs::path config = machine.host() / "C/Windows/System32/config";
    const std::string software = ReadBytes(config / "SOFTWARE");

    std::vector<std::string> args{"repair", "--windows", driveC, "--drive", "D=" + machine.File("D") + ",cdrom",
                                  "--all", "--method", "aggressive", "--json", "--app-dir", appDir.path()};
    auto refused = RunBuiltProgram("brivolex-cli", args);
    EXPECT_EQ(refused.status, 2) << "an installation is written only with --write";
    args.push_back("--dry-run");
    auto dry = RunBuiltProgram("brivolex-cli", args);
    ASSERT_EQ(dry.status, 0) << dry.output;
    EXPECT_EQ(ReadBytes(config / "SOFTWARE"), software);
    args.back() = "--write";
    auto real = RunBuiltProgram("brivolex-cli", args);
    ASSERT_EQ(real.status, 0) << real.output;

    auto actions = [](const std::string& output, std::vector<std::string>& written) {
        std::vector<std::string> lines;
        std::istringstream in(output);
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("  {\"UID\"", 0) != 0) continue;
            if (JsonField(line, "action") == "write file") written.push_back(JsonField(line, "target"));
            else lines.push_back(JsonField(line, "action") + " " + JsonField(line, "target") + " " + JsonField(line, "done"));
        }
        return lines;
    };
    std::vector<std::string> none, written;
    EXPECT_EQ(actions(real.output, written), actions(dry.output, none));
    EXPECT_TRUE(none.empty());
    ASSERT_FALSE(written.empty());
    for (const std::string& file : written) {
        std::string stamp = file + ".brivolex-";
        bool copied = false;
        for (const auto& entry : fs::directory_iterator(fs::path(file).parent_path()))
            copied = copied || entry.path().string().starts_with(stamp);
        EXPECT_TRUE(copied) << file;
    }
    auto rescan = RunBuiltProgram("brivolex-cli", {"scan", "--json", "--windows", driveC, "--app-dir", appDir.path()});
    // Each problem is gone (a repair may uncover a new one: a menu folder left empty).
    auto uids = [](const std::string& output) {
        std::set<std::string> found;
        std::istringstream in(output);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("  {\"UID\"", 0) == 0 && !JsonField(line, "UID").empty()) found.insert(JsonField(line, "UID"));
        return found;
    };
    const std::set<std::string> repaired = uids(dry.output), left = uids(rescan.output);
    EXPECT_GT(repaired.size(), 20u);
    for (const std::string& uid : left) EXPECT_FALSE(repaired.count(uid)) << uid;
    int recycled = 0;
    for (const auto& entry : fs::directory_iterator(machine.host() / "C/$Recycle.Bin" / sid))
        recycled += entry.path().filename().string().starts_with("$I");
    int planned = 0;
    for (size_t at = 0; (at = dry.output.find("\"recycle file\"", at)) != std::string::npos; ++at) ++planned;
    EXPECT_GT(planned, 0);
    EXPECT_EQ(recycled, planned);
}

// A Wine prefix: its registry files in Wine's format and its drives from the links of
// dosdevices/, typed by the prefix's registry.
TEST(OfflineWine, PrefixScansFromItsRegistryFilesAndDrives) {
    ScratchFolder appDir("cli"), prefix("pfx");
    fs::path root = prefix.host();
    for (const char* folder : {"drive_c/windows/system32", "drive_c/users/player/Temp",
                               "drive_c/Program Files/Kept", "drive_d", "dosdevices"})
        fs::create_directories(root / folder);
    WriteBytes(root / "drive_c/Program Files/Kept/kept.exe", "MZ");
    fs::create_directory_symlink("../drive_c", root / "dosdevices/c:");
    fs::create_directory_symlink("../drive_d", root / "dosdevices/d:");
    fs::create_directory_symlink("../missing", root / "dosdevices/e:");
    WriteBytes(
        root / "system.reg",
        "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n"
        "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] "
        "1796530730\n#time=1dd8538e5973218\n"
        "\"SystemRoot\"=\"C:\\\\windows\"\n\"CurrentVersion\"=\"6.1\"\n\n"
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1796530730\n"
        "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\n\n"
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run] 1796530730\n"
        "\"Gone\"=\"\\\"C:\\\\Program Files\\\\Gone\\\\gone.exe\\\" /start\"\n"
        "\"Kept\"=str(2):\"%ProgramFiles%\\\\Kept\\\\kept.exe\"\n"
        "\"OnCd\"=\"D:\\\\setup.exe\"\n\n"
        "[Software\\\\Wine\\\\Drives] 1796530731\n\"d:\"=\"cdrom\"\n\n"
        "[System\\\\ControlSet001\\\\Control\\\\Session Manager\\\\Environment] 1796530730\n"
        "\"ProgramFiles\"=\"C:\\\\Program Files\"\n\"TEMP\"=str(2):\"%SystemRoot%\\\\temp\"\n\n"
        "[System\\\\CurrentControlSet] 1796530730\n#link\n"
        "\"SymbolicLinkValue\"=hex(6):5c,00,52,00,45,00,47,00,49,00,53,00,54,00,52,00,59,00,5c,00,"
        "4d,00,\\\n"
        "  "
        "61,00,63,00,68,00,69,00,6e,00,65,00,5c,00,53,00,79,00,73,00,74,00,65,00,6d,00,5c,00,43,00,"
        "\\\n"
        "  6f,00,6e,00,74,00,72,00,6f,00,6c,00,53,00,65,00,74,00,30,00,30,00,31,00\n");
    WriteBytes(root / "user.reg",
               "WINE REGISTRY Version 2\n;; All keys relative to "
               "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
               "[Environment] 1796530730\n\"TEMP\"=\"C:\\\\users\\\\player\\\\Temp\"\n\n"
               "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run] 1796530730\n"
               "\"Chatter\"=\"C:\\\\users\\\\player\\\\Chatter\\\\chat.exe\"\n\n"
               "[Volatile Environment] 1796530730\n\"USERPROFILE\"=\"C:\\\\users\\\\player\"\n");
    auto run = RunBuiltProgram("brivolex-cli", {"scan", "--json", "--wine-prefix", prefix.path(),
                                                "--app-dir", appDir.path()});
    ASSERT_EQ(run.status, 0) << run.output;
    std::vector<std::string> expected = {
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\Gone | 5 | C:\\Program "
        "Files\\Gone\\gone.exe",
        "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\Chatter | 6 | "
        "C:\\users\\player\\Chatter\\chat.exe",
    };
    EXPECT_EQ(ProblemLines(run.output), expected) << run.output;

    // Repaired with --write: the two values leave their files, which were copied first,
    // and the rest of each file stays as it was.
    const std::string system = ReadBytes(root / "system.reg");
    run = RunBuiltProgram("brivolex-cli", {"repair", "--wine-prefix", prefix.path(), "--all", "--write",
                                           "--app-dir", appDir.path()});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(ProblemLines(RunBuiltProgram("brivolex-cli", {"scan", "--json", "--wine-prefix", prefix.path(),
                                                           "--app-dir", appDir.path()})
                               .output),
              std::vector<std::string>{});
    std::string line = "\"Gone\"=\"\\\"C:\\\\Program Files\\\\Gone\\\\gone.exe\\\" /start\"\n";
    ASSERT_NE(system.find(line), std::string::npos);
    EXPECT_EQ(ReadBytes(root / "system.reg"), text::ReplaceAll(system, line, ""));
    int copies = 0;
    for (const auto& entry : fs::directory_iterator(root))
        copies += entry.path().filename().string().find(".reg.brivolex-") != std::string::npos;
    EXPECT_EQ(copies, 2);

    // A malformed file names itself and its line; nothing is scanned.
    WriteBytes(root / "user.reg", "WINE REGISTRY Version 2\n[Environment]\n\"TEMP\"=hex:zz\n");
    run = RunBuiltProgram("brivolex-cli",
                          {"scan", "--wine-prefix", prefix.path(), "--app-dir", appDir.path()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.output, "");
}

}  // namespace

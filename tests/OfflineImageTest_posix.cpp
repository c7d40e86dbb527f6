// Offline machines read from their own registry files: hives made here with hivex
// (values of every shape, the sample machine as hives, damaged ones and ones with
// unreplayed logs), the choice of the user profile, and a small Wine prefix.
#include <gtest/gtest.h>
#include <hivex.h>

#include <cstring>
#include <functional>
#include <set>
#include <sstream>

#include "platform/Text.h"
#include "platform/portable/HiveFile.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/OfflineImages.h"
#include "platform/portable/RegFile.h"
#include "tests/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kKeyRead = 0x20019;

void PutDword(std::string& bytes, size_t at, uint32_t n) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(n >> (8 * i) & 0xFF);
}
uint32_t GetDword(const std::string& bytes, size_t at) {
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(bytes[at + i]);
    return n;
}
void Seal(std::string& bytes) {  // the base block's checksum
    uint32_t sum = 0;
    for (size_t at = 0; at < 508; at += 4) sum ^= GetDword(bytes, at);
    PutDword(bytes, 508, sum);
}

// A hive with nothing but its root key: the base block, then one 4 KiB bin holding the
// root key, its security cell and free space.
std::string EmptyHive() {
    std::string bytes(8192, '\0');
    std::memcpy(&bytes[0], "regf", 4);
    PutDword(bytes, 0x04, 1);
    PutDword(bytes, 0x08, 1);
    PutDword(bytes, 0x14, 1);  // version 1.3
    PutDword(bytes, 0x18, 3);
    PutDword(bytes, 0x20, 1);     // format: direct memory load
    PutDword(bytes, 0x24, 0x20);  // the root key's cell
    PutDword(bytes, 0x28, 0x1000);
    PutDword(bytes, 0x2C, 1);
    Seal(bytes);
    const size_t bin = 0x1000, root = bin + 0x20, security = root + 88, spare = security + 48;
    std::memcpy(&bytes[bin], "hbin", 4);
    PutDword(bytes, bin + 8, 0x1000);
    PutDword(bytes, root, static_cast<uint32_t>(-88));
    std::memcpy(&bytes[root + 4], "nk", 2);
    bytes[root + 6] = 0x2C;  // the hive's entry, not to be deleted, ASCII name
    for (size_t field : {32, 36, 44, 52}) PutDword(bytes, root + field, 0xFFFFFFFF);
    PutDword(bytes, root + 48, static_cast<uint32_t>(security - bin));
    bytes[root + 76] = 4;
    std::memcpy(&bytes[root + 80], "ROOT", 4);
    PutDword(bytes, security, static_cast<uint32_t>(-48));
    std::memcpy(&bytes[security + 4], "sk", 2);
    PutDword(bytes, security + 8, static_cast<uint32_t>(security - bin));
    PutDword(bytes, security + 12, static_cast<uint32_t>(security - bin));
    PutDword(bytes, security + 16, 1);
    PutDword(bytes, security + 20, 20);
    bytes[security + 24] = 1;  // a self-relative descriptor without lists
    bytes[security + 27] = '\x80';
    PutDword(bytes, spare, static_cast<uint32_t>(bin + 0x1000 - spare));
    return bytes;
}

std::string HiveBytes(const RegValue& value) {
    if (!IsStringType(value.type)) return value.data;
    std::string bytes;
    for (char16_t unit : text::Utf8ToUtf16(value.data)) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

// Writes hive\path of `registry`, but the key `skip`, into a new hive file.
void AddTree(hive_h* h, hive_node_h node, Registry& registry, RegKey hive, const std::string& path,
             const std::string& skip) {
    ScopedRegKey key(registry);
    if (key.Open(hive, path, kKeyRead) != kRegSuccess) return;  // an empty hive
    std::vector<std::string> names, data;
    std::vector<uint32_t> types;
    for (uint32_t i = 0;; ++i) {
        std::string name;
        uint32_t type = 0;
        if (registry.EnumValue(key.Get(), i, 16384, 1 << 30, name, type) != kRegSuccess) break;
        RegValue value;
        ASSERT_EQ(registry.QueryValue(key.Get(), name, 1 << 30, value), kRegSuccess);
        names.push_back(name);
        data.push_back(HiveBytes(value));
        types.push_back(value.type);
    }
    std::vector<hive_set_value> set(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        set[i].key = names[i].data();
        std::memcpy(&set[i].t, &types[i], sizeof types[i]);  // types beyond hivex's enumeration too
        set[i].len = data[i].size();
        set[i].value = data[i].data();
    }
    ASSERT_EQ(hivex_node_set_values(h, node, set.size(), set.data(), 0), 0) << path;
    for (uint32_t i = 0;; ++i) {
        std::string name;
        if (registry.EnumKey(key.Get(), i, 256, name) != kRegSuccess) break;
        std::string child = path.empty() ? name : path + "\\" + name;
        if (text::EqualsNoCase(child, skip)) continue;
        hive_node_h added = hivex_node_add_child(h, node, name.c_str());
        ASSERT_NE(added, 0u) << child;
        AddTree(h, added, registry, hive, child, skip);
    }
}

void WriteHive(Registry& registry, RegKey hive, const std::string& path, const fs::path& file,
               const std::string& skip = "") {
    fs::create_directories(file.parent_path());
    WriteBytes(file, EmptyHive());
    hive_h* h = hivex_open(file.c_str(), HIVEX_OPEN_WRITE);
    ASSERT_NE(h, nullptr) << file;
    AddTree(h, hivex_root(h), registry, hive, path, skip);
    EXPECT_EQ(hivex_commit(h, nullptr, 0), 0);
    hivex_close(h);
}

// Every value below hive\path, as "path|name|type|size|data" lines.
std::vector<std::string> Dump(Registry& registry, RegKey hive, const std::string& path) {
    std::vector<std::string> lines;
    ScopedRegKey key(registry);
    if (key.Open(hive, path, kKeyRead) != kRegSuccess) return lines;
    for (uint32_t i = 0;; ++i) {
        std::string name;
        uint32_t type = 0;
        if (registry.EnumValue(key.Get(), i, 16384, 1 << 30, name, type) != kRegSuccess) break;
        RegValue value;
        registry.QueryValue(key.Get(), name, 1 << 30, value);
        lines.push_back(path + "|" + name + "|" + std::to_string(value.type) + "|" +
                        std::to_string(value.size) + "|" + value.data);
    }
    for (uint32_t i = 0;; ++i) {
        std::string name;
        if (registry.EnumKey(key.Get(), i, 256, name) != kRegSuccess) break;
        for (std::string& line : Dump(registry, hive, path.empty() ? name : path + "\\" + name))
            lines.push_back(std::move(line));
    }
    return lines;
}

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
    auto log = [](uint32_t seq) {
        std::string bytes = EmptyHive().substr(0, 4096);
        PutDword(bytes, 4, seq);
        PutDword(bytes, 8, seq);
        PutDword(bytes, 0x1C, 1);  // a log
        Seal(bytes);
        return bytes + std::string(512, '\x11');
    };
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
        {"an old log", nullptr, "SOFTWARE.LOG1", log(sequence - 1), ""},
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
        {"a newer log", nullptr, "SOFTWARE.LOG1", log(sequence), "SOFTWARE.LOG1 holds changes"},
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
    fs::path c = machine.host() / "C";
    WriteHive(sample, HKLM, "SOFTWARE", c / "Windows/System32/config/SOFTWARE");
    WriteHive(sample, HKLM, "SYSTEM", c / "Windows/System32/config/SYSTEM");
    WriteHive(sample, HKCU, "", c / "Users/Sample/NTUSER.DAT", "Software\\Classes");
    WriteHive(sample, HKCU, "Software\\Classes",
              c / "Users/Sample/AppData/Local/Microsoft/Windows/UsrClass.dat");

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

    // A malformed file names itself and its line; nothing is scanned.
    WriteBytes(root / "user.reg", "WINE REGISTRY Version 2\n[Environment]\n\"TEMP\"=hex:zz\n");
    run = RunBuiltProgram("brivolex-cli",
                          {"scan", "--wine-prefix", prefix.path(), "--app-dir", appDir.path()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.output, "");
}

}  // namespace

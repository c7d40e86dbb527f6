// A repaired registry written back into the hives of a Windows installation: what the
// repair changed reaches the right file and nothing else does, unchanged values keep
// their bytes, and a hive that cannot be written safely stops the whole write-back.
#include <gtest/gtest.h>
#include <hivex.h>

#include <cstring>
#include <map>

#include "platform/portable/HiveFile.h"
#include "platform/portable/HiveWriteBack.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/OfflineImages.h"
#include "tests/HiveTestSupport.h"
#include "tests/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const std::string kStamp = "20240102-030405";

hive_node_h FindKey(hive_h* h, const std::string& path, bool create) {
    hive_node_h node = hivex_root(h);
    for (size_t at = 0; node != 0 && at < path.size();) {
        size_t end = std::min(path.find('\\', at), path.size());
        std::string name = path.substr(at, end - at);
        hive_node_h child = hivex_node_get_child(h, node, name.c_str());
        node = child != 0 || !create ? child : hivex_node_add_child(h, node, name.c_str());
        at = end + 1;
    }
    return node;
}

// Adds a value to a hive file as no registry in memory could hold it.
void PutRawValue(const fs::path& file, const std::string& path, const char* name, uint32_t type,
                 std::string bytes) {
    hive_h* h = hivex_open(file.c_str(), HIVEX_OPEN_WRITE);
    ASSERT_NE(h, nullptr);
    hive_set_value value{const_cast<char*>(name), {}, bytes.size(), bytes.data()};
    std::memcpy(&value.t, &type, sizeof type);
    EXPECT_EQ(hivex_node_set_value(h, FindKey(h, path, true), &value, 0), 0);
    EXPECT_EQ(hivex_commit(h, nullptr, 0), 0);
    hivex_close(h);
}

// The values of a key of a hive file, in its order, as "name|type|bytes".
std::vector<std::string> RawValues(const fs::path& file, const std::string& path) {
    std::vector<std::string> lines;
    hive_h* h = hivex_open(file.c_str(), 0);
    hive_value_h* values = h ? hivex_node_values(h, FindKey(h, path, false)) : nullptr;
    for (hive_value_h* v = values; v && *v; ++v) {
        char* name = hivex_value_key(h, *v);
        uint32_t type = 0;
        size_t length = 0;
        char* data = hivex_value_value(h, *v, reinterpret_cast<hive_type*>(&type), &length);
        lines.push_back(std::string(name) + "|" + std::to_string(type) + "|" +
                        std::string(data, length));
        std::free(name);
        std::free(data);
    }
    std::free(values);
    if (h) hivex_close(h);
    return lines;
}

// Every file below `root` with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = ReadBytes(entry.path());
    return files;
}

// An installation with user "ann", loaded, then repaired as the repair engine would:
// a key with subkeys and a value deleted and a text changed in SOFTWARE, a key deleted
// in UsrClass.dat.
struct RepairedInstallation {
    RepairedInstallation() {
        InMemoryRegistry source;
        const std::vector<std::tuple<RegKey, std::string, std::string, RegValue>> values = {
            {HKLM, "SOFTWARE\\App", "Changed", RegString("C:\\old\\app.exe")},
            {HKLM, "SOFTWARE\\App", "Gone", RegString("x")},
            {HKLM, "SOFTWARE\\App", "Unterminated", RegValue{REG_SZ_, "no end", 6}},
            {HKLM, "SOFTWARE\\App", "Device", RegBinary("\x01\x02\x03", 0xFFFF0012)},
            {HKLM, "SOFTWARE\\App", "Big", RegBinary(std::string(20000, 'Z'))},
            {HKLM, "SOFTWARE\\App\\Sub", "w", RegDword(2)},
            {HKLM, "SOFTWARE\\App\\Sub\\Deep", "v", RegDword(1)},
            {HKLM, "SOFTWARE\\Kept\\Inner", "v", RegString("kept")},
            {HKLM, "SYSTEM\\Select", "Current", RegDword(1)},
            {HKLM, "SYSTEM\\ControlSet001\\Control", "v", RegDword(3)},
            {HKCU, "Environment", "TEMP", RegString("%USERPROFILE%\\Temp", REG_EXPAND_SZ_)},
            {HKCU, "Software\\Classes\\.txt", "", RegString("txtfile")},
            {HKCU, "Software\\Classes\\.gone", "", RegString("gone")},
        };
        for (const auto& [hive, key, name, value] : values) source.PutValue(hive, key, name, value);
        WriteInstallation(source, root, "ann");
        // Hives hold strings of an odd byte count. NTUSER.DAT has a Software\Classes of its
        // own, which the registry does not show: UsrClass.dat is mounted there.
        PutRawValue(software, "App", "Odd", REG_SZ_, std::string("A\0B\0C", 5));
        PutRawValue(ntuser, "Software\\Classes\\.gone", "", REG_SZ_, std::string("g\0", 2));
        std::string note, error;
        loaded = LoadWindowsInstallation(registry, root.string(), "", installation, note, error);
        EXPECT_TRUE(loaded) << error;

        EXPECT_TRUE(registry.DeleteTree(HKLM, "SOFTWARE\\App\\Sub"));
        EXPECT_TRUE(registry.DeleteTree(HKCU, "Software\\Classes\\.gone"));
        ScopedRegKey app(registry);
        EXPECT_EQ(app.Open(HKLM, "SOFTWARE\\App", KEY_ALL_ACCESS_), kRegSuccess);
        EXPECT_EQ(registry.DeleteValue(app.Get(), "Gone"), kRegSuccess);
        EXPECT_EQ(registry.SetValue(app.Get(), "Changed", RegString("D:\\new\\app.exe")),
                  kRegSuccess);
    }

    ScratchFolder folder{"writeback"};
    fs::path root = folder.host() / "C";
    fs::path config = root / "Windows/System32/config";
    fs::path software = config / "SOFTWARE", system = config / "SYSTEM";
    fs::path ntuser = root / "Users/ann/NTUSER.DAT";
    fs::path usrClass = root / "Users/ann/AppData/Local/Microsoft/Windows/UsrClass.dat";
    InMemoryRegistry registry;
    WindowsInstallation installation;
    bool loaded = false;
};

// The repairs reach SOFTWARE and UsrClass.dat, which read back as the registry shows
// them, with every value the repair left alone in its bytes and place; the hives that
// did not change are not rewritten; each rewritten one has its backup.
TEST(HiveWriteBack, RepairsReachTheirHivesOnlyAndReadBackAsRepaired) {
    RepairedInstallation c;
    ASSERT_TRUE(c.loaded);
    const std::vector<MountedHive> expected = {
        {HKLM, "SOFTWARE", c.software.string(), {}},
        {HKLM, "SYSTEM", c.system.string(), {"CurrentControlSet"}},
        {HKCU, "", c.ntuser.string(), {"Software\\Classes", "Volatile Environment"}},
        {HKCU, "Software\\Classes", c.usrClass.string(), {}},
    };
    ASSERT_EQ(c.installation.hives.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const MountedHive &got = c.installation.hives[i], &want = expected[i];
        EXPECT_EQ(std::tie(got.hive, got.below, got.file, got.skip),
                  std::tie(want.hive, want.below, want.file, want.skip))
            << want.file;
    }
    std::map<std::string, std::string> before = Snapshot(c.root);

    std::vector<std::string> changed;
    std::string error;
    ASSERT_TRUE(WriteBackHives(c.registry, c.installation.hives, kStamp, changed, error)) << error;
    EXPECT_EQ(changed, (std::vector<std::string>{c.software.string(), c.usrClass.string()}));

    InMemoryRegistry again;
    ASSERT_TRUE(LoadHiveFile(again, HKLM, "SOFTWARE", c.software.string(), error) &&
                LoadHiveFile(again, HKCU, "Software\\Classes", c.usrClass.string(), error))
        << error;
    for (auto [hive, path] : {std::pair{HKLM, "SOFTWARE"}, {HKCU, "Software\\Classes"}})
        EXPECT_EQ(Dump(again, hive, path), Dump(c.registry, hive, path)) << path;
    EXPECT_EQ(Dump(again, HKLM, "SOFTWARE\\App\\Sub"), std::vector<std::string>{});
    const std::string utf16New("D\0:\0\\\0n\0e\0w\0\\\0a\0p\0p\0.\0e\0x\0e\0\0\0", 30);
    EXPECT_EQ(
        RawValues(c.software, "App"),
        (std::vector<std::string>{
            "Changed|1|" + utf16New, "Unterminated|1|" + std::string("n\0o\0 \0e\0n\0d\0", 12),
            "Device|4294901778|\x01\x02\x03", "Big|3|" + std::string(20000, 'Z'),
            "Odd|1|" + std::string("A\0B\0C", 5)}));

    std::map<std::string, std::string> after = Snapshot(c.root);
    const std::string softwareKey = "Windows/System32/config/SOFTWARE";
    const std::string usrClassKey = "Users/ann/AppData/Local/Microsoft/Windows/UsrClass.dat";
    EXPECT_EQ(after[softwareKey + ".brivolex-" + kStamp + ".bak"], before[softwareKey]);
    EXPECT_EQ(after[usrClassKey + ".brivolex-" + kStamp + ".bak"], before[usrClassKey]);
    EXPECT_EQ(after.size(), before.size() + 2);  // the backups, no other file
    for (const char* same : {"Windows/System32/config/SYSTEM", "Users/ann/NTUSER.DAT"})
        EXPECT_EQ(after[same], before[same]) << same;

    // Written back, the hives match the registry: a second write-back finds nothing.
    ASSERT_TRUE(WriteBackHives(c.registry, c.installation.hives, kStamp, changed, error)) << error;
    EXPECT_EQ(changed, std::vector<std::string>{});
}

// A hive about to change whose logs hold changes, or whose backup exists already, stops
// the write-back before any file is written, the other changing hive included; a pending
// log beside a hive that does not change is not in the way.
TEST(HiveWriteBack, UnsafeChangingHiveStopsEveryWrite) {
    struct Case {
        const char* what;
        std::string extra;     // a file put beside the installation's files
        bool logged;           // a newer transaction log, else a stale backup
        std::string expected;  // the error's end; "" when the write-back goes through
    } cases[] = {
        {"a newer log of UsrClass.dat", "UsrClass.dat.LOG1", true,
         ": its transaction log UsrClass.dat.LOG1 holds changes"},
        {"SOFTWARE's backup", "SOFTWARE.brivolex-" + kStamp + ".bak", false,
         ".brivolex-" + kStamp + ".bak exists already"},
        {"a newer log of SYSTEM", "SYSTEM.LOG2", true, ""},
    };
    for (const Case& test : cases) {
        RepairedInstallation c;
        ASSERT_TRUE(c.loaded);
        fs::path hive = test.extra.rfind("UsrClass", 0) == 0 ? c.usrClass
                        : test.extra.rfind("SYSTEM", 0) == 0 ? c.system
                                                             : c.software;
        std::string hiveBytes = ReadBytes(hive);
        WriteBytes(hive.parent_path() / test.extra,
                   test.logged ? HiveLog(GetDword(hiveBytes, 8)) : "an old backup");
        std::map<std::string, std::string> before = Snapshot(c.root);
        std::vector<std::string> changed;
        std::string error;
        bool ok = WriteBackHives(c.registry, c.installation.hives, kStamp, changed, error);
        if (test.expected.empty()) {
            EXPECT_TRUE(ok) << test.what << ": " << error;
            EXPECT_EQ(changed.size(), 2u) << test.what;
            continue;
        }
        EXPECT_FALSE(ok) << test.what;
        EXPECT_EQ(error.rfind(hive.string() + ": ", 0), 0u) << test.what << ": " << error;
        EXPECT_NE(error.find(test.expected), std::string::npos) << test.what << ": " << error;
        EXPECT_EQ(changed, std::vector<std::string>{}) << test.what;
        EXPECT_EQ(Snapshot(c.root), before) << test.what;
    }
}

}  // namespace

// The registry as the program relies on it, and the program's reads and writes on it,
// with the same expectations for every backend: the in-memory registry (natively and
// under Wine) and the real registry under Wine, inside scratch keys created for each
// test and removed after it. Every call goes through a spy, so the order of the calls
// can be checked too. Where Wine is known to differ from Windows, the in-memory
// registry follows Windows and the expectation is skipped for the real registry.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <random>

#include "core/App.h"
#include "repair/RegistryWrite.h"
#include "scan/RegistryRead.h"
#include "tests/RegistrySpy.h"
#include "tests/TestSupport.h"
#include "tests/contract/RegistryBackends.h"

using Lines = std::vector<std::string>;

namespace {

// Cyrillic and CJK texts.
const std::string kCyrillicKey = "\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87";       // "Ключ"
const std::string kCyrillicKeyUpper = "\xD0\x9A\xD0\x9B\xD0\xAE\xD0\xA7";  // "КЛЮЧ"
const std::string kCjk = "\xE4\xB8\xAD\xE6\x96\x87";                       // "中文"
const std::string kNotFound = "failed with error: (2) The system cannot find the file specified.\r";

class RegistryContract : public ::testing::TestWithParam<contract::RegistryBackend> {
  protected:
    void SetUp() override {
        world = GetParam().make();
        std::random_device random;
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        std::string tag =
            std::to_string(stamp % 1000000007) + "-" + std::to_string(random() % 100000);
        top = "BrivolexContract-" + tag;
        base = "Software\\" + top;
        classText = "{" + top + "}";
        ASSERT_TRUE(world->CreateKey(HKCU, base));
        spy = std::make_unique<testing_support::RegistrySpy>(world->registry());
        platform = std::make_unique<Platform>(testing_support::Using(rest.platform, *spy));
        app = std::make_unique<App>(*platform, folder.path());
        app->events = spy.get();
    }
    void TearDown() override {
        world->RemoveTree(HKCU, base);
        world->RemoveTree(HKCU, top);
        world->RemoveTree(HKCR, "CLSID\\" + classText);
        world->RemoveTree(HKCU, "Software\\Classes\\" + top);
        world->RemoveTree(HKLM, "SOFTWARE\\Classes\\" + top);
    }

    Registry& reg() { return world->registry(); }
    bool Real() const { return GetParam().real; }
    // base, or a path below it.
    std::string K(const std::string& sub = "") const {
        return sub.empty() ? base : base + "\\" + sub;
    }
    void Put(const std::string& sub, const std::string& name, const RegValue& value) {
        ASSERT_TRUE(world->Put(HKCU, K(sub), name, value));
    }
    // Query access, so that read-only keys can be looked at too.
    int32_t Query(const std::string& sub, const std::string& name, RegValue& value) {
        return Query(sub, name, kValueBufferSize, value);
    }
    int32_t Query(const std::string& sub, const std::string& name, uint32_t capacity,
                  RegValue& value) {
        ScopedRegKey key(reg());
        int32_t status = key.Open(HKCU, K(sub), KEY_QUERY_VALUE_);
        return status != 0 ? status : reg().QueryValue(key.Get(), name, capacity, value);
    }
    bool HasValue(const std::string& sub, const std::string& name) {
        RegValue value;
        return Query(sub, name, value) == 0;
    }
    Lines Names(const std::string& sub, bool values) {
        Lines names;
        ScopedRegKey key(reg());
        if (key.Open(HKCU, K(sub), KEY_ALL_ACCESS_) != 0) return names;
        std::string name;
        for (uint32_t i = 0; (values ? MyRegEnumValue(*app, key.Get(), i, name)
                                     : MyRegEnumKey(*app, key.Get(), i, name)) == 0;
             ++i)
            names.push_back(name);
        return names;
    }
    Lines Subkeys(const std::string& sub) { return Names(sub, false); }
    Lines Values(const std::string& sub) { return Names(sub, true); }
    bool KeyExists(const std::string& sub) { return RegistryKeyExists(*app, HKCU, K(sub)); }
    Lines Log(const std::string& name) { return testing_support::ReadLines(folder.HostFile(name)); }
    // The texts of "app3.log", without their date and time.
    Lines ProblemLog() {
        Lines texts;
        for (const std::string& line : Log("app3.log"))
            texts.push_back(line.substr(line.find(": ") + 2));
        return texts;
    }
    void ForgetLogs() {
        for (const char* name : {"app.log", "app2.log", "app3.log"})
            std::filesystem::remove(folder.HostFile(name));
        spy->calls.clear();
    }

    testing_support::ScratchFolder folder{"regc"};
    PortableWorld rest;  // everything but the registry
    std::unique_ptr<contract::RegistryWorld> world;
    std::unique_ptr<testing_support::RegistrySpy> spy;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<App> app;
    std::string top, base, classText;
};

TEST_P(RegistryContract, ValueReadsStopAtTheirBufferSize) {
    struct Case {
        const char* what;
        RegValue value;
        int32_t status;  // of a query into 1024
        uint32_t size;
        std::string text;  // GetRegistryValue
        uint32_t type;     // GetRegistryValueType
    };
    const Case cases[] = {
        {"text filling the buffer", RegString(std::string(1023, 'a')), 0, 1024,
         std::string(1023, 'a'), REG_SZ_},
        {"text one over", RegString(std::string(1024, 'a')), 234, 1025, "", 0},
        {"text of 2000", RegString(std::string(1999, 'b')), 234, 2000, "", 0},
        {"binary of 1024", RegBinary(std::string(1024, 'x')), 0, 1024, std::string(1023, 'x'),
         REG_BINARY_},
        {"binary of 1500", RegBinary(std::string(1500, 'x')), 234, 1500, "", 0},
        {"eight-character path", RegString("C:\\x.exe"), 0, 9, "C:\\x.exe", REG_SZ_},
        {"dword as three characters", RegDword(0x00636261), 0, 4, "abc", REG_DWORD_},
        {"expand string unexpanded", RegString("%windir%\\x", REG_EXPAND_SZ_), 0, 11, "%windir%\\x",
         REG_EXPAND_SZ_},
        {"multi-string with its inner NULs", RegString(std::string("a\0b", 3), REG_MULTI_SZ_), 0, 5,
         std::string("a\0b\0", 4), REG_MULTI_SZ_},
        {"empty text", RegString(""), 0, 1, "", REG_SZ_},
        {"no data at all", RegBinary(""), 0, 0, "", REG_BINARY_},
        {"text without data", RegValue{REG_SZ_, "", 0}, 0, 0, "", REG_SZ_},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put("", "v", c.value);
        RegValue read;
        EXPECT_EQ(Query("", "v", read), c.status);
        EXPECT_EQ(read.size, c.size);
        EXPECT_EQ(read.type, c.value.type);
        EXPECT_EQ(GetRegistryValue(*app, HKCU, K(), "v"), c.text);
        EXPECT_EQ(RegistryValueExists(*app, HKCU, K(), "v"), c.status == 0);
        EXPECT_EQ(GetRegistryValueType(*app, HKCU, K(), "v"), c.type);
    }
}

TEST_P(RegistryContract, LargeValuesAreReadWholeWithinAnyCapacity) {
    std::string bytes;
    for (int i = 0; i < 40000; ++i) bytes += static_cast<char>('a' + i % 26);
    struct Case {
        const char* what;
        RegValue value;
        uint32_t capacity;
        int32_t status;
        uint32_t size;
    };
    const Case cases[] = {
        {"binary of 40000, any size", RegBinary(bytes), 0xFFFFFFFFu, 0, 40000},
        {"binary of 40000, exactly its size", RegBinary(bytes), 40000, 0, 40000},
        {"binary of 40000, one short", RegBinary(bytes), 39999, 234, 40000},
        {"text of 20000, any size", RegString(bytes.substr(0, 19999)), 0xFFFFFFFFu, 0, 20000},
        {"text of 20000, exactly its size", RegString(bytes.substr(0, 19999)), 20000, 0, 20000},
        {"text of 20000, one short", RegString(bytes.substr(0, 19999)), 19999, 234, 20000},
        {"short text, any size", RegString("abc"), 0xFFFFFFFFu, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put("", "big", c.value);
        RegValue read;
        read.data = "left over";
        EXPECT_EQ(Query("", "big", c.capacity, read), c.status);
        EXPECT_EQ(read.type, c.value.type);
        EXPECT_EQ(read.size, c.size);
        EXPECT_EQ(read.data, c.status == 0 ? c.value.data : "");
    }
}

TEST_P(RegistryContract, AbsentKeysAndValuesAndAnUnsetDefaultValueReadAsNothing) {
    Put("", "named", RegString("x"));
    for (const auto& [sub, name] : {std::pair<std::string, std::string>{"", ""},
                                    {"", "absent"},
                                    {"Absent", ""},
                                    {"Absent", "x"}}) {
        SCOPED_TRACE(sub + "\\" + name);
        EXPECT_EQ(GetRegistryValue(*app, HKCU, K(sub), name), "");
        EXPECT_FALSE(RegistryValueExists(*app, HKCU, K(sub), name));
        EXPECT_EQ(GetRegistryValueType(*app, HKCU, K(sub), name), 0u);
        RegValue read;
        EXPECT_EQ(Query(sub, name, read), 2);
    }
    EXPECT_FALSE(KeyExists("Absent"));
    EXPECT_TRUE(KeyExists(""));
    Put("", "", RegString("default"));
    EXPECT_EQ(GetRegistryValue(*app, HKCU, K(), ""), "default");
}

TEST_P(RegistryContract, NamesMatchWithoutRegardToCaseAndKeepTheirSpelling) {
    Put("MixedCase", "ValueName", RegString("x"));
    Put(kCyrillicKey + kCjk, kCyrillicKey, RegString(kCjk + kCyrillicKey));
    EXPECT_TRUE(KeyExists("MIXEDCASE"));
    EXPECT_TRUE(RegistryValueExists(*app, HKCU, K("mixedcase"), "VALUENAME"));
    // Non-ASCII names and data come back as they were written.
    EXPECT_TRUE(KeyExists(kCyrillicKeyUpper + kCjk));
    EXPECT_EQ(GetRegistryValue(*app, HKCU, K(kCyrillicKeyUpper + kCjk), kCyrillicKeyUpper),
              kCjk + kCyrillicKey);
    EXPECT_EQ(Subkeys(""), (Lines{"MixedCase", kCyrillicKey + kCjk}));
    EXPECT_EQ(Values(kCyrillicKey + kCjk), Lines{kCyrillicKey});
    // Overwriting under another spelling keeps the first one.
    Put("MixedCase", "VALUENAME", RegString("y"));
    EXPECT_EQ(Values("MixedCase"), Lines{"ValueName"});
    EXPECT_EQ(GetRegistryValue(*app, HKCU, K("MixedCase"), "valuename"), "y");
}

TEST_P(RegistryContract, SubkeysEnumerateSortedWithoutRegardToCase) {
    for (const char* name : {"delta", "Bravo", "alpha", "CHARLIE", "{B}", "10", "9"})
        ASSERT_TRUE(world->CreateKey(HKCU, K(name)));
    EXPECT_EQ(Subkeys(""), (Lines{"10", "9", "alpha", "Bravo", "CHARLIE", "delta", "{B}"}));
}

TEST_P(RegistryContract, OrdersWhereWineDiffers) {
    if (Real())
        GTEST_SKIP() << "Known Wine differences: Wine orders subkeys by their lower-case form, so "
                        "\"A_\" comes before \"AB\", where Windows uses the upper-case form; and "
                        "Wine keeps the values of a key sorted by name, where Windows enumerates "
                        "them in the order they were created";
    for (const char* name : {"A_", "AB", "A[", "Aa"}) ASSERT_TRUE(world->CreateKey(HKCU, K(name)));
    EXPECT_EQ(Subkeys(""), (Lines{"Aa", "AB", "A[", "A_"}));
    for (const char* name : {"zulu", "alpha", "Mike"}) Put("", name, RegString(name));
    EXPECT_EQ(Values(""), (Lines{"zulu", "alpha", "Mike"}));
}

TEST_P(RegistryContract, EnumerationEndsAtTheFirstEntryThatDoesNotFit) {
    // Names in alphabetical order, so that the creation order is the sorted one too.
    Put("", "a_first", RegString("1"));
    Put("", "b_big", RegBinary(std::string(300, 'z')));
    Put("", "c_third", RegString("3"));
    Put("Edge", "a", RegBinary(std::string(260, 'z')));
    Put("Edge", "b", RegBinary(std::string(261, 'z')));
    Put("Names", std::string(254, 'n'), RegString("x"));
    Put("Names", std::string(255, 'o'), RegString("x"));
    for (const std::string& name : {std::string(254, 'k'), std::string(255, 'l'), std::string("m")})
        ASSERT_TRUE(world->CreateKey(HKCU, K("Keys\\" + name)));

    EXPECT_EQ(Values(""), Lines{"a_first"});
    EXPECT_EQ(Values("Edge"), Lines{"a"});
    EXPECT_EQ(Values("Names"), Lines{std::string(254, 'n')});
    EXPECT_EQ(Subkeys("Keys"), Lines{std::string(254, 'k')});
    EXPECT_EQ(Subkeys("Edge"), Lines{});

    // Each step clears the name first; the end status is 259.
    ScopedRegKey values(reg()), keys(reg());
    ASSERT_EQ(values.Open(HKCU, K(), KEY_ALL_ACCESS_), 0);
    ASSERT_EQ(keys.Open(HKCU, K("Keys"), KEY_ALL_ACCESS_), 0);
    std::string name = "stale";
    EXPECT_EQ(MyRegEnumValue(*app, values.Get(), 1, name), 234);
    EXPECT_EQ(name, "");
    name = "stale";
    EXPECT_EQ(MyRegEnumKey(*app, keys.Get(), 1, name), 234);
    EXPECT_EQ(name, "");
    EXPECT_EQ(MyRegEnumKey(*app, keys.Get(), 2, name), 0);
    EXPECT_EQ(name, "m");
    EXPECT_EQ(MyRegEnumKey(*app, keys.Get(), 3, name), 259);
    EXPECT_EQ(name, "");
}

TEST_P(RegistryContract, AnEmptyPathOpensTheHiveOrTheKeyItself) {
    Put("Self", "v", RegString("here"));
    ScopedRegKey hive(reg());
    ASSERT_EQ(hive.Open(HKCU, "", KEY_ALL_ACCESS_), 0);
    std::string name;
    bool sawSoftware = false;
    for (uint32_t i = 0; MyRegEnumKey(*app, hive.Get(), i, name) == 0; ++i)
        sawSoftware = sawSoftware || name == "Software";
    EXPECT_TRUE(sawSoftware);
    EXPECT_EQ(GetRegistryValue(*app, HKCU, "", "BrivolexNoSuchValue"), "");
    EXPECT_TRUE(RegistryKeyExists(*app, HKCU, ""));

    ScopedRegKey self(reg());
    ASSERT_EQ(self.Open(HKCU, K("Self"), KEY_ALL_ACCESS_), 0);
    ScopedRegKey again(reg());
    ASSERT_EQ(again.Open(self.Get(), "", KEY_QUERY_VALUE_), 0);
    RegValue read;
    EXPECT_EQ(reg().QueryValue(again.Get(), "v", 1024, read), 0);
    EXPECT_EQ(read.data, std::string("here\0", 5));
}

TEST_P(RegistryContract, KeyAndValueDeletes) {
    Put("Gone", "v", RegString("x"));
    ASSERT_TRUE(world->CreateKey(HKCU, K("Itself")));
    Put("", "v", RegString("x"));
    ScopedRegKey key(reg()), gone(reg()), itself(reg()), readOnly(reg());
    ASSERT_EQ(key.Open(HKCU, K(), KEY_ALL_ACCESS_), 0);
    ASSERT_EQ(gone.Open(HKCU, K("Gone"), KEY_ALL_ACCESS_), 0);
    ASSERT_EQ(itself.Open(HKCU, K("Itself"), KEY_ALL_ACCESS_), 0);
    ASSERT_EQ(readOnly.Open(HKCU, K(), KEY_QUERY_VALUE_), 0);
    // The handle of a deleted key fails.
    ASSERT_EQ(reg().DeleteKey(key.Get(), "Gone"), 0);
    RegValue read;
    std::string name;
    EXPECT_EQ(reg().QueryValue(gone.Get(), "v", 1024, read), 1018);
    EXPECT_EQ(reg().EnumKey(gone.Get(), 0, 255, name), 1018);
    // An empty name deletes the open key itself, but never a hive.
    EXPECT_EQ(reg().DeleteKey(itself.Get(), ""), 0);
    EXPECT_FALSE(KeyExists("Itself"));
    EXPECT_EQ(reg().DeleteKey(HKCU, ""), 5);
    // Values: without regard to case; not twice; not through a query-only handle.
    EXPECT_EQ(reg().DeleteValue(key.Get(), "V"), 0);
    EXPECT_EQ(reg().DeleteValue(key.Get(), "v"), 2);
    EXPECT_EQ(reg().SetValue(readOnly.Get(), "w", RegString("y")), 5);
}

TEST_P(RegistryContract, DeleteRegistryKeyListsEachLevelBeforeDeletingItDeepestFirst) {
    for (const char* path : {"K\\A\\A1\\X", "K\\A\\A2", "K\\B\\B1"})
        ASSERT_TRUE(world->CreateKey(HKCU, K(path)));
    Put("K\\A", "v", RegString("data"));
    ASSERT_TRUE(world->CreateKey(HKCU, K("Sibling")));
    ForgetLogs();
    EXPECT_EQ(DeleteRegistryKey(*app, HKCU, K("K"), true), 0);
    const std::string k = K("K");
    // clang-format off
    const Lines expected = {
        // K: its subkeys are listed, one yield each, before anything goes.
        "open " + k, "enum 0", "yield", "enum 1", "yield", "enum 2",
        "open " + k + "\\A", "enum 0", "yield", "enum 1", "yield", "enum 2",
        // K\A\A1, then its only subkey X, which is deleted first.
        "open " + k + "\\A\\A1", "enum 0", "yield", "enum 1",
        "open " + k + "\\A\\A1\\X", "enum 0",
        "open " + k + "\\A\\A1", "deletekey X",
        "open " + k + "\\A", "deletekey A1",
        "open " + k + "\\A\\A2", "enum 0",
        "open " + k + "\\A", "deletekey A2",
        "open " + k, "deletekey A",
        "open " + k + "\\B", "enum 0", "yield", "enum 1",
        "open " + k + "\\B\\B1", "enum 0",
        "open " + k + "\\B", "deletekey B1",
        "open " + k, "deletekey B",
        "open " + base, "deletekey K"};
    // clang-format on
    EXPECT_EQ(spy->Only({"open", "enum", "deletekey", "yield"}), expected);
    EXPECT_FALSE(KeyExists("K"));
    EXPECT_TRUE(KeyExists("Sibling"));
    // One trace line per call, no registry error lines.
    EXPECT_EQ(Log("app2.log"), Lines(7, "DeleteRegistryKey"));
}

TEST_P(RegistryContract, DeleteRegistryKeyPathsAndFailures) {
    ASSERT_TRUE(world->CreateKey(HKCU, top));
    ASSERT_TRUE(world->CreateKey(HKCU, K("Parent\\Child")));
    struct Case {
        std::string path;
        bool subkeys;
        int32_t result;
        Lines calls;  // opens and deletes
    } cases[] = {
        {top, false, 0, {"open ", "deletekey " + top}},  // a key right below the hive
        {K("Absent"), false, 2, {"open " + base, "deletekey Absent"}},
        {K("NoParent\\Absent"), false, 2, {"open " + K("NoParent")}},
        {K("Parent"), false, 5, {"open " + base, "deletekey Parent"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ForgetLogs();
        EXPECT_EQ(DeleteRegistryKey(*app, HKCU, c.path, c.subkeys), c.result);
        EXPECT_EQ(spy->Only({"open", "deletekey", "enum"}), c.calls);
        EXPECT_EQ(Log("app2.log"), Lines{"DeleteRegistryKey"});
    }
    EXPECT_FALSE(RegistryKeyExists(*app, HKCU, top));
    EXPECT_TRUE(KeyExists("Parent\\Child"));
}

TEST_P(RegistryContract, DeleteRegistryValueOutcomes) {
    ASSERT_TRUE(world->CreateKey(HKCU, K("RO")));
    ASSERT_TRUE(world->MakeReadOnly(HKCU, K("RO")));
    const std::string key = K("W");
    struct Case {
        const char* what;
        std::string key, name;
        bool nameRequired;
        int32_t result;
        Lines trace, appLog;
        bool defaultRemains, namedRemains;
    } cases[] = {
        {"named value", key, "Path", true, 0, {}, {}, true, false},
        {"default value, name not required", key, "", false, 0, {}, {}, false, true},
        {"default value refused",
         key,
         "",
         true,
         0,
         {},
         {"Error: DeleteRegistryValue (" + key + "): valuename is empty"},
         true,
         true},
        {"missing key",
         K("Gone"),
         "Path",
         true,
         2,
         {"RegOpenKeyEx for HKCU\\" + K("Gone") + " " + kNotFound},
         {},
         true,
         true},
        {"missing value",
         key,
         "Nope",
         true,
         2,
         {"RegDeleteValue for HKCU\\" + key + "\\Nope " + kNotFound},
         {},
         true,
         true},
        {"read-only key",
         K("RO"),
         "Path",
         true,
         5,
         {"RegOpenKeyEx for HKCU\\" + K("RO") + " failed with error: (5) Access is denied.\r"},
         {},
         true,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put("W", "", RegString("default"));
        Put("W", "Path", RegString("C:\\x.exe"));
        ForgetLogs();
        EXPECT_EQ(DeleteRegistryValue(*app, HKCU, c.key, c.name, c.nameRequired), c.result);
        Lines trace = {"DeleteRegistryValue"};
        trace.insert(trace.end(), c.trace.begin(), c.trace.end());
        EXPECT_EQ(Log("app2.log"), trace);
        EXPECT_EQ(Log("app.log"), c.appLog);
        EXPECT_EQ(HasValue("W", ""), c.defaultRemains);
        EXPECT_EQ(HasValue("W", "Path"), c.namedRemains);
    }
}

TEST_P(RegistryContract, ChangeRegistryValueLogsAndReadsBack) {
    ASSERT_TRUE(world->CreateKey(HKCU, K("RO")));
    ASSERT_TRUE(world->MakeReadOnly(HKCU, K("RO")));
    const std::string change = " >>> Changing registry value to C:\\New\\app.exe";
    const std::string ofDefault = " >>> Changing default key value";
    const std::string backread = " >>> Backreaded value is C:\\New\\app.exe";
    struct Case {
        std::string key, name;
        bool result;
        Lines log;
    } cases[] = {
        {K("W"), "Path", true, {change, backread}},
        {K("W"), "", true, {change, ofDefault, backread}},
        {K("Gone"), "Path", false, {change, " >>> Cannot open key, error 2"}},
        {K("Gone"), "", false, {change, ofDefault, " >>> Cannot open key, error 2"}},
        {K("RO"), "Path", false, {change, " >>> Cannot open key, error 5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key + "\\" + c.name);
        Put("W", "Path", RegString("C:\\Old\\app.exe", REG_EXPAND_SZ_));
        ForgetLogs();
        EXPECT_EQ(ChangeRegistryValue(*app, HKCU, c.key, c.name, "C:\\New\\app.exe"), c.result);
        EXPECT_EQ(ProblemLog(), c.log);
        EXPECT_EQ(Log("app2.log").front(), "ChangeRegistryValue");
        EXPECT_FALSE(KeyExists("Gone"));
        EXPECT_EQ(spy->Only({"set"}).size(), c.result ? 1u : 0u);
        if (!c.result) continue;
        // Written as REG_SZ whatever it was, its terminator stored by the registry.
        EXPECT_EQ(GetRegistryValueType(*app, HKCU, c.key, c.name), REG_SZ_);
        RegValue stored;
        ASSERT_EQ(Query("W", c.name, stored), 0);
        EXPECT_EQ(stored.data, std::string("C:\\New\\app.exe") + '\0');
        EXPECT_EQ(stored.size, 15u);
    }
    // The length written is the text's in characters; the log is ANSI, where
    // characters outside the code page become "?".
    const std::string text = "\xD0\x96\xD1\x83\xD0\xBA \xE4\xB8\xAD";  // Cyrillic and CJK
    ASSERT_TRUE(ChangeRegistryValue(*app, HKCU, K("W"), "Name", text));
    RegValue stored;
    ASSERT_EQ(Query("W", "Name", stored), 0);
    EXPECT_EQ(stored.size, 6u);
    EXPECT_EQ(GetRegistryValue(*app, HKCU, K("W"), "Name"), text);
    EXPECT_EQ(ProblemLog().back(), " >>> Backreaded value is ??? ?");
}

TEST_P(RegistryContract, AReadOnlyKeyReadsAsAbsentToFullAccess) {
    Put("RO", "", RegString("default"));
    ASSERT_TRUE(world->CreateKey(HKCR, "CLSID\\" + classText + "\\InprocServer32"));
    ASSERT_TRUE(world->CreateKey(HKCR, "CLSID\\" + classText + "\\LocalServer32"));
    ASSERT_TRUE(world->MakeReadOnly(HKCU, K("RO")));
    ASSERT_TRUE(world->MakeReadOnly(HKCR, "CLSID\\" + classText + "\\InprocServer32"));

    RegKey key = 0;
    EXPECT_EQ(reg().OpenKey(HKCU, K("RO"), KEY_ALL_ACCESS_, key), 5);
    EXPECT_TRUE(HasValue("RO", ""));
    EXPECT_TRUE(KeyExists("RO"));
    EXPECT_EQ(GetRegistryValue(*app, HKCU, K("RO"), ""), "");
    EXPECT_FALSE(RegistryValueExists(*app, HKCU, K("RO"), ""));
    EXPECT_FALSE(ScanHKCR_CLSID_exist_subkey(*app, classText, "InprocServer32"));
    EXPECT_TRUE(ScanHKCR_CLSID_exist_subkey(*app, classText, "LocalServer32"));
    EXPECT_FALSE(ScanHKCR_CLSID_exist_subkey(*app, classText, "DefaultIcon"));
    EXPECT_FALSE(ScanHKCR_CLSID_exist_subkey(*app, classText.substr(1, classText.size() - 2),
                                             "LocalServer32"));  // braces are part of the name
    EXPECT_TRUE(RegistryKeyExists(*app, HKCR, "CLSID\\" + classText + "\\InprocServer32"));
}

TEST_P(RegistryContract, AReadOnlyKeyCannotBeDeleted) {
    if (Real())
        GTEST_SKIP() << "Known Wine difference: Wine leaves the key's owner the right to delete "
                        "it whatever its DACL says; Windows refuses the delete to an account "
                        "without the DELETE right";
    ASSERT_TRUE(world->CreateKey(HKCU, K("RO")));
    ASSERT_TRUE(world->MakeReadOnly(HKCU, K("RO")));
    EXPECT_EQ(DeleteRegistryKey(*app, HKCU, K("RO"), true), 5);
    EXPECT_TRUE(KeyExists("RO"));
}

TEST_P(RegistryContract, ClassesRootMergesThePerUserClasses) {
    if (Real())
        GTEST_SKIP() << "Known Wine 8 difference: Wine does not merge "
                        "HKCU\\Software\\Classes into HKEY_CLASSES_ROOT; Windows does";
    const std::string machine = "SOFTWARE\\Classes\\" + top, user = "Software\\Classes\\" + top;
    ASSERT_TRUE(world->Put(HKLM, machine, "", RegString("machine")));
    ASSERT_TRUE(world->Put(HKLM, machine + "\\OnlyMachine", "", RegString("m")));
    ASSERT_TRUE(world->Put(HKCU, user, "", RegString("user")));
    ASSERT_TRUE(world->Put(HKCU, user + "\\OnlyUser", "", RegString("u")));
    ASSERT_TRUE(world->CreateKey(HKCR, "CLSID\\" + classText));
    EXPECT_TRUE(RegistryKeyExists(*app, HKCR, top + "\\OnlyUser"));
    EXPECT_TRUE(RegistryKeyExists(*app, HKCR, top + "\\OnlyMachine"));
    ScopedRegKey merged(reg());
    ASSERT_EQ(merged.Open(HKCR, top, KEY_ALL_ACCESS_), 0);
    std::string name;
    Lines names;
    for (uint32_t i = 0; MyRegEnumKey(*app, merged.Get(), i, name) == 0; ++i) names.push_back(name);
    EXPECT_EQ(names, (Lines{"OnlyMachine", "OnlyUser"}));
    EXPECT_EQ(GetRegistryValue(*app, HKCR, top, ""), "user");
    EXPECT_TRUE(RegistryKeyExists(*app, HKCR, "CLSID\\" + classText));
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryContract,
                         ::testing::ValuesIn(contract::RegistryBackends()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

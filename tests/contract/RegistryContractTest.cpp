// The registry as the program relies on it, with the same expectations for every
// backend: the in-memory registry (natively and under Wine) and the real registry
// under Wine, inside scratch keys created for each test and removed after it.
// Where Wine is known to differ from Windows, the in-memory registry follows Windows
// and the expectation is skipped for the real registry with the reason.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>

#include "core/App.h"
#include "repair/RegistryWrite.h"
#include "scan/RegistryRead.h"
#include "tests/RegistrySpy.h"
#include "tests/TestSupport.h"
#include "tests/contract/RegistryBackends.h"

namespace {

std::string UniqueTag() {
    std::random_device random;
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::to_string(stamp % 1000000007) + "-" + std::to_string(random() % 100000);
}

// Cyrillic and CJK texts.
const std::string kCyrillicKey = "\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87";       // "Ключ"
const std::string kCyrillicKeyUpper = "\xD0\x9A\xD0\x9B\xD0\xAE\xD0\xA7";  // "КЛЮЧ"
const std::string kCjk = "\xE4\xB8\xAD\xE6\x96\x87";                       // "中文"

class RegistryContract : public ::testing::TestWithParam<contract::RegistryBackend> {
protected:
    void SetUp() override {
        world = GetParam().make();
        std::string tag = UniqueTag();
        base = "Software\\BrivolexContract-" + tag;
        classText = "{BrivolexContract-" + tag + "}";
        userClass = "BrivolexContract-" + tag;
        ASSERT_TRUE(world->CreateKey(HKCU, base));
        platform = std::make_unique<Platform>(Platform{world->registry(), rest.files, rest.profile,
                                                       rest.clock, rest.locale, rest.system,
                                                       rest.scriptedPrompts, rest.links});
        app = std::make_unique<App>(*platform, folder.path());
    }
    void TearDown() override {
        world->RemoveTree(HKCU, base);
        world->RemoveTree(HKCR, "CLSID\\" + classText);
        world->RemoveTree(HKCU, "Software\\Classes\\" + userClass);
        world->RemoveTree(HKLM, "SOFTWARE\\Classes\\" + userClass);
    }

    Registry& reg() { return world->registry(); }
    bool Real() const { return GetParam().real; }
    // base, or a path below it.
    std::string K(const std::string& sub = "") const { return sub.empty() ? base : base + "\\" + sub; }
    void Put(const std::string& sub, const std::string& name, const RegValue& value) {
        ASSERT_TRUE(world->Put(HKCU, K(sub), name, value));
    }
    int32_t Query(const std::string& sub, const std::string& name, uint32_t capacity,
                  RegValue& value) {
        ScopedRegKey key(reg());
        int32_t status = key.Open(HKCU, K(sub), KEY_QUERY_VALUE_);
        return status != 0 ? status : reg().QueryValue(key.Get(), name, capacity, value);
    }
    std::vector<std::string> Subkeys(const std::string& sub) {
        std::vector<std::string> names;
        ScopedRegKey key(reg());
        if (key.Open(HKCU, K(sub), KEY_ALL_ACCESS_) != 0) return names;
        std::string name;
        for (uint32_t i = 0; MyRegEnumKey(*app, key.Get(), i, name) == 0; ++i) names.push_back(name);
        return names;
    }
    std::vector<std::string> Values(const std::string& sub) {
        std::vector<std::string> names;
        ScopedRegKey key(reg());
        if (key.Open(HKCU, K(sub), KEY_ALL_ACCESS_) != 0) return names;
        std::string name;
        for (uint32_t i = 0; MyRegEnumValue(*app, key.Get(), i, name) == 0; ++i)
            names.push_back(name);
        return names;
    }
    bool KeyExists(const std::string& sub) { return RegistryKeyExists(*app, HKCU, K(sub)); }

    testing_support::ScratchFolder folder{"regc"};
    PortableWorld rest;  // everything but the registry
    std::unique_ptr<contract::RegistryWorld> world;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<App> app;
    std::string base, classText, userClass;
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
        {"expand string unexpanded", RegString("%windir%\\x", REG_EXPAND_SZ_), 0, 11,
         "%windir%\\x", REG_EXPAND_SZ_},
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
        EXPECT_EQ(Query("", "v", kValueBufferSize, read), c.status);
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

TEST_P(RegistryContract, AnUnsetDefaultValueReadsAsAbsent) {
    Put("", "named", RegString("x"));
    EXPECT_EQ(GetRegistryValue(*app, HKCU, K(), ""), "");
    EXPECT_FALSE(RegistryValueExists(*app, HKCU, K(), ""));
    EXPECT_EQ(GetRegistryValueType(*app, HKCU, K(), ""), 0u);
    RegValue read;
    EXPECT_EQ(Query("", "", 1024, read), 2);
    Put("", "", RegString("default"));
    EXPECT_EQ(GetRegistryValue(*app, HKCU, K(), ""), "default");
}

TEST_P(RegistryContract, MissingKeysAndValues) {
    EXPECT_EQ(GetRegistryValue(*app, HKCU, K("Absent"), ""), "");
    EXPECT_FALSE(RegistryValueExists(*app, HKCU, K("Absent"), "x"));
    EXPECT_EQ(GetRegistryValueType(*app, HKCU, K("Absent"), "x"), 0u);
    EXPECT_FALSE(KeyExists("Absent"));
    EXPECT_TRUE(KeyExists(""));
    RegValue read;
    EXPECT_EQ(Query("", "absent", 1024, read), 2);
    RegKey key = 0;
    EXPECT_EQ(reg().OpenKey(HKCU, K("Absent"), KEY_QUERY_VALUE_, key), 2);
}

TEST_P(RegistryContract, TextIsStoredWithTheTerminatorTheCountLeftOut) {
    struct Case {
        const char* what;
        RegValue given;
        std::string data;
        uint32_t size;
        std::string text;
    };
    const Case cases[] = {
        {"counted without terminator", RegValue{REG_SZ_, "abc", 3}, std::string("abc\0", 4), 4, "abc"},
        {"counted with terminator", RegValue{REG_SZ_, std::string("abc\0", 4), 4},
         std::string("abc\0", 4), 4, "abc"},
        {"counted short of the end", RegValue{REG_SZ_, "abcd", 2}, "ab", 2, "a"},
        {"count up to an inner NUL", RegValue{REG_SZ_, std::string("ab\0cd", 5), 2},
         std::string("ab\0", 3), 3, "ab"},
        {"non-ASCII", RegValue{REG_SZ_, kCyrillicKey + kCjk, 6},
         kCyrillicKey + kCjk + std::string(1, '\0'), 7, kCyrillicKey + kCjk},
        {"binary is taken as counted", RegValue{REG_BINARY_, "abcd", 3}, "abc", 3, "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedRegKey key(reg());
        ASSERT_EQ(key.Open(HKCU, K(), KEY_ALL_ACCESS_), 0);
        EXPECT_EQ(reg().SetValue(key.Get(), "v", c.given), 0);
        RegValue read;
        EXPECT_EQ(reg().QueryValue(key.Get(), "v", 1024, read), 0);
        EXPECT_EQ(read.data, c.data);
        EXPECT_EQ(read.size, c.size);
        EXPECT_EQ(GetRegistryValue(*app, HKCU, K(), "v"), c.text);
    }
}

TEST_P(RegistryContract, NamesMatchWithoutRegardToCaseAndKeepTheirSpelling) {
    Put("MixedCase", "ValueName", RegString("x"));
    Put(kCyrillicKey + kCjk, kCyrillicKey, RegString(kCjk + kCyrillicKey));
    EXPECT_TRUE(KeyExists("MIXEDCASE"));
    EXPECT_TRUE(RegistryValueExists(*app, HKCU, K("mixedcase"), "VALUENAME"));
    EXPECT_EQ(Values("MixedCase"), std::vector<std::string>{"ValueName"});
    // Non-ASCII names and data come back as they were written.
    EXPECT_TRUE(KeyExists(kCyrillicKeyUpper + kCjk));
    EXPECT_EQ(GetRegistryValue(*app, HKCU, K(kCyrillicKeyUpper + kCjk), kCyrillicKeyUpper),
              kCjk + kCyrillicKey);
    EXPECT_EQ(Subkeys(""), (std::vector<std::string>{"MixedCase", kCyrillicKey + kCjk}));
    EXPECT_EQ(Values(kCyrillicKey + kCjk), std::vector<std::string>{kCyrillicKey});
    // Overwriting under another spelling keeps the first one.
    Put("MixedCase", "VALUENAME", RegString("y"));
    EXPECT_EQ(Values("MixedCase"), std::vector<std::string>{"ValueName"});
    EXPECT_EQ(GetRegistryValue(*app, HKCU, K("MixedCase"), "valuename"), "y");
}

TEST_P(RegistryContract, SubkeysEnumerateSortedWithoutRegardToCase) {
    for (const char* name : {"delta", "Bravo", "alpha", "CHARLIE", "{B}", "10", "9"})
        ASSERT_TRUE(world->CreateKey(HKCU, K(name)));
    EXPECT_EQ(Subkeys(""),
              (std::vector<std::string>{"10", "9", "alpha", "Bravo", "CHARLIE", "delta", "{B}"}));
}

TEST_P(RegistryContract, SubkeysSortByTheirUpperCaseForm) {
    if (Real()) GTEST_SKIP() << "Known Wine difference: Wine orders subkeys by their lower-case "
                                "form, so \"A_\" comes before \"AB\"; Windows orders them by "
                                "the upper-case form";
    for (const char* name : {"A_", "AB", "A[", "Aa"}) ASSERT_TRUE(world->CreateKey(HKCU, K(name)));
    EXPECT_EQ(Subkeys(""), (std::vector<std::string>{"Aa", "AB", "A[", "A_"}));
}

TEST_P(RegistryContract, ValuesEnumerateInTheOrderTheyWereCreated) {
    if (Real()) GTEST_SKIP() << "Known Wine difference: Wine keeps the values of a key sorted by "
                                "name; Windows enumerates them in the order they were created";
    for (const char* name : {"zulu", "alpha", "Mike"}) Put("", name, RegString(name));
    EXPECT_EQ(Values(""), (std::vector<std::string>{"zulu", "alpha", "Mike"}));
}

TEST_P(RegistryContract, EnumerationEndsAtTheFirstEntryThatDoesNotFit) {
    // Names are in alphabetical order, so that the creation order is the sorted one too.
    Put("", "a_first", RegString("1"));
    Put("", "b_big", RegBinary(std::string(300, 'z')));
    Put("", "c_third", RegString("3"));
    Put("Edge", "a", RegBinary(std::string(260, 'z')));
    Put("Edge", "b", RegBinary(std::string(261, 'z')));
    Put("Names", std::string(254, 'n'), RegString("x"));
    Put("Names", std::string(255, 'o'), RegString("x"));

    ScopedRegKey key(reg());
    ASSERT_EQ(key.Open(HKCU, K(), KEY_ALL_ACCESS_), 0);
    std::string name = "stale";
    EXPECT_EQ(MyRegEnumValue(*app, key.Get(), 0, name), 0);
    EXPECT_EQ(name, "a_first");
    EXPECT_EQ(MyRegEnumValue(*app, key.Get(), 1, name), 234);
    EXPECT_EQ(name, "");
    EXPECT_EQ(Values("Edge"), std::vector<std::string>{"a"});
    EXPECT_EQ(Values("Names"), std::vector<std::string>{std::string(254, 'n')});

    ASSERT_TRUE(world->CreateKey(HKCU, K("Keys\\" + std::string(254, 'k'))));
    ASSERT_TRUE(world->CreateKey(HKCU, K("Keys\\" + std::string(255, 'l'))));
    ASSERT_TRUE(world->CreateKey(HKCU, K("Keys\\m")));
    EXPECT_EQ(Subkeys("Keys"), std::vector<std::string>{std::string(254, 'k')});
    EXPECT_EQ(Subkeys("Edge"), std::vector<std::string>{});

    ScopedRegKey keys(reg());
    ASSERT_EQ(keys.Open(HKCU, K("Keys"), KEY_ALL_ACCESS_), 0);
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

TEST_P(RegistryContract, AKeyWithSubkeysCannotBeDeleted) {
    ASSERT_TRUE(world->CreateKey(HKCU, K("Parent\\Child")));
    ScopedRegKey key(reg());
    ASSERT_EQ(key.Open(HKCU, K(), KEY_ALL_ACCESS_), 0);
    EXPECT_EQ(reg().DeleteKey(key.Get(), "Parent"), 5);
    EXPECT_TRUE(KeyExists("Parent\\Child"));
    EXPECT_EQ(reg().DeleteKey(key.Get(), "Parent\\Child"), 0);
    EXPECT_EQ(reg().DeleteKey(key.Get(), "Parent"), 0);
    EXPECT_FALSE(KeyExists("Parent"));
    EXPECT_EQ(reg().DeleteKey(key.Get(), "Parent"), 2);
}

TEST_P(RegistryContract, AHandleOfADeletedKeyFails) {
    Put("Gone", "v", RegString("x"));
    ScopedRegKey gone(reg());
    ASSERT_EQ(gone.Open(HKCU, K("Gone"), KEY_ALL_ACCESS_), 0);
    ScopedRegKey parent(reg());
    ASSERT_EQ(parent.Open(HKCU, K(), KEY_ALL_ACCESS_), 0);
    ASSERT_EQ(reg().DeleteKey(parent.Get(), "Gone"), 0);
    RegValue read;
    EXPECT_EQ(reg().QueryValue(gone.Get(), "v", 1024, read), 1018);
    std::string name;
    EXPECT_EQ(reg().EnumKey(gone.Get(), 0, 255, name), 1018);
}

TEST_P(RegistryContract, AnEmptyNameDeletesTheOpenKeyItself) {
    ASSERT_TRUE(world->CreateKey(HKCU, K("Itself")));
    ScopedRegKey key(reg());
    ASSERT_EQ(key.Open(HKCU, K("Itself"), KEY_ALL_ACCESS_), 0);
    EXPECT_EQ(reg().DeleteKey(key.Get(), ""), 0);
    EXPECT_FALSE(KeyExists("Itself"));
    EXPECT_EQ(reg().DeleteKey(HKCU, ""), 5);
}

TEST_P(RegistryContract, ValueDeletes) {
    Put("", "v", RegString("x"));
    ScopedRegKey key(reg());
    ASSERT_EQ(key.Open(HKCU, K(), KEY_ALL_ACCESS_), 0);
    EXPECT_EQ(reg().DeleteValue(key.Get(), "V"), 0);
    EXPECT_EQ(reg().DeleteValue(key.Get(), "v"), 2);
    ScopedRegKey readOnly(reg());
    ASSERT_EQ(readOnly.Open(HKCU, K(), KEY_QUERY_VALUE_), 0);
    EXPECT_EQ(reg().SetValue(readOnly.Get(), "w", RegString("y")), 5);
}

TEST_P(RegistryContract, RecursiveDeleteGoesLevelByLevelDeepestFirst) {
    for (const char* path : {"K\\A\\A1\\X", "K\\A\\A2", "K\\B\\B1"})
        ASSERT_TRUE(world->CreateKey(HKCU, K(path)));
    testing_support::RegistrySpy spy(reg());
    Platform spied{spy,         rest.files,  rest.profile,        rest.clock,
                   rest.locale, rest.system, rest.scriptedPrompts, rest.links};
    App spiedApp(spied, folder.path());
    spiedApp.events = &spy;

    EXPECT_EQ(DeleteRegistryKey(spiedApp, HKCU, K("K"), true), 0);
    std::vector<std::string> deletes;
    for (const std::string& call : spy.Only({"deletekey"})) deletes.push_back(call.substr(10));
    EXPECT_EQ(deletes, (std::vector<std::string>{"X", "A1", "A2", "A", "B1", "B", "K"}));
    EXPECT_EQ(spy.Only({"yield"}).size(), 6u);  // one per subkey listed
    EXPECT_FALSE(KeyExists("K"));
    EXPECT_TRUE(KeyExists(""));
}

TEST_P(RegistryContract, RegistryWritesOnTheRegistry) {
    Put("W", "Path", RegString("C:\\Old.exe", REG_EXPAND_SZ_));
    EXPECT_TRUE(ChangeRegistryValue(*app, HKCU, K("W"), "Path", "C:\\New.exe"));
    EXPECT_EQ(GetRegistryValueType(*app, HKCU, K("W"), "Path"), REG_SZ_);
    EXPECT_EQ(GetRegistryValue(*app, HKCU, K("W"), "Path"), "C:\\New.exe");
    auto log = testing_support::ReadLines(folder.HostFile("app3.log"));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[1].ends_with(" >>> Backreaded value is C:\\New.exe"));

    EXPECT_FALSE(ChangeRegistryValue(*app, HKCU, K("Absent"), "Path", "x"));
    EXPECT_FALSE(KeyExists("Absent"));
    EXPECT_TRUE(testing_support::ReadLines(folder.HostFile("app3.log")).back().ends_with(
        " >>> Cannot open key, error 2"));

    EXPECT_EQ(DeleteRegistryValue(*app, HKCU, K("W"), "Path", true), 0);
    EXPECT_EQ(DeleteRegistryValue(*app, HKCU, K("W"), "Path", true), 2);
    EXPECT_EQ(DeleteRegistryValue(*app, HKCU, K("Absent"), "Path", true), 2);
    auto trace = testing_support::ReadLines(folder.HostFile("app2.log"));
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.back(), "RegOpenKeyEx for HKCU\\" + K("Absent") +
                                " failed with error: (2) The system cannot find the file specified.\r");

    EXPECT_EQ(DeleteRegistryKey(*app, HKCU, K("W\\Absent"), false), 2);
    EXPECT_EQ(DeleteRegistryKey(*app, HKCU, K("Absent\\Absent"), false), 2);
    EXPECT_EQ(DeleteRegistryKey(*app, HKCU, K("W"), false), 0);
    EXPECT_FALSE(KeyExists("W"));
}

TEST_P(RegistryContract, AReadOnlyKeyReadsAsAbsentToFullAccess) {
    Put("RO", "", RegString("default"));
    ASSERT_TRUE(world->CreateKey(HKCR, "CLSID\\" + classText + "\\InprocServer32"));
    ASSERT_TRUE(world->CreateKey(HKCR, "CLSID\\" + classText + "\\LocalServer32"));
    ASSERT_TRUE(world->MakeReadOnly(HKCU, K("RO")));
    ASSERT_TRUE(world->MakeReadOnly(HKCR, "CLSID\\" + classText + "\\InprocServer32"));

    RegKey key = 0;
    EXPECT_EQ(reg().OpenKey(HKCU, K("RO"), KEY_ALL_ACCESS_, key), 5);
    ScopedRegKey query(reg());
    EXPECT_EQ(query.Open(HKCU, K("RO"), KEY_QUERY_VALUE_), 0);
    EXPECT_TRUE(KeyExists("RO"));
    EXPECT_EQ(GetRegistryValue(*app, HKCU, K("RO"), ""), "");
    EXPECT_FALSE(RegistryValueExists(*app, HKCU, K("RO"), ""));
    EXPECT_FALSE(ScanHKCR_CLSID_exist_subkey(*app, classText, "InprocServer32"));
    EXPECT_TRUE(ScanHKCR_CLSID_exist_subkey(*app, classText, "LocalServer32"));
    EXPECT_FALSE(ScanHKCR_CLSID_exist_subkey(*app, classText, "DefaultIcon"));
    EXPECT_TRUE(RegistryKeyExists(*app, HKCR, "CLSID\\" + classText + "\\InprocServer32"));
    // Nothing can be changed below it through the program's writes.
    EXPECT_FALSE(ChangeRegistryValue(*app, HKCU, K("RO"), "", "x"));
    EXPECT_EQ(DeleteRegistryValue(*app, HKCU, K("RO"), "", false), 5);
}

TEST_P(RegistryContract, AReadOnlyKeyCannotBeDeleted) {
    if (Real()) GTEST_SKIP() << "Known Wine difference: Wine leaves the key's owner the right to "
                                "delete it whatever its DACL says; Windows refuses the delete "
                                "to an account without the DELETE right";
    ASSERT_TRUE(world->CreateKey(HKCU, K("RO")));
    ASSERT_TRUE(world->MakeReadOnly(HKCU, K("RO")));
    EXPECT_EQ(DeleteRegistryKey(*app, HKCU, K("RO"), true), 5);
    EXPECT_TRUE(KeyExists("RO"));
}

TEST_P(RegistryContract, ClassesRootMergesThePerUserClasses) {
    if (Real()) GTEST_SKIP() << "Known Wine 8 difference: Wine does not merge "
                                "HKCU\\Software\\Classes into HKEY_CLASSES_ROOT; Windows does";
    ASSERT_TRUE(world->Put(HKLM, "SOFTWARE\\Classes\\" + userClass, "", RegString("machine")));
    ASSERT_TRUE(world->Put(HKLM, "SOFTWARE\\Classes\\" + userClass + "\\OnlyMachine", "", RegString("m")));
    ASSERT_TRUE(world->Put(HKCU, "Software\\Classes\\" + userClass, "", RegString("user")));
    ASSERT_TRUE(world->Put(HKCU, "Software\\Classes\\" + userClass + "\\OnlyUser", "", RegString("u")));
    ASSERT_TRUE(world->CreateKey(HKCR, "CLSID\\" + classText));
    EXPECT_TRUE(RegistryKeyExists(*app, HKCR, userClass + "\\OnlyUser"));
    EXPECT_TRUE(RegistryKeyExists(*app, HKCR, userClass + "\\OnlyMachine"));
    ScopedRegKey merged(reg());
    ASSERT_EQ(merged.Open(HKCR, userClass, KEY_ALL_ACCESS_), 0);
    std::string name;
    std::vector<std::string> names;
    for (uint32_t i = 0; MyRegEnumKey(*app, merged.Get(), i, name) == 0; ++i) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"OnlyMachine", "OnlyUser"}));
    EXPECT_EQ(GetRegistryValue(*app, HKCR, userClass, ""), "user");
    EXPECT_TRUE(RegistryKeyExists(*app, HKCR, "CLSID\\" + classText));
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryContract,
                         ::testing::ValuesIn(contract::RegistryBackends()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

// The registry as the program relies on it, and the program's reads of it,
// with the same expectations for every backend: the in-memory registry (natively and
// under Wine) and the real registry under Wine, inside scratch keys created for each
// test and removed after it. Every call goes through a spy, so the order of the calls
// can be checked too. Where Wine is known to differ from Windows, the in-memory
// registry follows Windows and the expectation is skipped for the real registry.
#include <algorithm>

#include "tests/contract/RegistryContractFixture.h"

using namespace testing_support;
using namespace contract;

namespace {

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
        {"binary of 1024", RegBinary(std::string(1024, 'x')), 0, 1024, std::string(1023, 'x'),
         REG_BINARY_},
        {"binary of 1500", RegBinary(std::string(1500, 'x')), 234, 1500, "", 0},
        {"eight-character path", RegString("C:\\x.exe"), 0, 9, "C:\\x.exe", REG_SZ_},
        // Counted without a NUL after it (the character behind the count is no NUL, so
        // nothing adds one): kept whole.
        {"path stored without its final zero", RegValue{REG_SZ_, "C:\\x.exe?", 8}, 0, 8,
         "C:\\x.exe", REG_SZ_},
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
        {"binary of 40000, one short", RegBinary(bytes), 39999, 234, 40000},
        {"text of 20000, exactly its size", RegString(bytes.substr(0, 19999)), 20000, 0, 20000},
        {"text of 20000, one short", RegString(bytes.substr(0, 19999)), 19999, 234, 20000},
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
    Lines hive = Names(HKCU, "", false);
    EXPECT_NE(std::find(hive.begin(), hive.end(), "Software"), hive.end());
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
    EXPECT_EQ(Names(HKCR, top, false), (Lines{"OnlyMachine", "OnlyUser"}));
    EXPECT_EQ(GetRegistryValue(*app, HKCR, top, ""), "user");
    EXPECT_TRUE(RegistryKeyExists(*app, HKCR, "CLSID\\" + classText));
}

// What a 32-bit program registers on 64-bit Windows lives in the 32-bit view: its
// SOFTWARE keys below WOW6432Node, its classes and interfaces below the classes'
// WOW6432Node key (reached through either spelling); type libraries are shared.
TEST_P(RegistryContract, TheThirtyTwoBitViewIsReachedFromEitherView) {
    const std::string software = "SOFTWARE\\WOW6432Node\\" + top;
    const std::string classes32 = "SOFTWARE\\Classes\\WOW6432Node\\CLSID\\" + classText;
    ASSERT_TRUE(world->Put(HKLM, software, "v", RegString("32")));
    ASSERT_TRUE(world->CreateKey(HKLM, classes32));
    auto opens = [&](RegKey hive, const std::string& path, uint32_t view) {
        ScopedRegKey key(reg());
        return key.Open(hive, path, KEY_QUERY_VALUE_ | view) == kRegSuccess;
    };
    EXPECT_TRUE(opens(HKLM, "SOFTWARE\\" + top, KEY_WOW64_32KEY_));
    EXPECT_FALSE(opens(HKLM, "SOFTWARE\\" + top, 0));
    EXPECT_TRUE(opens(HKLM, "SOFTWARE\\WOW6432Node\\Classes\\CLSID\\" + classText, 0));
    EXPECT_TRUE(opens(HKCR, "CLSID\\" + classText, KEY_WOW64_32KEY_));
    EXPECT_FALSE(RegistryKeyExists(*app, HKCR, "CLSID\\" + classText));
    EXPECT_TRUE(RegistryKeyExistsInEitherView(*app, HKCR, "CLSID\\" + classText));
    EXPECT_FALSE(RegistryKeyExistsInEitherView(*app, HKCR, "Interface\\" + classText));
    world->RemoveTree(HKLM, software);
    world->RemoveTree(HKLM, classes32);
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryContract,
                         ::testing::ValuesIn(contract::RegistryBackends()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

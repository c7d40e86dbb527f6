// The program's registry writes (value and key deletes, value changes) with the same
// expectations on every registry backend, in scratch keys made for each test.
#include "tests/contract/RegistryContractFixture.h"

using namespace testing_support;
using namespace contract;

namespace {

class RegistryWriteContract : public contract::RegistryContract {};

TEST_P(RegistryWriteContract, KeyAndValueDeletes) {
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

TEST_P(RegistryWriteContract, DeleteRegistryKeyListsEachLevelBeforeDeletingItDeepestFirst) {
    for (const char* path : {"K\\A\\A1\\X", "K\\A\\A2", "K\\B\\B1"})
        ASSERT_TRUE(world->CreateKey(HKCU, K(path)));
    Put("K\\A", "v", RegString("data"));
    ASSERT_TRUE(world->CreateKey(HKCU, K("Sibling")));
    ForgetLogs();
    EXPECT_EQ(DeleteRegistryKey(*app, HKCU, K("K"), true), 0);
    // Each level is listed (one yield per entry) before anything goes; the deepest key first.
    EXPECT_EQ(spy->Only({"deletekey"}), (Lines{"deletekey X", "deletekey A1", "deletekey A2",
                                             "deletekey A", "deletekey B1", "deletekey B",
                                             "deletekey K"}));
    const Lines calls = spy->Only({"enum", "deletekey", "yield"});
    EXPECT_EQ(Lines(calls.begin(), calls.begin() + 7),
              (Lines{"enum 0", "yield", "enum 1", "yield", "enum 2", "enum 0", "yield"}));
    EXPECT_FALSE(KeyExists("K"));
    EXPECT_TRUE(KeyExists("Sibling"));
    // One trace line per call, no registry error lines.
    EXPECT_EQ(Log("app2.log"), Lines(7, "DeleteRegistryKey"));
}

TEST_P(RegistryWriteContract, DeleteRegistryKeyPathsAndFailures) {
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

TEST_P(RegistryWriteContract, DeleteRegistryValueOutcomes) {
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
        {"default value refused", key, "", true, 0, {},
         {"Error: DeleteRegistryValue (" + key + "): valuename is empty"}, true, true},
        {"missing key", K("Gone"), "Path", true, 2,
         {"RegOpenKeyEx for HKCU\\" + K("Gone") + " " + kNotFound}, {}, true, true},
        {"missing value", key, "Nope", true, 2,
         {"RegDeleteValue for HKCU\\" + key + "\\Nope " + kNotFound}, {}, true, true},
        {"read-only key", K("RO"), "Path", true, 5,
         {"RegOpenKeyEx for HKCU\\" + K("RO") + " failed with error: (5) Access is denied.\r"},
         {}, true, true},
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

TEST_P(RegistryWriteContract, ChangeRegistryValueLogsAndReadsBack) {
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

TEST_P(RegistryWriteContract, AReadOnlyKeyCannotBeDeleted) {
    if (Real())
        GTEST_SKIP() << "Known Wine difference: Wine leaves the key's owner the right to delete "
                        "it whatever its DACL says; Windows refuses the delete to an account "
                        "without the DELETE right";
    ASSERT_TRUE(world->CreateKey(HKCU, K("RO")));
    ASSERT_TRUE(world->MakeReadOnly(HKCU, K("RO")));
    EXPECT_EQ(DeleteRegistryKey(*app, HKCU, K("RO"), true), 5);
    EXPECT_TRUE(KeyExists("RO"));
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryWriteContract,
                         ::testing::ValuesIn(contract::RegistryBackends()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

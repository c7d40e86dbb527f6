// The three registry writes on the in-memory registry: results, the exact log lines,
// the order of a recursive delete, and what happens when a call fails half-way.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/App.h"
#include "platform/Text.h"
#include "repair/RegistryWrite.h"
#include "scan/RegistryRead.h"
#include "tests/RegistrySpy.h"
#include "tests/TestSupport.h"

using testing_support::RegistrySpy;

namespace {

const char kKey[] = "Software\\Vendor\\App";

// A portable world whose registry calls go through a spy.
class RegistryWrite : public ::testing::Test {
protected:
    RegistryWrite() { app.events = &spy; }

    std::vector<std::string> Lines(const std::string& name) const {
        return testing_support::ReadLines(folder.HostFile(name));
    }
    // The texts of "app3.log", without their date and time.
    std::vector<std::string> ProblemLog() const {
        std::vector<std::string> texts;
        for (const std::string& line : Lines("app3.log")) {
            size_t colon = line.find(": ");
            texts.push_back(colon == std::string::npos ? line : line.substr(colon + 2));
        }
        return texts;
    }
    void ForgetLogs() {
        for (const char* name : {"app.log", "app2.log", "app3.log"})
            std::filesystem::remove(folder.HostFile(name));
    }
    // Read with query access, so that read-only keys can be looked at too.
    bool HasValue(const std::string& key, const std::string& name) {
        ScopedRegKey opened(reg);
        RegValue value;
        return opened.Open(HKCU, key, KEY_QUERY_VALUE_) == 0 &&
               reg.QueryValue(opened.Get(), name, 4096, value) == 0;
    }
    bool HasKey(const std::string& key) { return RegistryKeyExists(app, HKCU, key); }

    testing_support::ScratchFolder folder{"regw"};
    PortableWorld world;
    InMemoryRegistry& reg = world.registry;
    RegistrySpy spy{world.registry};
    Platform platform{spy,          world.files,  world.profile,        world.clock,
                      world.locale, world.system, world.scriptedPrompts, world.links};
    App app{platform, folder.path()};
};

TEST_F(RegistryWrite, DeleteRegistryValueOutcomes) {
    struct Case {
        const char* what;
        std::string key;
        std::string name;
        bool nameRequired;
        int32_t result;
        std::vector<std::string> trace;
        std::vector<std::string> appLog;
        bool defaultRemains;
        bool namedRemains;
    };
    const std::string open = "RegOpenKeyEx for HKCU\\";
    const std::string del = "RegDeleteValue for HKCU\\";
    const Case cases[] = {
        {"named value", kKey, "Path", true, 0, {"DeleteRegistryValue"}, {}, true, false},
        {"default value, name not required", kKey, "", false, 0, {"DeleteRegistryValue"}, {},
         false, true},
        {"default value refused", kKey, "", true, 0, {"DeleteRegistryValue"},
         {"Error: DeleteRegistryValue (Software\\Vendor\\App): valuename is empty"}, true, true},
        {"missing key", "Software\\Gone", "Path", true, 2,
         {"DeleteRegistryValue",
          open + "Software\\Gone failed with error: (2) The system cannot find the file specified.\r"},
         {}, true, true},
        {"missing value", kKey, "Nope", true, 2,
         {"DeleteRegistryValue", del + "Software\\Vendor\\App\\Nope failed with error: (2) "
                                       "The system cannot find the file specified.\r"},
         {}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reg.PutValue(HKCU, kKey, "", RegString("default"));
        reg.PutValue(HKCU, kKey, "Path", RegString("C:\\x.exe"));
        ForgetLogs();

        EXPECT_EQ(DeleteRegistryValue(app, HKCU, c.key, c.name, c.nameRequired), c.result);
        EXPECT_EQ(Lines("app2.log"), c.trace);
        EXPECT_EQ(Lines("app.log"), c.appLog);
        EXPECT_EQ(HasValue(kKey, ""), c.defaultRemains);
        EXPECT_EQ(HasValue(kKey, "Path"), c.namedRemains);
        EXPECT_EQ(reg.OpenHandleCount(), 0u);
    }
}

TEST_F(RegistryWrite, DeleteRegistryValueOnAReadOnlyKeyIsRefusedAtTheOpen) {
    reg.PutValue(HKCU, kKey, "Path", RegString("C:\\x.exe"));
    reg.SetReadOnly(HKCU, kKey, true);
    EXPECT_EQ(DeleteRegistryValue(app, HKCU, kKey, "Path", true), 5);
    ASSERT_EQ(Lines("app2.log").size(), 2u);
    EXPECT_EQ(Lines("app2.log")[1],
              "RegOpenKeyEx for HKCU\\Software\\Vendor\\App failed with error: (5) Access is denied.\r");
    EXPECT_TRUE(HasValue(kKey, "Path"));
}

TEST_F(RegistryWrite, DeleteRegistryKeyWithoutSubkeysFlagFailsOnAKeyWithSubkeys) {
    reg.CreateKey(HKCU, "Software\\K\\Child");
    EXPECT_EQ(DeleteRegistryKey(app, HKCU, "Software\\K", false), 5);
    EXPECT_TRUE(HasKey("Software\\K\\Child"));
    EXPECT_EQ(Lines("app2.log"), std::vector<std::string>{"DeleteRegistryKey"});
}

TEST_F(RegistryWrite, DeleteRegistryKeyEmptiesEachLevelBeforeDeletingIt) {
    for (const char* path : {"Software\\K\\A\\A1\\X", "Software\\K\\A\\A2", "Software\\K\\B\\B1"})
        reg.CreateKey(HKCU, path);
    reg.PutValue(HKCU, "Software\\K\\A", "v", RegString("data"));
    reg.CreateKey(HKCU, "Software\\Sibling");

    EXPECT_EQ(DeleteRegistryKey(app, HKCU, "Software\\K", true), 0);

    const std::vector<std::string> expected = {
        // Software\K: its subkeys are listed, one yield each, before anything goes.
        "open Software\\K", "enum 0", "yield", "enum 1", "yield", "enum 2",
        // Software\K\A
        "open Software\\K\\A", "enum 0", "yield", "enum 1", "yield", "enum 2",
        // Software\K\A\A1, then its only subkey X, which is deleted first.
        "open Software\\K\\A\\A1", "enum 0", "yield", "enum 1",
        "open Software\\K\\A\\A1\\X", "enum 0",
        "open Software\\K\\A\\A1", "deletekey X",
        "open Software\\K\\A", "deletekey A1",
        "open Software\\K\\A\\A2", "enum 0",
        "open Software\\K\\A", "deletekey A2",
        "open Software\\K", "deletekey A",
        "open Software\\K\\B", "enum 0", "yield", "enum 1",
        "open Software\\K\\B\\B1", "enum 0",
        "open Software\\K\\B", "deletekey B1",
        "open Software\\K", "deletekey B",
        "open Software", "deletekey K"};
    EXPECT_EQ(spy.Only({"open", "enum", "deletekey", "yield"}), expected);
    EXPECT_FALSE(HasKey("Software\\K"));
    EXPECT_TRUE(HasKey("Software\\Sibling"));
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
    // One trace line per call, no registry error lines.
    EXPECT_EQ(Lines("app2.log"), std::vector<std::string>(7, "DeleteRegistryKey"));
}

TEST_F(RegistryWrite, DeleteRegistryKeyPathsAndMissingKeys) {
    struct Case {
        const char* what;
        std::string path;
        int32_t result;
        std::vector<std::string> calls;
    };
    reg.CreateKey(HKCU, "Top");
    reg.CreateKey(HKCU, "Software\\Present");
    const Case cases[] = {
        {"a key right below the hive", "Top", 0, {"open ", "deletekey Top"}},
        {"a missing key under an existing parent", "Software\\Absent", 2,
         {"open Software", "deletekey Absent"}},
        {"a missing parent", "Software\\NoParent\\Absent", 2, {"open Software\\NoParent"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        spy.calls.clear();
        EXPECT_EQ(DeleteRegistryKey(app, HKCU, c.path, false), c.result);
        EXPECT_EQ(spy.Only({"open", "deletekey"}), c.calls);
    }
    EXPECT_FALSE(HasKey("Top"));
    EXPECT_TRUE(HasKey("Software\\Present"));
}

TEST_F(RegistryWrite, DeleteRegistryKeyNeverEmptiesAHive) {
    reg.CreateKey(HKCU, "Software\\Keep");
    EXPECT_EQ(DeleteRegistryKey(app, HKCU, "", true), 5);
    EXPECT_TRUE(HasKey("Software\\Keep"));
    EXPECT_TRUE(spy.Only({"enum"}).empty());
}

TEST_F(RegistryWrite, ChangeRegistryValueLogsAndReadsBack) {
    struct Case {
        const char* what;
        std::string key;
        std::string name;
        bool result;
        std::vector<std::string> log;
    };
    const std::string change = " >>> Changing registry value to C:\\New\\app.exe";
    const Case cases[] = {
        {"named value", kKey, "Path", true,
         {change, " >>> Backreaded value is C:\\New\\app.exe"}},
        {"default value", kKey, "", true,
         {change, " >>> Changing default key value", " >>> Backreaded value is C:\\New\\app.exe"}},
        {"missing key", "Software\\Gone", "Path", false,
         {change, " >>> Cannot open key, error 2"}},
        {"missing key, default value", "Software\\Gone", "", false,
         {change, " >>> Changing default key value", " >>> Cannot open key, error 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reg.PutValue(HKCU, kKey, "Path", RegString("C:\\Old\\app.exe", REG_EXPAND_SZ_));
        ForgetLogs();

        EXPECT_EQ(ChangeRegistryValue(app, HKCU, c.key, c.name, "C:\\New\\app.exe"), c.result);
        EXPECT_EQ(ProblemLog(), c.log);
        EXPECT_EQ(Lines("app2.log").front(), "ChangeRegistryValue");
        EXPECT_FALSE(HasKey("Software\\Gone"));
        EXPECT_EQ(reg.OpenHandleCount(), 0u);
        if (c.result) {
            // Written as REG_SZ whatever it was, its terminator stored by the registry.
            EXPECT_EQ(GetRegistryValueType(app, HKCU, kKey, c.name), REG_SZ_);
            RegValue stored;
            ScopedRegKey key(reg);
            ASSERT_EQ(key.Open(HKCU, kKey, KEY_QUERY_VALUE_), 0);
            ASSERT_EQ(reg.QueryValue(key.Get(), c.name, 1024, stored), 0);
            EXPECT_EQ(stored.data, std::string("C:\\New\\app.exe") + '\0');
            EXPECT_EQ(stored.size, 15u);
        }
    }
}

TEST_F(RegistryWrite, ChangeRegistryValueWritesTheLengthOfTheTextWithoutTerminator) {
    reg.CreateKey(HKCU, kKey);
    const std::string text = "\xD0\x96\xD1\x83\xD0\xBA \xE4\xB8\xAD";  // Cyrillic and CJK
    ASSERT_TRUE(ChangeRegistryValue(app, HKCU, kKey, "Name", text));
    RegValue stored;
    ScopedRegKey key(reg);
    ASSERT_EQ(key.Open(HKCU, kKey, KEY_QUERY_VALUE_), 0);
    ASSERT_EQ(reg.QueryValue(key.Get(), "Name", 1024, stored), 0);
    EXPECT_EQ(stored.size, 6u);  // five characters and the terminator
    EXPECT_EQ(GetRegistryValue(app, HKCU, kKey, "Name"), text);
    // The log is ANSI: characters outside the code page become "?".
    EXPECT_EQ(ProblemLog().back(), " >>> Backreaded value is ??? ?");
}

TEST_F(RegistryWrite, AFailedWriteStillReportsSuccessAndTheReadBackShowsTheOldText) {
    reg.PutValue(HKCU, kKey, "Path", RegString("C:\\Old.exe"));
    spy.setStatus = 5;
    EXPECT_TRUE(ChangeRegistryValue(app, HKCU, kKey, "Path", "C:\\New.exe"));
    EXPECT_EQ(ProblemLog(), (std::vector<std::string>{" >>> Changing registry value to C:\\New.exe",
                                                      " >>> Backreaded value is C:\\Old.exe"}));
}

TEST_F(RegistryWrite, ChangeRegistryValueOnAReadOnlyKeyFailsAtTheOpen) {
    reg.PutValue(HKCU, kKey, "Path", RegString("C:\\Old.exe"));
    reg.SetReadOnly(HKCU, kKey, true);
    EXPECT_FALSE(ChangeRegistryValue(app, HKCU, kKey, "Path", "C:\\New.exe"));
    EXPECT_EQ(ProblemLog().back(), " >>> Cannot open key, error 5");
    EXPECT_TRUE(spy.Only({"set"}).empty());
}

TEST_F(RegistryWrite, RunTimeFailuresAreLoggedAndEndTheCallWithItsResultSoFar) {
    struct Case {
        const char* what;
        std::string throwOn;
        std::function<int32_t(App&)> call;
        int32_t result;
        std::string appLog;
    };
    const std::string failure = ": 5: Invalid procedure call or argument";
    const Case cases[] = {
        {"value delete", "deletevalue",
         [](App& a) { return DeleteRegistryValue(a, HKCU, kKey, "Path", true); }, 0,
         "Error: DeleteRegistryValue" + failure},
        {"key delete", "deletekey",
         [](App& a) { return DeleteRegistryKey(a, HKCU, "Software\\Vendor", false); }, 0,
         "Error: DeleteRegistryKey" + failure},
        {"change before the write", "set",
         [](App& a) { return int32_t{ChangeRegistryValue(a, HKCU, kKey, "Path", "x")}; }, 0,
         "Error: ChangeRegistryValue" + failure},
        {"change during the read-back", "query",
         [](App& a) { return int32_t{ChangeRegistryValue(a, HKCU, kKey, "Path", "x")}; }, 1,
         "Error: ChangeRegistryValue" + failure},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reg.PutValue(HKCU, kKey, "Path", RegString("C:\\x.exe"));
        ForgetLogs();
        spy.throwOn = c.throwOn;
        EXPECT_EQ(c.call(app), c.result);
        spy.throwOn.clear();
        EXPECT_EQ(Lines("app.log"), std::vector<std::string>{c.appLog});
        EXPECT_EQ(reg.OpenHandleCount(), 0u);
    }
}

}  // namespace

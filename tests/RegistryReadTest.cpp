// The registry reading layer beyond what the contract suite shows on every backend:
// the platform calls each procedure makes, and how each one contains a failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/App.h"
#include "scan/RegistryRead.h"
#include "tests/RegistrySpy.h"
#include "tests/TestSupport.h"

using testing_support::RegistrySpy;

namespace {

class RegistryRead : public ::testing::Test {
protected:
    RegistryRead() {
        world.registry.PutValue(HKCU, "Software\\K", "v", RegString("text"));
        world.registry.CreateKey(HKCU, "Software\\K\\Sub");
        world.registry.CreateKey(HKCR, "CLSID\\{0000-AB}\\InprocServer32");
    }
    std::vector<std::string> AppLog() const {
        return testing_support::ReadLines(folder.HostFile("app.log"));
    }

    testing_support::ScratchFolder folder{"regr"};
    PortableWorld world;
    RegistrySpy spy{world.registry};
    Platform platform{spy,          world.files,  world.profile,        world.clock,
                      world.locale, world.system, world.scriptedPrompts, world.links};
    App app{platform, folder.path()};
};

TEST_F(RegistryRead, EachReadOpensWithItsAccessQueriesOnceAndCloses) {
    struct Case {
        const char* what;
        std::function<void(App&)> call;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"GetRegistryValue", [](App& a) { GetRegistryValue(a, HKCU, "Software\\K", "v"); },
         {"open Software\\K", "query v", "close"}},
        {"RegistryValueExists", [](App& a) { RegistryValueExists(a, HKCU, "Software\\K", "v"); },
         {"open Software\\K", "query v", "close"}},
        {"GetRegistryValueType", [](App& a) { GetRegistryValueType(a, HKCU, "Software\\K", "v"); },
         {"open Software\\K", "query v", "close"}},
        {"missing key", [](App& a) { GetRegistryValue(a, HKCU, "Software\\Absent", "v"); },
         {"open Software\\Absent"}},
        {"missing value", [](App& a) { GetRegistryValueType(a, HKCU, "Software\\K", "w"); },
         {"open Software\\K", "query w", "close"}},
        {"RegistryKeyExists", [](App& a) { RegistryKeyExists(a, HKCU, "Software\\K"); },
         {"open Software\\K", "close"}},
        {"class subkey, braces kept",
         [](App& a) { ScanHKCR_CLSID_exist_subkey(a, "{0000-AB}", "InprocServer32"); },
         {"open CLSID\\{0000-AB}\\InprocServer32", "close"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        spy.calls.clear();
        c.call(app);
        EXPECT_EQ(spy.calls, c.calls);
        EXPECT_EQ(world.registry.OpenHandleCount(), 0u);
    }
    EXPECT_TRUE(ScanHKCR_CLSID_exist_subkey(app, "{0000-AB}", "InprocServer32"));
    EXPECT_FALSE(ScanHKCR_CLSID_exist_subkey(app, "0000-AB", "InprocServer32"));
    EXPECT_FALSE(ScanHKCR_CLSID_exist_subkey(app, "{0000-AB}", "LocalServer32"));
}

TEST_F(RegistryRead, EnumerationStepsClearTheNameFirst) {
    ScopedRegKey key(world.registry);
    ASSERT_EQ(key.Open(HKCU, "Software\\K", KEY_ALL_ACCESS_), 0);
    std::string name = "stale";
    EXPECT_EQ(MyRegEnumKey(app, key.Get(), 0, name), 0);
    EXPECT_EQ(name, "Sub");
    EXPECT_EQ(MyRegEnumKey(app, key.Get(), 1, name), 259);
    EXPECT_EQ(name, "");
    name = "stale";
    EXPECT_EQ(MyRegEnumValue(app, key.Get(), 0, name), 0);
    EXPECT_EQ(name, "v");
    EXPECT_EQ(MyRegEnumValue(app, key.Get(), 1, name), 259);
    EXPECT_EQ(name, "");
    name = "stale";
    EXPECT_EQ(MyRegEnumKey(app, 0x1234, 0, name), 6);  // not a handle
    EXPECT_EQ(name, "");
}

TEST_F(RegistryRead, FailuresAreReportedUnderEachProceduresName) {
    struct Case {
        const char* what;
        std::string throwOn;
        std::function<bool(App&)> failedAsSpecified;
        std::string line;
    };
    const std::string number = ", error 5, Invalid procedure call or argument";
    const Case cases[] = {
        {"RegistryKeyExists", "open",
         [](App& a) { return !RegistryKeyExists(a, HKCU, "Software\\K"); },
         "Error in RegistryKeyExists" + number},
        {"GetRegistryValueType", "query",
         [](App& a) { return GetRegistryValueType(a, HKCU, "Software\\K", "v") == 0; },
         "Error in GetRegistryValueType" + number},
        {"ScanHKCR_CLSID_exist_subkey", "open",
         [](App& a) { return !ScanHKCR_CLSID_exist_subkey(a, "{0000-AB}", "InprocServer32"); },
         "Error in ScanHKCR_CLSID_exist_subkey, error 5"},
        {"MyRegEnumKey", "enum",
         [](App& a) {
             std::string name = "stale";
             return MyRegEnumKey(a, HKCU, 0, name) != 0 && name.empty();
         },
         "Error in MyRegEnumKey" + number},
        {"MyRegEnumValue", "enumvalue",
         [](App& a) {
             std::string name = "stale";
             return MyRegEnumValue(a, HKCU, 0, name) != 0 && name.empty();
         },
         "Error in MyRegEnumValue" + number},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(folder.HostFile("app.log"));
        spy.throwOn = c.throwOn;
        EXPECT_TRUE(c.failedAsSpecified(app));
        EXPECT_EQ(AppLog(), std::vector<std::string>{c.line});
        EXPECT_EQ(world.registry.OpenHandleCount(), 0u);
    }
}

TEST_F(RegistryRead, ValueReadsLeaveTheirFailuresToTheCaller) {
    spy.throwOn = "query";
    EXPECT_THROW(GetRegistryValue(app, HKCU, "Software\\K", "v"), RuntimeError);
    EXPECT_THROW(RegistryValueExists(app, HKCU, "Software\\K", "v"), RuntimeError);
    EXPECT_EQ(world.registry.OpenHandleCount(), 0u);
    EXPECT_TRUE(AppLog().empty());
}

}  // namespace

// The registry reads and writes beyond what the contract suite shows on every backend:
// how each procedure contains a run-time failure, and writes the registry refuses
// without saying so.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/ScopedBinding.h"
#include "repair/RegistryWrite.h"
#include "scan/RegistryRead.h"
#include "tests/RegistrySpy.h"
#include "tests/TestSupport.h"

using Lines = std::vector<std::string>;

namespace {

class RegistryLayer : public ::testing::Test {
  protected:
    RegistryLayer() {
        t.world.registry.PutValue(HKCU, "Software\\K", "v", RegString("text"));
        t.world.registry.CreateKey(HKCU, "Software\\K\\Sub");
        t.world.registry.CreateKey(HKCR, "CLSID\\{0000-AB}\\InprocServer32");
    }
    // Runs `call` with fresh logs and spy; the lines of app.log after it.
    Lines Run(const std::function<void(App&)>& call) {
        for (const char* name : {"app.log", "app2.log", "app3.log"})
            std::filesystem::remove(t.folder.HostFile(name));
        spy.calls.clear();
        call(app);
        EXPECT_EQ(t.world.registry.OpenHandleCount(), 0u);
        return t.Lines("app.log");
    }

    testing_support::TestApp t;
    testing_support::RegistrySpy spy{t.world.registry};
    Platform platform = testing_support::Using(t.world.platform, spy);
    App app{platform, t.folder.path()};
    ScopedBinding<Events> eventsBinding{app.events, spy};
};

TEST_F(RegistryLayer, RunTimeFailuresAreReportedUnderEachProceduresName) {
    struct Case {
        const char* what;
        std::string throwOn;
        std::function<bool(App&)> failedAsSpecified;
        std::string line;
    };
    const std::string number = ", error 5, Invalid procedure call or argument";
    const std::string write = ": 5: Invalid procedure call or argument";
    auto noName = [](int32_t status, const std::string& name) {
        return status != 0 && name.empty();
    };
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
         [&](App& a) {
             std::string name = "stale";
             return noName(MyRegEnumKey(a, HKCU, 0, name), name);
         },
         "Error in MyRegEnumKey" + number},
        {"MyRegEnumValue", "enumvalue",
         [&](App& a) {
             std::string name = "stale";
             return noName(MyRegEnumValue(a, HKCU, 0, name), name);
         },
         "Error in MyRegEnumValue" + number},
        // The writes end with the result they had reached.
        {"DeleteRegistryValue", "deletevalue",
         [](App& a) { return DeleteRegistryValue(a, HKCU, "Software\\K", "v", true) == 0; },
         "Error: DeleteRegistryValue" + write},
        {"DeleteRegistryKey", "deletekey",
         [](App& a) { return DeleteRegistryKey(a, HKCU, "Software\\K\\Sub", false) == 0; },
         "Error: DeleteRegistryKey" + write},
        {"ChangeRegistryValue before the write", "set",
         [](App& a) { return !ChangeRegistryValue(a, HKCU, "Software\\K", "v", "x"); },
         "Error: ChangeRegistryValue" + write},
        {"ChangeRegistryValue during the read-back", "query",
         [](App& a) { return ChangeRegistryValue(a, HKCU, "Software\\K", "v", "x"); },
         "Error: ChangeRegistryValue" + write},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        spy.throwOn = c.throwOn;
        EXPECT_EQ(Run([&](App& a) { EXPECT_TRUE(c.failedAsSpecified(a)); }), Lines{c.line});
    }
    std::string name = "stale";
    EXPECT_EQ(MyRegEnumKey(app, 0x1234, 0, name), 6);  // not a handle
    EXPECT_EQ(name, "");
    // The value reads leave their failures to the caller.
    spy.throwOn = "query";
    EXPECT_TRUE(Run([](App& a) {
                    EXPECT_THROW(GetRegistryValue(a, HKCU, "Software\\K", "v"), RuntimeError);
                    EXPECT_THROW(RegistryValueExists(a, HKCU, "Software\\K", "v"), RuntimeError);
                }).empty());
}

TEST_F(RegistryLayer, WritesTheRegistryRefusesQuietly) {
    // A write the registry refuses still reports success; the read-back shows the old text.
    spy.setStatus = 5;
    Run([](App& a) {
        EXPECT_TRUE(ChangeRegistryValue(a, HKCU, "Software\\K", "v", "C:\\New.exe"));
    });
    EXPECT_TRUE(t.Lines("app3.log").back().ends_with(" >>> Backreaded value is text"));
    // The hive itself is never emptied, nor even listed.
    Run([](App& a) { EXPECT_EQ(DeleteRegistryKey(a, HKCU, "", true), 5); });
    EXPECT_TRUE(spy.Only({"enum"}).empty());
}

}  // namespace

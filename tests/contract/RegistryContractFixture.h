#pragma once
// The fixture of the registry contract tests: a scratch key below HKCU\Software for
// each test on the backend of its parameter, an application whose registry calls go
// through a spy, and helpers to look at keys, values and logs.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>

#include "core/App.h"
#include "core/ScopedBinding.h"
#include "repair/RegistryWrite.h"
#include "scan/RegistryRead.h"
#include "tests/RegistrySpy.h"
#include "tests/TestSupport.h"
#include "tests/contract/RegistryBackends.h"

namespace contract {

using testing_support::Lines;

// Cyrillic and CJK texts.
inline const std::string kCyrillicKey = "\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87";       // "Ключ"
inline const std::string kCyrillicKeyUpper = "\xD0\x9A\xD0\x9B\xD0\xAE\xD0\xA7";  // "КЛЮЧ"
inline const std::string kCjk = "\xE4\xB8\xAD\xE6\x96\x87";                       // "中文"
inline const std::string kNotFound = "failed with error: (2) The system cannot find the file specified.\r";

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
        eventsBinding.emplace(app->events, *spy);
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
    Lines Names(RegKey hive, const std::string& path, bool values) {
        Lines names;
        ScopedRegKey key(reg());
        if (key.Open(hive, path, KEY_ALL_ACCESS_) != 0) return names;
        std::string name;
        for (uint32_t i = 0; (values ? MyRegEnumValue(*app, key.Get(), i, name)
                                     : MyRegEnumKey(*app, key.Get(), i, name)) == 0;
             ++i)
            names.push_back(name);
        return names;
    }
    Lines Subkeys(const std::string& sub) { return Names(HKCU, K(sub), false); }
    Lines Values(const std::string& sub) { return Names(HKCU, K(sub), true); }
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
    std::optional<ScopedBinding<Events>> eventsBinding;
    std::string top, base, classText;
};

}  // namespace contract

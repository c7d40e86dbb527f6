// The registry of an installation's hive files as a contract backend: what a test lays
// out goes into an in-memory registry that is written into hive files with hivex and
// read back by the hive loader before the next call through the interface; the calls
// then go to what was read.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/portable/HiveFile.h"
#include "platform/portable/InMemoryRegistry.h"
#include "tests/HiveTestSupport.h"
#include "tests/TestSupport.h"
#include "tests/contract/RegistryBackends.h"

namespace contract {

namespace {

class HiveFileWorld : public RegistryWorld, public Registry {
public:
    HiveFileWorld() : loaded_(std::make_unique<InMemoryRegistry>()) {}

    Registry& registry() override { return *this; }
    bool CreateKey(RegKey hive, const std::string& path) override {
        dirty_ = true;
        return loaded_->CreateKey(hive, path);
    }
    bool Put(RegKey hive, const std::string& path, const std::string& name, const RegValue& value) override {
        dirty_ = true;
        return loaded_->PutValue(hive, path, name, value);
    }
    bool MakeReadOnly(RegKey hive, const std::string& path) override {
        readOnly_.emplace_back(hive, path);
        return Current().SetReadOnly(hive, path, true);
    }
    void RemoveTree(RegKey hive, const std::string& path) override { loaded_->DeleteTree(hive, path); }

    int32_t OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey& key) override {
        return Current().OpenKey(parent, path, access, key);
    }
    int32_t QueryValue(RegKey key, const std::string& name, uint32_t capacity, RegValue& value) override {
        return Current().QueryValue(key, name, capacity, value);
    }
    int32_t EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity, std::string& name) override {
        return Current().EnumKey(key, index, nameCapacity, name);
    }
    int32_t EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity, std::string& name,
                      uint32_t& type) override {
        return Current().EnumValue(key, index, nameCapacity, dataCapacity, name, type);
    }
    int32_t CloseKey(RegKey key) override { return Current().CloseKey(key); }
    int32_t SetValue(RegKey key, const std::string& name, const RegValue& value) override {
        return Current().SetValue(key, name, value);
    }
    int32_t DeleteValue(RegKey key, const std::string& name) override { return Current().DeleteValue(key, name); }
    int32_t DeleteKey(RegKey key, const std::string& name) override { return Current().DeleteKey(key, name); }

private:
    // What was laid out since the last reading, written into the hives and read again.
    InMemoryRegistry& Current() {
        if (!dirty_) return *loaded_;
        dirty_ = false;
        auto read = std::make_unique<InMemoryRegistry>();
        for (const auto& [hive, name] : {std::pair<RegKey, const char*>{HKLM, "MACHINE"}, {HKCU, "NTUSER.DAT"}}) {
            std::filesystem::path file = folder_.HostFile(name);
            std::filesystem::remove(file);
            testing_support::WriteHive(*loaded_, hive, "", file);
            std::string error;
            if (!LoadHiveFile(*read, hive, "", file.string(), error)) ADD_FAILURE() << error;
        }
        for (const auto& [hive, path] : readOnly_) read->SetReadOnly(hive, path, true);
        loaded_ = std::move(read);
        return *loaded_;
    }

    testing_support::ScratchFolder folder_{"hives"};
    std::unique_ptr<InMemoryRegistry> loaded_;
    bool dirty_ = false;
    std::vector<std::pair<RegKey, std::string>> readOnly_;
};

}  // namespace

std::unique_ptr<RegistryWorld> MakeHiveFileWorld() {
    return HiveFilesReadable() ? std::make_unique<HiveFileWorld>() : nullptr;
}

}  // namespace contract

#include "tests/contract/RegistryBackends.h"

#include "platform/portable/InMemoryRegistry.h"
#ifdef _WIN32
#include "tests/win32/Win32RegistryWorld.h"
#endif

namespace contract {

namespace {
class InMemoryWorld : public RegistryWorld {
public:
    Registry& registry() override { return registry_; }
    bool CreateKey(RegKey hive, const std::string& path) override {
        return registry_.CreateKey(hive, path);
    }
    bool Put(RegKey hive, const std::string& path, const std::string& name,
             const RegValue& value) override {
        return registry_.PutValue(hive, path, name, value);
    }
    bool MakeReadOnly(RegKey hive, const std::string& path) override {
        return registry_.SetReadOnly(hive, path, true);
    }
    void RemoveTree(RegKey hive, const std::string& path) override {
        registry_.DeleteTree(hive, path);
    }

private:
    InMemoryRegistry registry_;
};
}  // namespace

std::vector<RegistryBackend> RegistryBackends() {
    std::vector<RegistryBackend> backends;
#ifdef _WIN32
    backends.push_back({"Win32", true, [] { return testing_support::MakeWin32RegistryWorld(); }});
#endif
    backends.push_back({"InMemory", false, [] { return std::make_unique<InMemoryWorld>(); }});
    return backends;
}

}  // namespace contract

#pragma once
// The registries a contract suite runs against in this build: the in-memory one
// always, and under Windows also the real one, which is the reference. Each comes
// with a way to lay out keys and values that does not go through the interface
// under test.
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace contract {

class RegistryWorld {
public:
    virtual ~RegistryWorld() = default;
    virtual Registry& registry() = 0;
    // Creates hive\path and the keys above it.
    virtual bool CreateKey(RegKey hive, const std::string& path) = 0;
    // Writes a value as Registry::SetValue would, creating the key.
    virtual bool Put(RegKey hive, const std::string& path, const std::string& name,
                     const RegValue& value) = 0;
    // Leaves the account read access to hive\path and takes its write access away.
    virtual bool MakeReadOnly(RegKey hive, const std::string& path) = 0;
    // Removes hive\path and its subtree, read-only keys included; nothing else.
    virtual void RemoveTree(RegKey hive, const std::string& path) = 0;
};

struct RegistryBackend {
    std::string name;
    bool real = false;  // the Windows registry, as Wine implements it
    std::function<std::unique_ptr<RegistryWorld>()> make;
};
std::vector<RegistryBackend> RegistryBackends();
// A registry read from hive files with the hive loader; null where the build reads none.
std::unique_ptr<RegistryWorld> MakeHiveFileWorld();

inline void PrintTo(const RegistryBackend& b, std::ostream* os) { *os << b.name; }

}  // namespace contract

#include "bench/common/RegistryWalk.h"

namespace {
void Visit(Registry& registry, RegKey key, WalkResult& result, RegValue& value, std::string& name) {
    if (registry.QueryValue(key, "", 1024, value) == kRegSuccess) ++result.defaultValues;
    for (uint32_t index = 0;; ++index) {
        if (registry.EnumKey(key, index, 255, name) != kRegSuccess) break;
        RegKey subkey = 0;
        if (registry.OpenKey(key, name, KEY_ALL_ACCESS_, subkey) != kRegSuccess) continue;
        ++result.keys;
        Visit(registry, subkey, result, value, name);
        registry.CloseKey(subkey);
    }
}
}  // namespace

WalkResult WalkAll(Registry& registry, RegKey hive, const std::string& path) {
    WalkResult result;
    RegKey start = 0;
    if (registry.OpenKey(hive, path, KEY_ALL_ACCESS_, start) != kRegSuccess) return result;
    RegValue value;
    std::string name;
    Visit(registry, start, result, value, name);
    registry.CloseKey(start);
    return result;
}
